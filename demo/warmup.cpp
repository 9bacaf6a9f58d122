// Warm-ups: each scene's programs drawn under its states through a one-pixel scissor.
#include "warmup.h"
#include "director.h"
#include "effects_screen.h"
#include "fbo.h"
#include "lighting.h"
#include "loading.h"
#include "models_obj.h"
#include "post_chain.h"
#include "scene_kit.h"
#include "scenes.h"
#include "shader.h"
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cstdint>

// ---------------------------------------------------------------- what the scenes draw with

// One quad through the path of a quad batch (src/quad_batch.cpp): corners from a buffer,
// indices from a buffer, by glMultiDrawElements: as GL_QUADS, or (`edges`) as the GL_LINES of
// its outline.
static void batchQuad(bool edges = false)
{
    static GLuint vertexBuffer, indexBuffer;
    if (!vertexBuffer) {
        static const float corners[12] = {0, 0, -5, 0, 0.1f, -5, 0.1f, 0.1f, -5, 0.1f, 0, -5};
        static const uint32_t indices[12] = {0, 1, 2, 3, 0, 1, 1, 2, 2, 3, 3, 0};
        glGenBuffers(1, &vertexBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
        glGenBuffers(1, &indexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);
    }
    const GLsizei count = edges ? 8 : 4;
    const void *offset = (const void *)(edges ? 4 * sizeof(uint32_t) : 0);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glMultiDrawElements(edges ? GL_LINES : GL_QUADS, &count, GL_UNSIGNED_INT, &offset, 1);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

static void polygonMode(GLenum mode)
{
    glPolygonMode(GL_FRONT_AND_BACK, mode);
}

// Each scene's drawing in its block's order, with its programs, materials and modes: a model,
// a cube or a letter stands for each kind of thing the block draws. `s` holds the scene's
// programs in SceneIds order, `m` its models.
static void drawScene0(const SceneIds &ids)
{
    const int *s = ids.shaders.data();
    glColor4f(1, 1, 1, 1);
    vlm_enableShader(s[2]);
    vlm_setLight0(1);
    tealMaterial();
    vlm_drawPolygonText("a", 0, 0, -20); // the titles
    vlm_enableShader(s[0]);
    batchQuad(); // the plane
    vlm_setLight0(0);
}

// The corridors of scenes 1 and 2: the spikes, then the slats or boxes, ring cubes (and in
// scene 2 the particles) in lines; scene 2 then draws its smiling cube filled.
static void drawCorridor(const SceneIds &ids, SlatTurn turn, bool smile)
{
    const int *s = ids.shaders.data(), *m = ids.models.data();
    vlm_enableShader(s[2]);
    vlm_setLight0(1);
    tealMaterial();
    polygonMode(GL_LINE);
    vlm_renderOBJ(m[0]);
    drawSlat(0, 0, -5, 30, turn);
    polygonMode(GL_FILL);
    if (smile) vlm_renderOBJ(m[1]);
    vlm_setLight0(0);
}

static void drawScene1(const SceneIds &ids)
{
    drawCorridor(ids, TURN_ALWAYS, false);
}

static void drawScene2(const SceneIds &ids)
{
    drawCorridor(ids, TURN_UNLESS_ZERO, true);
}

static void drawScene3(const SceneIds &ids)
{
    const int *s = ids.shaders.data();
    vlm_setLight0(1);
    vlm_enableShader(s[2]);
    tealMaterial();
    vlm_drawPolygonText("F", 0, 0, -20);
    drawSlat(0, 0, -5, 0, TURN_ALWAYS); // the row of cubes
    vlm_setLight0(0);
}

static void drawScene4(const SceneIds &ids)
{
    const int *s = ids.shaders.data(), *m = ids.models.data();
    vlm_setLight0(1);
    vlm_enableShader(s[2]);
    greyMaterial(0.6f);
    polygonMode(GL_LINE);
    drawSlat(0, 0, -5, 0, TURN_UNLESS_ZERO); // particles
    vlm_renderOBJ(m[1]); // the body, then the wheels
    vlm_renderOBJ(m[0]);
    drawSlat(0, 0, -5, 30, TURN_UNLESS_ZERO); // the road
    greyMaterial(1);
    polygonMode(GL_FILL);
    vlm_drawPolygonText("T", 0, 0, -20);
    vlm_enableShader(s[3]);
    greyMaterial(0.6f);
    polygonMode(GL_LINE);
    batchQuad(); // the floor grid
    polygonMode(GL_FILL);
    vlm_setLight0(0);
}

static void drawScene5(const SceneIds &ids)
{
    const int *s = ids.shaders.data(), *m = ids.models.data();
    vlm_setLight0(1);
    vlm_enableShader(s[2]);
    polygonMode(GL_LINE);
    vlm_renderOBJ(m[0]); // the reactors
    vlm_enableShader(s[3]);
    greyMaterial(0.6f);
    polygonMode(GL_FILL);
    batchQuad(true); // the strips' outlines
    vlm_setLight0(0);
}

static void drawScene6(const SceneIds &ids)
{
    const int *s = ids.shaders.data(), *m = ids.models.data();
    vlm_setLight0(1);
    vlm_enableShader(s[2]);
    greyMaterial(0.6f);
    glColor4f(1, 1, 1, 1);
    vlm_drawPolygonText("g", 0, 0, -20); // the greetings
    vlm_renderOBJ(m[0]); // pipes and rings
    vlm_renderOBJ(m[1]);
    vlm_enableShader(s[3]);
    greyMaterial(0.6f);
    batchQuad(); // the strip
    polygonMode(GL_FILL);
    vlm_setLight0(0);
}

static SceneIds (*const IDS[DIRECTOR_SCENES])(void) = {
    scene0_ids, scene1_ids, scene2_ids, scene3_ids, scene4_ids, scene5_ids, scene6_ids};
static void (*const DRAWS[DIRECTOR_SCENES])(const SceneIds &) = {
    drawScene0, drawScene1, drawScene2, drawScene3, drawScene4, drawScene5, drawScene6};

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

// A played frame of scene N, unseen: its drawing into its target, its post pass and the chain.
// The scene's target is cleared whole, as in its first frame, so that its memory is in place.
static void unseenFrame(int N)
{
    SceneIds ids = IDS[N]();
    float paper = SCENE_PAPER[N];
    glDisable(GL_SCISSOR_TEST);
    unsigned texture = vlm_enableFBO(ids.target, paper, paper, paper);
    glEnable(GL_SCISSOR_TEST);
    DRAWS[N](ids);
    postChain_scenePass(ids.shaders[1], 1, texture);
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
        vlm_enableFBO(IDS[0]().target, 0, 0, 0);
        vlm_drawPolygonText(letters, 0, 0, -20);
    }
    endUnseen(px);
}
