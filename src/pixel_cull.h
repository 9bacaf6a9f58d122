// Pixel culling: which filled quads cannot light a pixel at the current viewport, so that a
// software rasteriser need not set them up. A filled polygon lights only pixels whose centre
// it covers. The test is conservative: a quad with a corner whose window position is not known
// to within its error radius, or whose bounds come near a pixel centre, is kept.
// For programs that place vertices with the current model-view and projection matrices, with
// one sample per pixel at its centre.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The view of one draw: the clip matrix (projection times model-view), the viewport and the
// bounds of how far the GL's own transform of a corner may differ from ours.
struct WindowView {
    float clip[16];
    float x, y, width, height;  // the viewport, pixels
    float error[4];             // per clip coordinate: how far the GL's value may be from ours
};
// A corner in window coordinates, pixels; r: how far the GL's position may lie from (x, y), or
// negative when the corner is near or behind the eye and nothing is known.
struct WindowCorner {
    float x, y, r;
};

// Whether to cull on this GL: on a software rasteriser (src/software_gl.h), where leaving out
// quads that light no pixel saves their setup; on other GLs the per-frame test would only add
// work. Decided at the first call, with a current context; VLM_PIXEL_CULL=1 or 0 forces it.
bool vlm_pixelCullWanted(void);
// Whether the current GL state keeps the test exact: one sample per pixel, polygons filled on
// both sides, no polygon smoothing.
bool vlm_pixelCullStateAllows(void);
// The current view, for corners whose coordinates lie within `maxAbs` (per axis, object units).
void vlm_windowViewCurrent(WindowView &view, const float maxAbs[3]);
// Window positions of `n` corners (x, y, z each) under `view`.
void vlm_projectCorners(const WindowView &view, const float *xyz, size_t n, WindowCorner *out);
// Appends to `kept`, in order, the four corner indices of each of the `count` quads at `quads`
// (four indices into `window` each) that may cover a pixel centre inside the viewport; returns
// how many quads it kept.
int vlm_keepQuadsCoveringSamples(const WindowView &view, const WindowCorner *window,
                                 const uint32_t *quads, int count, std::vector<uint32_t> &kept);
