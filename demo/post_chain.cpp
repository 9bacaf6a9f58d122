// The picture's way to the window: each scene's post pass into VLM_PP entry 0, the glow
// passes (horizontal blur of the bright picture, vertical blur plus the glow source), the final
// composite with its black bands, and the accumulation step that ends every frame.
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

// Every pass draws one quad over its whole target with the depth test off and blending off
// (nothing in the demo blends): it writes every pixel without reading what was there, so its
// target is bound without the clear, and without reading or writing a depth buffer it never
// needs. The caller's depth setting comes back afterwards.
template <typename Draw>
static void withoutDepthTest(Draw draw)
{
    GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    draw();
    if (depth) glEnable(GL_DEPTH_TEST);
}

static void fullscreenWithoutDepth(unsigned texture)
{
    withoutDepthTest([texture] { vlm_renderFullscreen(texture); });
}

// Binds `index` for a pass that overwrites it; a target that would blend with what it holds
// is cleared as vlm_enableFBO clears it.
static void bindForPass(int index, int outputs, float grey, unsigned textures[2])
{
    if (!glIsEnabled(GL_BLEND)) {
        vlm_enableFBOUncleared(index, outputs, textures);
    } else if (outputs == 2) {
        vlm_enableMultiTargetFBO(index, grey, grey, grey, textures);
    } else {
        textures[0] = vlm_enableFBO(index, grey, grey, grey);
        textures[1] = vlm_fboTexture(index, 1);
    }
}

// The passes before the composite read their textures at texel centres only: unfiltered reads
// there give the texel a linear filter would, at a quarter of the reads. A sampler object
// bound to the unit overrides the texture's own filter for the pass; without sampler objects
// the linear filter stays and gives the same picture, only slower.
static void readUnfiltered(unsigned unit, bool on)
{
    static GLuint sampler = 0;
    static bool made = false;
    if (!made) {
        made = true;
        if (GLEW_ARB_sampler_objects) {
            glGenSamplers(1, &sampler);
            glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        }
    }
    if (sampler) glBindSampler(unit, on ? sampler : 0);
}

void postChain_scenePass(int postShader, float fade, unsigned fbotex)
{
    unsigned textures[2];
    bindForPass(VLM_PP[0][PP_TARGET], 2, 1, textures);
    VLM_PP[0][PP_TEXTURE0] = (int)textures[0];
    VLM_PP[0][PP_TEXTURE1] = (int)textures[1];
    vlm_enableShader(postShader);
    vlm_shader_sendUniformValue(postShader, "fade", &fade, 1);
    readUnfiltered(0, true);
    fullscreenWithoutDepth(fbotex);
    readUnfiltered(0, false);
    vlm_disableShader();
}

// One intermediate pass: `source` (unit 0) through entry `entry`'s program into its own
// target; `second` (when not 0) is bound on unit 1 as "glowSource". `uniform` receives
// `value` as an integer.
static void chainPass(int entry, unsigned source, unsigned second, const char *uniform, int value)
{
    int *pp = VLM_PP[entry];
    unsigned textures[2];
    bindForPass(pp[PP_TARGET], 1, 0, textures);
    pp[PP_TEXTURE0] = (int)textures[0];
    glPushMatrix();
    glColor4f(1, 1, 1, 1);
    vlm_enableShader(pp[PP_PROGRAM]);
    vlm_shader_sendUniformInt(pp[PP_PROGRAM], uniform, value);
    if (second) {
        vlm_shader_sendUniformInt(pp[PP_PROGRAM], "glowSource", 1);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, second);
        glActiveTexture(GL_TEXTURE0);
        readUnfiltered(1, true);
    }
    readUnfiltered(0, true);
    fullscreenWithoutDepth(source);
    readUnfiltered(0, false);
    if (second) readUnfiltered(1, false);
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
    vlm_pushScreenMatrices();

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
    withoutDepthTest(finalQuad); // the window was just cleared, as above
    vlm_disableShader();

    vlm_popScreenMatrices();
    glDisable(GL_TEXTURE_2D); // unit 2, the active one
}

void postChain_toWindow(int W, int H)
{
    // The bright pass is made inside the horizontal blur, which reads the picture directly:
    // entry 1's target is not drawn. The vertical blur reads the picture too.
    unsigned picture = (unsigned)VLM_PP[0][PP_TEXTURE0];
    chainPass(2, picture, 0, "Width", W);
    chainPass(3, (unsigned)VLM_PP[2][PP_TEXTURE0], picture, "Height", H);
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
