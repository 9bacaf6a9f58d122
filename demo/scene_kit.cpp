// The scene kit: geometry, values and materials several scenes share.
#include "scene_kit.h"
#include "director.h"
#include "loading.h"
#include "post_chain.h"
#include <vlm/camera.h>
#include <vlm/fbo.h>
#include <vlm/lighting.h>
#include <vlm/noise.h>
#include <vlm/quad_batch.h>
#include <vlm/shader.h>
#include <vlm/view_cull.h>
#include <vlm/vlm.h>
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cmath>
#include <cstdlib>

// ---------------------------------------------------------------- values

float rowDistance(float t, float speed, int spacing, int row)
{
    int n = (int)(t * speed / spacing); // toward zero, also for negative times
    return spacing * row + (speed * t - spacing * n);
}

float swing(float t)
{
    float M = (float)(5 * cos(3.4 * (t + 1)));
    if (M > 2.5f) M = 2.5f;
    if (M < -2.5f) M = -2.5f;
    return M;
}

const ScreenGains STRONG_DISTORTION = {10, 0.1f};
const ScreenGains CALM_DISTORTION = {4, 0.01f};

void setScreenEffects(float t, ScreenGains gains)
{
    VLM_SCREEN_RGBDIST = vlm_perlin2DNoise(0, 30 * t, 123) * gains.rgb;
    VLM_SCREEN_DIST = vlm_perlin2DNoise(0, 30 * t, 123) * gains.dist;
    VLM_SCREEN_WOBBLE = vlm_perlin2DNoise(0, 0.01f * t, 123);
}

// ---------------------------------------------------------------- the block

void strongDistortion(float t)
{
    setScreenEffects(t, STRONG_DISTORTION);
}

void calmDistortion(float t)
{
    setScreenEffects(t, CALM_DISTORTION);
}

// The first frame of a scene: its own first-frame work, then its camera track on slot 0.
static void openScene(const SceneRow &row)
{
    if (row.firstFrame) row.firstFrame();
    int track = vlm_genCameraTrack(VLM_TRACK_LOADED, row.track);
    vlm_camera_useTrack(0, track);
}

void sceneBlock(int N)
{
    static bool opened[DIRECTOR_SCENES];
    const SceneRow &row = *SCENES[N];
    float t = director_sceneClock();
    if (!opened[N]) openScene(row);
    opened[N] = true;
    mblur = 0;
    row.screen(t);
    unsigned picture = vlm_enableFBO(row.ids->target, row.paper, row.paper, row.paper);
    row.draw({.t = t, .played = true});
    if (director_sceneChange(N, t) == DEMO_END) exit(0);
    postChain_scenePass(row.ids->post, row.fade(t), picture);
}

void openDrawing(const SceneFrame &frame, int program)
{
    sceneCamera(frame);
    vlm_setLight0(1);
    glPushMatrix();
    vlm_enableShader(program);
    sceneUniform(program, "timer", frame.t);
}

void closeDrawing(void)
{
    glPopMatrix();
    vlm_setLight0(0);
}

void loadScenePrograms(SceneIds &ids)
{
    ids.scene = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    ids.post = vlm_loadShader(nullptr, POST_FRAG);
}

void sceneCamera(const SceneFrame &frame)
{
    if (frame.played) vlm_useCamera(0);
}

// ---------------------------------------------------------------- geometry

// The grid's loop: it defines the corners, whether they are sent at once or recorded. One
// column is the inner loop at one x.
template <typename Corner>
static int gridColumn(float x, float z0, double z1, float zStep, float size, Corner corner)
{
    int quads = 0;
    for (float z = z0; z < z1; z += zStep) {
        corner(x, 0, z);
        corner(x, 0, z + size);
        corner(x + size, 0, z + size);
        corner(x + size, 0, z);
        quads++;
    }
    return quads;
}

template <typename Corner>
static int gridLoop(float x0, double x1, float xStep, float z0, double z1, float zStep,
                    float size, Corner corner)
{
    int quads = 0;
    for (float x = x0; x < x1; x += xStep) quads += gridColumn(x, z0, z1, zStep, size, corner);
    return quads;
}

