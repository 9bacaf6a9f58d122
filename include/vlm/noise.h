/// @file
/// Value noise: a deterministic integer lattice hash, smoothing, cosine interpolation and
/// three summed layers; plus vlm_random, the program-wide noise sequence. Every value is
/// part of the picture: single precision, 32-bit wrapping integers, truncation toward zero.
/// Owns vlm_random's call counter (one sequence for the whole process); reads no files and
/// makes no GL call.
#pragma once

/// Lattice value in (-1, 1] for the integer point (x, y) and seed.
float vlm_noise(int x, int y, int seed);
/// The k-th call (from 0) of the process returns vlm_noise(k, k, k); shared by all callers.
float vlm_random(void);
/// Centre/2 + left/4 + right/4 of the lattice row y = 0.
float vlm_smoothed1DNoise(int x, int seed);
/// Corners/16 + sides/8 + centre/4 of the lattice values around (x, y).
float vlm_smoothed2DNoise(int x, int y, int seed);
/// Cosine interpolation from a (t = 0) to b (t = 1); t is not clamped.
float vlm_1DcosInterpolate(float a, float b, float t);
/// Continuous 1D noise, cosine-interpolated between smoothed lattice values.
float vlm_1D_CosNoise(float x, int seed);
/// Continuous 2D noise; the cell is found by truncation toward zero.
float vlm_2D_CosNoise(float x, float y, int seed);
/// Three layers: (freq 2, amp 3), (3, 2), (0, 1); roughly -6..6, not normalised.
float vlm_perlin2DNoise(float x, float y, int seed);
