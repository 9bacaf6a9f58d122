// View culling of boxes against the current view volume.
#include "view_cull.h"
#include <GL/glew.h>
#include <cmath>

void vlm_viewClipMatrix(float clip[16])
{
    float mv[16], p[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    for (int c = 0; c < 4; c++)
        for (int r = 0; r < 4; r++)
            clip[c * 4 + r] = p[r] * mv[c * 4] + p[4 + r] * mv[c * 4 + 1] +
                              p[8 + r] * mv[c * 4 + 2] + p[12 + r] * mv[c * 4 + 3];
}

int vlm_boxOutsideClip(const float clip[16], const float lo[3], const float hi[3])
{
    // Bit k set: every corner so far lies beyond plane k (x > w, x < -w, y.., z..).
    unsigned outside = 63;
    for (int i = 0; i < 8 && outside; i++) {
        float x = i & 1 ? hi[0] : lo[0], y = i & 2 ? hi[1] : lo[1], z = i & 4 ? hi[2] : lo[2];
        float v[4];
        for (int r = 0; r < 4; r++) v[r] = clip[r] * x + clip[4 + r] * y + clip[8 + r] * z + clip[12 + r];
        float w = v[3] + 0.02f * fabsf(v[3]) + 1e-3f; // widened, whatever the sign of w
        unsigned here = (v[0] > w) | (v[0] < -w) << 1 | (v[1] > w) << 2 | (v[1] < -w) << 3 |
                        (v[2] > w) << 4 | (v[2] < -w) << 5;
        outside &= here;
    }
    return outside != 0;
}
