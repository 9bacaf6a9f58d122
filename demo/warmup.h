// Warm-ups: llvmpipe builds its variant of a program the first time it draws with it under a
// given state, which made the first frame of every scene a hitch. The loading frames after the
// stages therefore draw each scene once through the scene's own drawing code (its row's draw,
// with its warm-up time and a fixed view looking at the origin), then its post pass and the
// chain, so that every program-and-state variant the scenes use is built behind the loading
// bar. Nothing of it can be seen: each step draws through a scissor of one pixel into targets
// that are cleared before they are used, and gives back the one window pixel it touches. It
// leaves the GL state, the matrices, the scenes' statics, camera tracks and particle systems
// as it found them (a warm-up frame neither follows the camera nor draws particles).
#pragma once

// The number of steps; each is a loading frame's work.
int warmup_steps(void);
// Runs step k (0 <= k < warmup_steps()): for k < 7 a frame of scene k (its drawing, its post
// pass and the chain), then the polygon font's letters.
void warmup_step(int k);
