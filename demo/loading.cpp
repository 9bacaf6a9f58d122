// Staged loading: one stage per frame behind the noise ribbon, then the hand-over.
// Stage 1 runs the scenes' loading steps in scene order; the ids follow that order. The
// frames without a stage record the scenes' grids and warm their programs up.
#include "loading.h"
#include "director.h"
#include "post_chain.h"
#include "scene_kit.h"
#include "warmup.h"
#include <vlm/fbo.h>
#include <vlm/noise.h>
#include <vlm/shader.h>
#include <vlm/vlm.h>
#include <GL/glew.h>
#include <chrono>
#include <cstdio>

int l_texture, l_shader, l_models, l_music, l_fbo;
static int l_grid, l_warm; // after the stages: the grid being recorded, the next warm-up step
float progress = 0;

const char *const SCENE_VERT = "data/shader/scene0.vert";
const char *const SCENE_FRAG = "data/shader/scene0.frag";
const char *const LINES_VERT = "data/shader/scene01.vert";
const char *const LINES_FRAG = "data/shader/scene01.frag";
const char *const POST_FRAG = "data/shader/post.frag";

// ---------------------------------------------------------------- bar arithmetic

int loading_selectStage(void)
{
    int *counters[5] = {&l_texture, &l_shader, &l_models, &l_music, &l_fbo};
    for (int stage = 0; stage < 5; stage++)
        if ((*counters[stage])++ == 0) return stage + 1;
    return 0;
}

int loading_advanceBar(int stageRan, float W)
{
    if (stageRan) progress += W / 34 * 2 / 6;
    // Growth includes equality so that a bar that lands exactly on W / 17 still completes.
    if (W / 34 * 2 * 6 / 6 >= progress) progress += 0.2f;
    return progress > W / 34 * 2;
}

void loading_reset(void)
{
    l_texture = l_shader = l_models = l_music = l_fbo = 0;
    l_grid = l_warm = 0;
    progress = 0;
}

// ---------------------------------------------------------------- stages

int loading_windowTarget(void)
{
    // On a software rasteriser full floats make every pass of the frame faster.
    vlm_fboFullFloat(VLM_FULL_FLOAT_ON_SOFTWARE_GL);
    return vlm_loadFBO((int)vlm_Get(VLM_GET_WIDTH), (int)vlm_Get(VLM_GET_HEIGHT));
}

void loading_setPaper(int program, float paper)
{
    vlm_enableShader(program);
    vlm_shader_sendUniformValue(program, "paper", &paper, 1);
    vlm_disableShader();
}

void loading_stageScenes(void)
{
    for (int N = 0; N < DIRECTOR_SCENES; N++) {
        const SceneRow &row = *SCENES[N];
        row.load();
        row.ids->target = loading_windowTarget();
        sceneTime[N] = row.seconds;
        // A program keeps its uniforms: the paper is told once, "fade" every frame.
        loading_setPaper(row.ids->post, row.paper);
    }
}

void loading_stageChain(void)
{
    static const char *const names[5] = {"first", "second", "third", "fourth", "fifth"};
    char vert[64], frag[64];
    for (int i = 0; i < 5; i++) {
        snprintf(vert, sizeof vert, "data/shader/PP/%s.vert", names[i]);
        snprintf(frag, sizeof frag, "data/shader/PP/%s.frag", names[i]);
        VLM_PP[i][PP_PROGRAM] = vlm_loadShader(vert, frag);
    }
}

void loading_stageMusic(void)
{
    vlm_loadMusic("data/tune.mp3");
}

void loading_stageTargets(void)
{
    for (int i = 0; i < 4; i++) VLM_PP[i][PP_TARGET] = loading_windowTarget();
}

void loading_drawRibbon(float W)
{
    // Columns sit at fixed x and the noise depends on x only: the ribbon only grows. The
    // window is not cleared while loading, so its depth buffer holds whatever it held: the
    // ribbon ignores it.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_TRIANGLE_STRIP);
    for (float x = W / -34; W / -34 + progress > x; x += 0.1f) {
        float n = vlm_perlin2DNoise(x * 10000 / 100, 0, 33);
        glVertex3f(x, n / 5 + 0.005f, 0);
        glVertex3f(x, n / 5 - 0.005f, 0);
    }
    glEnd();
    glPopAttrib();
}

// ---------------------------------------------------------------- after the stages

// The k-th grid of the table's rows in row order, or nullptr past the last.
static GridRecording *gridAt(int k)
{
    for (const SceneRow *row : SCENES)
        for (GridRecording *grid : row->grids)
            if (grid && k-- == 0) return grid;
    return nullptr;
}

// Columns recorded between two looks at the clock, and a frame's share of work: the bar's
// frames come every 25 ms and drawing the bar takes a few.
static const int GRID_COLUMNS = 8;
static const double FRAME_WORK_MS = 15;

int loading_afterStages(int all)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    auto spent = [&] {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    int gridsAtStart = gridAt(l_grid) != nullptr;
    while (GridRecording *grid = gridAt(l_grid)) {
        if (recordGridStep(*grid, GRID_COLUMNS)) l_grid++;
        if (!all && spent() >= FRAME_WORK_MS) return 0;
    }
    if (!l_fbo) return 1; // no chain to warm: loading ended before its targets
    if (gridsAtStart && !all) return 0; // grids and a warm-up together would overrun the tick
    while (l_warm < warmup_steps()) {
        warmup_step(l_warm++);
        if (!all) return l_warm == warmup_steps();
    }
    return 1;
}

int loadingFrame(void)
{
    int stage = loading_selectStage();
    switch (stage) {
    case 1: loading_stageScenes(); break;
    case 2: loading_stageChain(); break;
    case 3: loading_afterStages(0); break; // the models stage loads nothing
    case 4: loading_stageMusic(); break;
    case 5: loading_stageTargets(); break;
    default: loading_afterStages(0); break;
    }
    float W = vlm_Get(VLM_GET_WIDTH);
    int complete = loading_advanceBar(stage != 0, W);
    if (complete) loading_afterStages(1);
    glColor4f(1, 1, 1, 1);
    mblur = 0;
    loading_drawRibbon(W);
    return complete;
}
