// Warm-ups: each scene drawn by its own code through a one-pixel scissor.
#include "warmup.h"
#include "director.h"
#include "post_chain.h"
#include <vlm/effects_screen.h>
#include <vlm/fbo.h>
#include <vlm/shader.h>
#include <vlm/vlm.h>
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

// ---------------------------------------------------------------- one unseen frame

// The window pixel under the scissor, kept to be given back.
struct WindowPixel {
    float rgba[4];
    float depth;
};

// Saves every state a step touches and narrows all drawing and clearing to pixel (0, 0).
static WindowPixel beginUnseen(void)
{
    WindowPixel px;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_FLOAT, px.rgba);
    glReadPixels(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &px.depth);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    return px;
}

// Back on the window: the pixel as it was, then every saved state.
static void endUnseen(const WindowPixel &px)
{
    vlm_disableShader();
    vlm_disableFBO(0, 0, 0);
    glClearColor(px.rgba[0], px.rgba[1], px.rgba[2], px.rgba[3]);
    glClearDepth(px.depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}

// The view of a warm-up frame: from above and behind the origin, where every scene's geometry
// lies, so that none of it is left out as outside the view.
static void warmupView(void)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 16.0 / 9, 0.1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 20, 40, 0, 0, 0, 0, 1, 0);
}

// A frame of scene N, unseen: its drawing into its target, its post pass and the chain. The
// scene's target is cleared whole, as in its first frame, so that its memory is in place.
static void unseenFrame(int N)
{
    const SceneRow &row = *SCENES[N];
    glDisable(GL_SCISSOR_TEST);
    unsigned texture = vlm_enableFBO(row.ids->target, row.paper, row.paper, row.paper);
    glEnable(GL_SCISSOR_TEST);
    warmupView();
    row.draw({.t = row.warmTime, .played = false});
    postChain_scenePass(row.ids->post, 1, texture);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    postChain_toWindow((int)vlm_Get(VLM_GET_WIDTH), (int)vlm_Get(VLM_GET_HEIGHT));
}

// ---------------------------------------------------------------- steps

int warmup_steps(void)
{
    return DIRECTOR_SCENES + 1;
}

void warmup_step(int k)
{
    WindowPixel px = beginUnseen();
    if (k == 0) { // the chain's targets cleared whole once, as in the first played frame
        unsigned textures[2];
        glDisable(GL_SCISSOR_TEST);
        vlm_enableMultiTargetFBO(VLM_PP[0][PP_TARGET], 0, 0, 0, textures);
        for (int i = 1; i < 4; i++) vlm_enableFBO(VLM_PP[i][PP_TARGET], 0, 0, 0);
        glEnable(GL_SCISSOR_TEST);
    }
    if (k < DIRECTOR_SCENES) {
        unseenFrame(k);
    } else {
        // The polygon font makes each letter on its first use.
        static char letters[96];
        for (int c = 32; c < 127; c++) letters[c - 32] = (char)c;
        vlm_enableFBO(SCENES[0]->ids->target, 0, 0, 0);
        vlm_drawPolygonText(letters, 0, 0, -20);
    }
    endUnseen(px);
}