int drawQuadGrid(float x0, double x1, float xStep, float z0, double z1, float zStep, float size)
{
    glBegin(GL_QUADS);
    int quads = gridLoop(x0, x1, xStep, z0, z1, zStep, size,
                         [](float x, float y, float z) { glVertex3f(x, y, z); });
    glEnd();
    return quads;
}

bool recordGridStep(GridRecording &g, int columns)
{
    const GridSettings &s = g.settings;
    if (g.ended) return true;
    if (g.batch < 0) {
        g.batch = vlm_quadBatchBegin();
        g.x = s.x0;
    }
    if (!(g.x < s.x1)) {
        vlm_quadBatchEnd(g.batch, s.runQuads, s.grow);
        return g.ended = true;
    }
    int batch = g.batch;
    // gridLoop's outer loop resumed at g.x: the same float steps.
    for (int c = 0; c < columns && g.x < s.x1; c++, g.x += s.xStep)
        gridColumn(g.x, s.z0, s.z1, s.zStep, s.size,
                   [batch](float x, float y, float z) { vlm_quadBatchVertex(batch, x, y, z); });
    return false;
}

int drawGround(float cell)
{
    return drawQuadGrid(-100, 100, cell, -100, 100, cell, cell);
}

// Whether a unit cube turned 360 a degrees about z and moved `radius` along the turned x axis
// lies wholly outside the view: its box is taken round the cube whatever its turn.
static bool ringCubeOutside(const float clip[16], float a, float radius)
{
    double angle = 2 * M_PI * a;
    float cx = (float)(radius * cos(angle)), cy = (float)(radius * sin(angle));
    const float reach = 0.9f; // half the cube's diagonal, 0.866, and a little
    const float lo[3] = {cx - reach, cy - reach, -reach}, hi[3] = {cx + reach, cy + reach, reach};
    return vlm_boxOutsideClip(clip, lo, hi);
}

int drawCubeRings(float t, float M, float zFrom, float zTo, float zStep)
{
    int cubes = 0;
    for (float z0 = zFrom; z0 < zTo; z0 += zStep) {
        glPushMatrix();
        glTranslatef(3, 0, z0);
        glRotatef(40 * t * (float)sin(z0), 0, 0, (float)sin(2 * z0));
        float clip[16];
        vlm_viewClipMatrix(clip);
        for (float a = 0; a < 1; a += 0.01f) { // 101 cubes: the last lands on the first
            // A cube no pixel of which could show is not sent; its matrices come and go
            // around it, so leaving them out changes nothing else.
            if (ringCubeOutside(clip, a, 2 * M + 20)) {
                cubes++;
                continue;
            }
            glPushMatrix();
            glRotatef(360 * a, 0, 0, 1);
            glTranslatef(2 * M + 20, 0, 0);
            glutSolidCube(1);
            glPopMatrix();
            cubes++;
        }
        glPopMatrix();
    }
    return cubes;
}

void drawSlat(float x, float y, float z, float angleDeg, SlatTurn turn)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    if (turn == TURN_ALWAYS || angleDeg != 0) glRotatef(angleDeg, 0, 0, 1);
    glScalef(1, 0.2f, 3);
    glutSolidCube(1);
    glPopMatrix();
}

void drawSlatRow(float x, float z, float M, SlatTurn turn)
{
    drawSlat(x, -M - 2, z, 0, turn);
    drawSlat(x + 2, M - 4, z, 30 * (M + 2.5f), turn);
    drawSlat(x - 2, M - 4, z, -30 * (M + 2.5f), turn);
}

// ---------------------------------------------------------------- materials and uniforms

void tealMaterial(void)
{
    static const float ambient[4] = {0, 0.5f, 0.5f, 1}, grey[4] = {0.5f, 0.5f, 0.5f, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, grey);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, grey);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 96);
}

void greyMaterial(float ambient)
{
    const float a[4] = {ambient, ambient, ambient, 1}, grey[4] = {0.5f, 0.5f, 0.5f, 1},
                shininess[4] = {96, 96, 96, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, a);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, grey);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, grey);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
}

void useGridProgram(int program, float intensity, float t)
{
    vlm_enableShader(program);
    sceneUniform(program, "intensity", intensity);
    sceneUniform(program, "timer", t);
    greyMaterial(0.6f);
}

void sceneUniform(int program, const char *name, float value)
{
    vlm_shader_sendUniformValue(program, name, &value, 1);
}
