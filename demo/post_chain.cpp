// The picture's way to the window: each scene's post pass into VLM_PP entry 0, the glow
// passes (horizontal blur of the bright picture, vertical blur plus the glow source), the final
// composite with its black bands, and the accumulation step that ends every frame.
#include "post_chain.h"
#include "director.h"
#include <vlm/effects_screen.h>
#include <vlm/fbo.h>
#include <vlm/shader.h>
#include <vlm/vlm.h>
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

// Sampler objects bound to a unit override the texture's own filter and wrap for a pass.
// The passes before the composite read their textures at texel centres only: unfiltered reads
// there give the texel a linear filter would, at a quarter of the reads. The composite keeps
// the linear filter but keeps its reads inside the picture, where clamping to the edge gives
// what wrapping would, and the software rasteriser's clamped filter is the cheaper one.
// Without sampler objects the textures' own state stays and gives the same picture, slower.
enum Sampling { SAMPLE_NEAREST, SAMPLE_CLAMPED_LINEAR, SAMPLINGS };

static void sampleWith(unsigned unit, Sampling sampling, bool on)
{
    static GLuint samplers[SAMPLINGS];
    static bool made = false;
    if (!made) {
        made = true;
        if (GLEW_ARB_sampler_objects) {
            glGenSamplers(SAMPLINGS, samplers);
            for (int i = 0; i < SAMPLINGS; i++) {
                GLint filter = i == SAMPLE_NEAREST ? GL_NEAREST : GL_LINEAR;
                glSamplerParameteri(samplers[i], GL_TEXTURE_MIN_FILTER, filter);
                glSamplerParameteri(samplers[i], GL_TEXTURE_MAG_FILTER, filter);
                glSamplerParameteri(samplers[i], GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
                glSamplerParameteri(samplers[i], GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            }
        }
    }
    if (samplers[sampling]) glBindSampler(unit, on ? samplers[sampling] : 0);
}

static void readUnfiltered(unsigned unit, bool on)
{
    sampleWith(unit, SAMPLE_NEAREST, on);
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
    sampleWith(0, SAMPLE_CLAMPED_LINEAR, true);
    sampleWith(1, SAMPLE_CLAMPED_LINEAR, true);
    withoutDepthTest(finalQuad); // over all of the window but the cleared bands
    sampleWith(0, SAMPLE_CLAMPED_LINEAR, false);
    sampleWith(1, SAMPLE_CLAMPED_LINEAR, false);
    vlm_disableShader();

    vlm_popScreenMatrices();
    glDisable(GL_TEXTURE_2D); // unit 2, the active one
}

// Clears the window's pixels inside the rectangle x0..x1, y0..y1 (window pixels, ends
// excluded; clipped to the window), colour only.
static void clearRectangle(int x0, int y0, int x1, int y1)
{
    if (x1 <= x0 || y1 <= y0) return;
    glScissor(x0, y0, x1 - x0, y1 - y0);
    glClear(GL_COLOR_BUFFER_BIT);
}

// Binds the window for the composite and clears, to black, what the composite does not
// cover: the bands above and below its quad (y beyond +-0.9) and anything beside the
// viewport. The rest it overwrites, and nothing drawn onto the window tests depth, so neither
// that colour nor the depth buffer is cleared. The bands take a row more than they need on
// their inner side; the quad draws over it. A caller that has narrowed drawing with its own
// scissor gets the clear inside that scissor, as it is.
static void bindWindowForComposite(void)
{
    static const int FAR = 1 << 15;
    unsigned textures[2];
    vlm_enableFBOUncleared(-1, 1, textures); // an index never handed out: the window
    glClearColor(0, 0, 0, 1);
    if (glIsEnabled(GL_SCISSOR_TEST)) {
        glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    int bottom = v[1] + (int)(0.05f * (float)v[3]) + 2;
    int top = v[1] + (int)(0.95f * (float)v[3]) - 1;
    glEnable(GL_SCISSOR_TEST);
    clearRectangle(0, 0, FAR, bottom);
    clearRectangle(0, top, FAR, FAR);
    clearRectangle(0, bottom, v[0], top);
    clearRectangle(v[0] + v[2], bottom, FAR, top);
    glDisable(GL_SCISSOR_TEST);
}

void postChain_toWindow(int W, int H)
{
    // The bright pass is made inside the horizontal blur, which reads the picture directly:
    // entry 1's target is not drawn. The vertical blur reads the picture too.
    unsigned picture = (unsigned)VLM_PP[0][PP_TEXTURE0];
    chainPass(2, picture, 0, "Width", W);
    chainPass(3, (unsigned)VLM_PP[2][PP_TEXTURE0], picture, "Height", H);
    bindWindowForComposite();
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
