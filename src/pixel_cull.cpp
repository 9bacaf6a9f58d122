// Pixel culling: window positions with error bounds, and the sample test.
#include "pixel_cull.h"
#include "software_gl.h"
#include "view_cull.h"
#include <GL/glew.h>
#include <cmath>
#include <cstdlib>
#include <cstring>

// How far a float transform may stray, relative to the sum of the magnitudes of its terms:
// the GL takes model-view and projection in two steps, we take their product in one, each
// with a few roundings of 2^-24. 2^-20 leaves room for sixteen.
static const float TRANSFORM_ERROR = 1.0f / (1 << 20);
// Besides, a rasteriser snaps window positions to its sub-pixel grid: 1/256 pixel on llvmpipe,
// 1/16 on the coarsest, which moves a corner by up to 1/32. The margin is twice that.
static const float SNAP_MARGIN = 1.0f / 16;

bool vlm_pixelCullWanted(void)
{
    static int wanted = -1;
    if (wanted < 0) {
        const char *force = getenv("VLM_PIXEL_CULL");
        if (force && (!strcmp(force, "0") || !strcmp(force, "1")))
            wanted = force[0] == '1';
        else
            wanted = vlm_softwareGL();
    }
    return wanted;
}

bool vlm_pixelCullStateAllows(void)
{
    GLint sampleBuffers = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    if (sampleBuffers > 0) return false;
    GLint mode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    return mode[0] == GL_FILL && mode[1] == GL_FILL && !glIsEnabled(GL_POLYGON_SMOOTH);
}

void vlm_windowViewCurrent(WindowView &view, const float maxAbs[3])
{
    float mv[16], p[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    vlm_viewClipMatrix(view.clip);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    view.x = (float)viewport[0];
    view.y = (float)viewport[1];
    view.width = (float)viewport[2];
    view.height = (float)viewport[3];
    // |eye| <= |MV| |v|, |clip| terms <= |P| |eye|: the magnitudes the roundings scale with.
    const float v[4] = {maxAbs[0], maxAbs[1], maxAbs[2], 1};
    float eye[4];
    for (int r = 0; r < 4; r++) {
        eye[r] = 0;
        for (int c = 0; c < 4; c++) eye[r] += fabsf(mv[c * 4 + r]) * v[c];
    }
    for (int r = 0; r < 4; r++) {
        float sum = 0;
        for (int c = 0; c < 4; c++) sum += fabsf(p[c * 4 + r]) * eye[c] + fabsf(view.clip[c * 4 + r]) * v[c];
        view.error[r] = TRANSFORM_ERROR * sum;
    }
}

void vlm_projectCorners(const WindowView &view, const float *xyz, size_t n, WindowCorner *out)
{
    const float *m = view.clip;
    const float halfW = 0.5f * view.width, halfH = 0.5f * view.height;
    const float ex = view.error[0], ey = view.error[1], ew = view.error[3];
    for (size_t i = 0; i < n; i++, xyz += 3) {
        float x = xyz[0], y = xyz[1], z = xyz[2];
        float cx = m[0] * x + m[4] * y + m[8] * z + m[12];
        float cy = m[1] * x + m[5] * y + m[9] * z + m[13];
        float cw = m[3] * x + m[7] * y + m[11] * z + m[15];
        float wLow = cw - ew; // the smallest w the GL may have
        if (!(wLow > 0)) {
            out[i] = {0, 0, -1};
            continue;
        }
        float nx = cx / cw, ny = cy / cw;
        // |x/w - x'/w'| <= (|dx| + |x/w| |dw|) / w'
        float r = ((ex + fabsf(nx) * ew) * halfW + (ey + fabsf(ny) * ew) * halfH) / wLow;
        out[i] = {view.x + (nx + 1) * halfW, view.y + (ny + 1) * halfH, r + SNAP_MARGIN};
    }
}

// Float minimum and maximum without the library's NaN handling (window positions are finite).
static inline float lesser(float a, float b) { return a < b ? a : b; }
static inline float greater(float a, float b) { return a > b ? a : b; }
// The largest whole number at most x, for |x| well inside int's range.
static inline float wholeBelow(float x)
{
    float t = (float)(int)x;
    return t > x ? t - 1 : t;
}

// Whether some pixel centre of the viewport lies in [lo, hi] along one axis whose pixels start
// at `origin` and number `count`: centres lie at origin + i + 1/2 for 0 <= i < count.
static inline bool centreBetween(float lo, float hi, float origin, float count)
{
    lo = greater(lo - origin - 0.5f, -1); // clamped first, so that the whole parts fit an int
    hi = lesser(hi - origin - 0.5f, count);
    if (!(lo <= hi)) return false;
    float first = -wholeBelow(-lo), last = wholeBelow(hi);
    return greater(first, 0) <= lesser(last, count - 1);
}

// Whether the quad a, b, c, d (filled) cannot cover a pixel centre inside the viewport.
static inline bool quadCoversNoSample(const WindowView &view, const WindowCorner &a,
                                      const WindowCorner &b, const WindowCorner &c,
                                      const WindowCorner &d)
{
    if (a.r < 0 || b.r < 0 || c.r < 0 || d.r < 0) return false;
    float loX = lesser(lesser(a.x - a.r, b.x - b.r), lesser(c.x - c.r, d.x - d.r));
    float hiX = greater(greater(a.x + a.r, b.x + b.r), greater(c.x + c.r, d.x + d.r));
    float loY = lesser(lesser(a.y - a.r, b.y - b.r), lesser(c.y - c.r, d.y - d.r));
    float hiY = greater(greater(a.y + a.r, b.y + b.r), greater(c.y + c.r, d.y + d.r));
    return !centreBetween(loX, hiX, view.x, view.width) ||
           !centreBetween(loY, hiY, view.y, view.height);
}

int vlm_keepQuadsCoveringSamples(const WindowView &view, const WindowCorner *window,
                                 const uint32_t *quads, int count, std::vector<uint32_t> &kept)
{
    int sent = 0;
    for (int i = 0; i < count; i++, quads += 4) {
        if (quadCoversNoSample(view, window[quads[0]], window[quads[1]], window[quads[2]],
                               window[quads[3]]))
            continue;
        kept.insert(kept.end(), quads, quads + 4);
        sent++;
    }
    return sent;
}
