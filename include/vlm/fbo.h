// Render targets: framebuffer objects with two float colour textures (RGBA16F unless asked
// otherwise) and a 24-bit depth renderbuffer. Owns the target table: 64 entries, indices in
// creation order, never freed.
// A colour target made at the window's size follows the window: once a new window size has
// held for a few frames, its storage is made again at that size (vlm_fboFollowWindow).
#pragma once

// Creates a width x height target (pixels); returns its index. Full table or an
// incomplete framebuffer is fatal.
int vlm_loadFBO(int width, int height);

// The colour textures' precision of the targets made from now on. Half floats (RGBA16F) by
// default; full floats (RGBA32F) always or only on a software rasteriser, where every
// full-screen pass reads and writes them about a fifth faster (llvmpipe, 1280x720), at twice
// the memory. A target over VLM_FBO_FULL_FLOAT_PIXELS pixels keeps half floats, so that the
// targets of a very large window still fit a 32-bit process; a target that follows the window
// chooses again at each new size.
enum VlmFullFloat { VLM_FULL_FLOAT_NEVER, VLM_FULL_FLOAT_ON_SOFTWARE_GL, VLM_FULL_FLOAT_ALWAYS };
enum { VLM_FBO_FULL_FLOAT_PIXELS = 1920 * 1200 };
void vlm_fboFullFloat(VlmFullFloat when);

// Binds the target, drawing into colour texture 0; clears to (r, g, b, 1) and depth;
// sets a 45 degree perspective (near 0.1, far 200) and an identity model-view.
// Returns colour texture 0. The viewport becomes the target's size (the window's is kept and
// given back when the window is bound again), so the picture always fills the target.
unsigned vlm_enableFBO(int index, float red, float green, float blue);
// As vlm_enableFBO but drawing into both colour textures; stores them in textures[0..1].
void vlm_enableMultiTargetFBO(int index, float red, float green, float blue, unsigned textures[2]);
// As vlm_enableFBO (`outputs` 1) or vlm_enableMultiTargetFBO (2) but without the clear:
// colour and depth keep what they held. For a pass that draws over every pixel of the target
// anyway. Stores both colour textures in textures[0..1].
void vlm_enableFBOUncleared(int index, int outputs, unsigned textures[2]);
// Back to the window's back buffer and viewport, cleared to (r, g, b, 1) and depth.
void vlm_disableFBO(float red, float green, float blue);
// A depth-only target: its "colour texture 0" is a depth texture. Returns its index.
int vlm_loadDepthFBO(int width, int height);
// Colour texture `which` (0 or 1) of a target (for tests and diagnostics).
unsigned vlm_fboTexture(int index, int which);
// A target's size in pixels (0 x 0 for an index never handed out).
void vlm_fboSize(int index, int *width, int *height);

// Frames a new window size must hold before the targets follow it, and the smallest side
// (pixels) they follow: a drag does not remake them every frame, and a minimised or 1x1
// window keeps the targets it has.
enum { VLM_FBO_FOLLOW_FRAMES = 3, VLM_FBO_FOLLOW_FLOOR = 16 };
// Called once per frame, before drawing, with the window's size in pixels. When that size has
// held for VLM_FBO_FOLLOW_FRAMES calls (this one included) and is at least the floor, every
// target that follows the window and differs from it is made again at it (each side capped at
// what the GL allows): same index, same framebuffer, texture and renderbuffer names, new
// storage in place of the old, contents undefined until drawn. Prints one "[*] " line when it
// remakes; returns how many targets it remade. Leaves every binding as it found it.
int vlm_fboFollowWindow(int width, int height);
