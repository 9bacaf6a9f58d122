// The picture's way to the window: each scene's post pass into VLM_PP entry 0, the three
// intermediate passes (bright pass, horizontal and vertical blur), the final composite with
// its black bands, and the accumulation step that ends every frame.
#include "post_chain.h"
#include "director.h"
#include "effects_screen.h"
#include "fbo.h"
#include "shader.h"
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

float VLM_SCREEN_RGBDIST = 0, VLM_SCREEN_DIST = 0, VLM_SCREEN_WOBBLE = 0, VLM_SCREEN_FADE = 0;
int VLM_PP[5][4];

// Every pass draws one quad at depth 0.5 into a target just cleared to depth 1: the depth
// test always passes, so with it off the pass writes the same colours without reading and
// writing a depth buffer it never needs. The caller's setting comes back afterwards.
static void fullscreenWithoutDepth(unsigned texture)
{
    GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    vlm_renderFullscreen(texture);
    if (depth) glEnable(GL_DEPTH_TEST);
}

void postChain_scenePass(int postShader, float fade, unsigned fbotex)
{
    unsigned textures[2];
    vlm_enableMultiTargetFBO(VLM_PP[0][PP_TARGET], 1, 1, 1, textures);
    VLM_PP[0][PP_TEXTURE0] = (int)textures[0];
    VLM_PP[0][PP_TEXTURE1] = (int)textures[1];
    vlm_enableShader(postShader);
    vlm_shader_sendUniformValue(postShader, "fade", &fade, 1);
    fullscreenWithoutDepth(fbotex);
    vlm_disableShader();
}

// One intermediate pass: `source` through entry `entry`'s program into its own target.
// `uniform` (when named) receives `value` as an integer.
static void chainPass(int entry, unsigned source, const char *uniform, int value)
{
    int *pp = VLM_PP[entry];
    pp[PP_TEXTURE0] = (int)vlm_enableFBO(pp[PP_TARGET], 0, 0, 0);
    glPushMatrix();
    glColor4f(1, 1, 1, 1);
    vlm_enableShader(pp[PP_PROGRAM]);
    if (uniform) vlm_shader_sendUniformInt(pp[PP_PROGRAM], uniform, value);
    fullscreenWithoutDepth(source);
    vlm_disableShader();
    glPopMatrix();
}

// The composite quad spans the full width and y -0.9 .. 0.9: the rest stays black.
static void finalQuad(void)
{
    static const float corners[4][4] = {
        {0, 0, -1, -0.9f}, {1, 0, 1, -0.9f}, {1, 1, 1, 0.9f}, {0, 1, -1, 0.9f}};
    glBegin(GL_QUADS);
    for (const float *c : corners) {
        glMultiTexCoord2f(GL_TEXTURE0, c[0], c[1]);
        glMultiTexCoord2f(GL_TEXTURE1, c[0], c[1]);
        glVertex2f(c[2], c[3]);
    }
    glEnd();
}

static void finalPass(void)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, (unsigned)VLM_PP[0][PP_TEXTURE0]);
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, (unsigned)VLM_PP[3][PP_TEXTURE0]);
    glActiveTexture(GL_TEXTURE2);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, (unsigned)VLM_PP[0][PP_TEXTURE1]);

    float timer = vlm_Get(VLM_GET_TIME_MS) / 1000; // music time, runs on across scene changes
    int program = VLM_PP[4][PP_PROGRAM];
    vlm_enableShader(program);
    vlm_shader_sendUniformInt(program, "Texture0", 0);
    vlm_shader_sendUniformInt(program, "Texture1", 1);
    vlm_shader_sendUniformInt(program, "Texture2", 2);
    vlm_shader_sendUniformValue(program, "timer", &timer, 1);
    vlm_shader_sendUniformValue(program, "wobble_ammount", &VLM_SCREEN_WOBBLE, 1);
    vlm_shader_sendUniformValue(program, "dist_ammount", &VLM_SCREEN_DIST, 1);
    vlm_shader_sendUniformValue(program, "rgb_ammount", &VLM_SCREEN_RGBDIST, 1);
    vlm_shader_sendUniformValue(program, "fade", &VLM_SCREEN_FADE, 1);
    GLboolean depth = glIsEnabled(GL_DEPTH_TEST); // the window was just cleared, as above
    glDisable(GL_DEPTH_TEST);
    finalQuad();
    if (depth) glEnable(GL_DEPTH_TEST);
    vlm_disableShader();

    glPopMatrix(); // projection
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glDisable(GL_TEXTURE_2D); // unit 2, the active one
}

void postChain_toWindow(int W, int H)
{
    chainPass(1, (unsigned)VLM_PP[0][PP_TEXTURE0], nullptr, 0);
    chainPass(2, (unsigned)VLM_PP[1][PP_TEXTURE0], "Width", W);
    chainPass(3, (unsigned)VLM_PP[2][PP_TEXTURE0], "Height", H);
    vlm_disableFBO(0, 0, 0);
    finalPass();
}

void postChain_accumulateAndSwap(void)
{
    // The window has no accumulation buffer: these leave the frame as drawn.
    glAccum(GL_MULT, mblur);
    glAccum(GL_ACCUM, 1 - mblur);
    glAccum(GL_RETURN, 1.0f);
    glutSwapBuffers();
}
