// Warm-ups: the loading frames after the stages draw with every program the scenes and the
// chain use, under the states they will draw with (targets, blend, depth, polygon modes,
// lighting, bound textures, vertex layouts), so that the GL builds its variants of them behind
// the loading bar instead of in a scene's first frames. Nothing of it can be seen: each step
// draws through a scissor of one pixel into targets that are cleared before they are used, and
// gives back the one window pixel it touches. It leaves the GL state, the matrices, the scenes'
// statics, camera tracks and particle systems as it found them. Each scene's step mirrors the
// states its block draws with (demo/warmup.cpp): a block that changes them changes its step.
#pragma once

// The number of steps; each is a loading frame's work.
int warmup_steps(void);
// Runs step k (0 <= k < warmup_steps()): for k < 7 a frame of scene k (its drawing, its post
// pass and the chain), then the polygon font's letters.
void warmup_step(int k);
