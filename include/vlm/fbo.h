/// @file
/// Render targets: framebuffer objects with two float colour textures (RGBA16F unless asked
/// otherwise) and a 24-bit depth renderbuffer. Owns the target table: 64 entries, indices in
/// creation order, never freed.
/// A colour target made at the window's size follows the window: once a new window size has
/// held for a few frames, its storage is made again at that size (vlm_fboFollowWindow).
/// Reads no files. Every call needs a current GL context.
#pragma once

/// Creates a width x height target (pixels) and returns its index (0, 1, ... in creation
/// order); made at the window's size (vlm_Get(VLM_GET_WIDTH), VLM_GET_HEIGHT) it follows the
/// window. Leaves the window's framebuffer bound. A 65th target prints "Maximum numbers of
/// fbo's reached.. exiting", an incomplete framebuffer "[!] Error creating fbo #N , errcode
/// 0x...", and both exit -1 (status 255).
int vlm_loadFBO(int width, int height);

/// The colour textures' precision of the targets made from now on. Half floats (RGBA16F) by
/// default; full floats (RGBA32F) always or only on a software rasteriser, where every
/// full-screen pass reads and writes them about a fifth faster (llvmpipe, 1280x720), at twice
/// the memory. A target over VLM_FBO_FULL_FLOAT_PIXELS pixels keeps half floats, so that the
/// targets of a very large window still fit a 32-bit process; a target that follows the window
/// chooses again at each new size.
enum VlmFullFloat {
    VLM_FULL_FLOAT_NEVER,          ///< half floats (RGBA16F), the default
    VLM_FULL_FLOAT_ON_SOFTWARE_GL, ///< full floats where the GL is a software rasteriser
    VLM_FULL_FLOAT_ALWAYS          ///< full floats (RGBA32F) on every GL
};
/// The largest target (width x height, pixels) that takes full floats.
enum { VLM_FBO_FULL_FLOAT_PIXELS = 1920 * 1200 };
/// Sets the precision of the targets made from now on (see VlmFullFloat); call it before
/// loading. Changes no GL state.
void vlm_fboFullFloat(VlmFullFloat when);

/// Binds the target, drawing into colour texture 0; clears it to (r, g, b, 1) (each 0..1) and
/// depth; makes texture unit 0 active; loads a 45 degree perspective at the window's aspect
/// (near 0.1, far 200) into the projection matrix, then selects GL_MODELVIEW and loads the
/// identity: the state vlm_useCamera expects. Returns colour texture 0. The viewport becomes
/// the target's size (the window's is kept and given back when the window is bound again), so
/// the picture always fills the target. An index never handed out binds the window's back
/// buffer instead and returns 0.
unsigned vlm_enableFBO(int index, float red, float green, float blue);
/// As vlm_enableFBO but drawing into both colour textures; stores them in textures[0..1].
void vlm_enableMultiTargetFBO(int index, float red, float green, float blue, unsigned textures[2]);
/// As vlm_enableFBO (`outputs` 1) or vlm_enableMultiTargetFBO (2) but without the clear:
/// colour and depth keep what they held. For a pass that draws over every pixel of the target
/// anyway. Stores both colour textures in textures[0..1].
void vlm_enableFBOUncleared(int index, int outputs, unsigned textures[2]);
/// Back to the window's back buffer and viewport, cleared to (r, g, b, 1) and depth. The
/// matrices are left as they were.
void vlm_disableFBO(float red, float green, float blue);
/// A depth-only target of width x height pixels: its "colour texture 0" is a depth texture
/// (nearest filtering, clamped), with no colour output; it never follows the window. Returns its
/// index; full table or incomplete framebuffer as vlm_loadFBO.
int vlm_loadDepthFBO(int width, int height);
/// GL texture name of colour texture `which` (0 or 1) of a target, to draw it elsewhere
/// (vlm_renderFullscreen); 0 for an index never handed out.
unsigned vlm_fboTexture(int index, int which);
/// A target's size in pixels (0 x 0 for an index never handed out).
void vlm_fboSize(int index, int *width, int *height);

/// When the targets follow the window: a drag does not remake them every frame, and a
/// minimised or 1x1 window keeps the targets it has.
enum {
    VLM_FBO_FOLLOW_FRAMES = 3, ///< frames a new window size must hold before the targets follow it
    VLM_FBO_FOLLOW_FLOOR = 16  ///< the smallest side (pixels) they follow
};
/// Called once per frame, before drawing, with the window's size in pixels (vlm_init's frame
/// does it before the display routine: a demo does not call it). When that size has
/// held for VLM_FBO_FOLLOW_FRAMES calls (this one included) and is at least the floor, every
/// target that follows the window and differs from it is made again at it (each side capped at
/// what the GL allows): same index, same framebuffer, texture and renderbuffer names, new
/// storage in place of the old, contents undefined until drawn. Prints one "[*] " line when it
/// remakes; returns how many targets it remade. Leaves every binding as it found it.
int vlm_fboFollowWindow(int width, int height);
