// Staged loading: which frame runs which stage, when the bar completes for wide and narrow
// windows, the ribbon drawn into a real window, and the ids the stages create from the
// staged data set, in order; then the chain those resources make carries a picture to the
// window between black bands; the frames after the stages record the grids and warm up unseen.
#include "director.h"
#include "fbo.h"
#include "gl_context.h"
#include "loading.h"
#include "models_obj.h"
#include "noise.h"
#include "post_chain.h"
#include "quad_batch.h"
#include "scenes.h"
#include "shader.h"
#include "vlm.h"
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct LoadingRun {
    std::vector<int> stageOfFrame; // stage run in frame k + 1 (0 = none)
    int completeFrame;             // 1-based frame in which loading completed
};

// Runs the loading arithmetic frame by frame for a window `W` pixels wide.
LoadingRun runLoading(float W)
{
    loading_reset();
    LoadingRun run{{}, 0};
    for (int frame = 1; frame <= 100000; frame++) {
        int stage = loading_selectStage();
        run.stageOfFrame.push_back(stage);
        if (loading_advanceBar(stage != 0, W)) {
            run.completeFrame = frame;
            break;
        }
    }
    return run;
}

TEST(LoadingStages, AWideWindowRunsTheFiveStagesInFramesOneToFiveAndCompletes58FramesLater)
{
    LoadingRun run = runLoading(1280);
    ASSERT_GE(run.stageOfFrame.size(), 5u);
    EXPECT_EQ(std::vector<int>(run.stageOfFrame.begin(), run.stageOfFrame.begin() + 5),
              (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(run.completeFrame, 5 + 58);
    for (size_t k = 5; k < run.stageOfFrame.size(); k++) EXPECT_EQ(run.stageOfFrame[k], 0);
    EXPECT_GT(progress, 1280 / 17.0f);
}

TEST(LoadingStages, ANarrowWindowCompletesBeforeTheLaterStagesRun)
{
    struct { float W; int completeFrame; int lastStage; } cases[] = {
        {41, 5, 5},  // the narrowest window that runs all five stages
        {40, 4, 4},  // completes after stage 4: no render targets for the chain
        {10, 2, 2},
        {1, 1, 1},   // only the scene resources: the chain has no programs
    };
    for (auto c : cases) {
        LoadingRun run = runLoading(c.W);
        EXPECT_EQ(run.completeFrame, c.completeFrame) << "W " << c.W;
        EXPECT_EQ(run.stageOfFrame.back(), c.lastStage) << "W " << c.W;
    }
}

// The bar never stalls: for every width up to 4000 pixels each frame after the stages makes it
// longer or completes it (at widths 102 and 1122 it lands exactly on its end on the way).
TEST(LoadingStages, EveryWidthCompletesEachFrameGrowingTheBar)
{
    int stalled = 0, firstWidth = 0;
    for (int W = 1; W <= 4000; W++) {
        loading_reset();
        for (int frame = 1; frame <= 100000; frame++) {
            float before = progress;
            bool stage = loading_selectStage() != 0;
            if (loading_advanceBar(stage, (float)W)) break;
            if (!(progress > before) && !stalled++) firstWidth = W;
            if (!(progress > before)) break;
        }
    }
    EXPECT_EQ(stalled, 0) << "first at width " << firstWidth;
}

TEST(LoadingStages, ABarExactlyAtTheEndStillCompletes)
{
    // A bar that lands exactly on W / 17 grows once more and completes in that frame.
    loading_reset();
    for (int i = 0; i < 5; i++) loading_selectStage();
    progress = 1280.0f / 34 * 2;
    EXPECT_TRUE(loading_advanceBar(0, 1280));
}

// ---------------------------------------------------------------- on a real window

class LoadingGL : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        vlmTestGLContext(320, 180);
        vlm_globalX = 320; // the size the reshape callback would have stored
        vlm_globalY = 180;
        ASSERT_EQ(chdir(VLM_STAGE_DIR), 0);
        SOUND_ON = 0;
    }
};

// Reads the whole 320 x 180 back buffer as RGBA.
std::vector<unsigned char> readWindow()
{
    std::vector<unsigned char> px(320 * 180 * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 320, 180, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

TEST_F(LoadingGL, TheRibbonFollowsTheNoiseAndOnlyGrowsInLength)
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, 320, 180);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glUseProgram(0);
    const float W = 320, x0 = W / -34;
    std::vector<unsigned char> shorter, longer;
    for (float length : {x0 * -1 + 0.0f, x0 * -1 + 1.0f}) { // ends at x = 0, then at x = 1
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4f(1, 1, 1, 1);
        progress = length;
        loading_drawRibbon(W);
        (shorter.empty() ? shorter : longer) = readWindow();
    }
    int litShort = 0, litLong = 0, litLongLeft = 0;
    for (int y = 0; y < 180; y++)
        for (int x = 0; x < 320; x++) {
            bool s = shorter[(y * 320 + x) * 4] > 128, l = longer[(y * 320 + x) * 4] > 128;
            litShort += s;
            litLong += l;
            litLongLeft += l && x < 158;
            if (s) {
                EXPECT_TRUE(l) << x << "," << y; // the longer ribbon covers the shorter one
            }
            if (x > 162) {
                EXPECT_FALSE(s) << x << "," << y;
            }
        }
    EXPECT_GT(litShort, 0);
    EXPECT_GT(litLong, litShort);
    EXPECT_LE(litLongLeft, litShort);
    // Every lit pixel lies on the centre line through the columns (x0 + 0.1 k, noise / 5),
    // within the line's rise over the pixel's width and two pixels of rasterisation.
    auto centre = [&](float x) {
        int k = (int)((x - x0) / 0.1f);
        float xa = x0 + 0.1f * k, xb = xa + 0.1f;
        float ya = vlm_perlin2DNoise(xa * 10000 / 100, 0, 33) / 5;
        float yb = vlm_perlin2DNoise(xb * 10000 / 100, 0, 33) / 5;
        return ya + (yb - ya) * (x - xa) / 0.1f;
    };
    for (int y = 0; y < 180; y++)
        for (int x = 0; x < 160; x++) {
            if (shorter[(y * 320 + x) * 4] <= 128) continue;
            float ndcLeft = -1 + 2 * x / 320.0f, ndcRight = -1 + 2 * (x + 1) / 320.0f;
            float a = (centre(ndcLeft) + 1) * 90, b = (centre(ndcRight) + 1) * 90;
            float lo = std::min(a, b) - 2, hi = std::max(a, b) + 2;
            EXPECT_TRUE(y + 0.5f >= lo && y + 0.5f <= hi) << "pixel " << x << "," << y;
        }
}

TEST_F(LoadingGL, StagesCreateEveryResourceInOrderAndTheChainCarriesAPictureBetweenBands)
{
    int firstShader = vlm_loadShader(nullptr, "data/shader/PP/first.frag") + 1;
    int firstTarget = vlm_loadFBO(8, 8) + 1;
    int firstModel = CURRENT_OBJ_ID;

    loading_stageScenes();
    int s = firstShader;
    // Every scene's ids by name, in the order its loading step makes them.
    const std::vector<int> shaders = {
        scene0.scene, scene0.post, scene0.lines,  scene1.scene, scene1.post,    scene1.lines,
        scene2.scene, scene2.post, scene2.lines,  scene3.scene, scene3.post,    scene3.lines,
        scene4.scene, scene4.post, scene4.car,    scene4.floor, scene5.scene,   scene5.post,
        scene5.reactors, scene5.strips, scene6.scene, scene6.post, scene6.tunnel, scene6.axis};
    for (size_t i = 0; i < shaders.size(); i++) EXPECT_EQ(shaders[i], s + (int)i) << i;
    for (int N = 0; N < DIRECTOR_SCENES; N++) EXPECT_EQ(SCENES[N]->ids->target, firstTarget + N);
    const std::vector<int> models = {scene1.spikes, scene1.cameraBody, scene1.cameraProp,
                                     scene2.spikes, scene2.smile,      scene4.wheel,
                                     scene4.body,   scene5.reactor,    scene6.pipe,
                                     scene6.ring};
    for (size_t i = 0; i < models.size(); i++) EXPECT_EQ(models[i], firstModel + (int)i) << i;
    EXPECT_NE(scene1.spikes, scene2.spikes); // the same file, two models
    EXPECT_NE(scene1.sun, 0u);
    for (int i = 0; i < DIRECTOR_SCENE_SLOTS; i++)
        EXPECT_EQ(sceneTime[i], i < DIRECTOR_SCENES ? SCENES[i]->seconds : 0.0f) << i;

    loading_stageChain();
    // The chain's programs and targets come after every scene's, in a row.
    int lastProgram = 0;
    for (int N = 0; N < DIRECTOR_SCENES; N++)
        lastProgram = std::max({lastProgram, SCENES[N]->ids->scene, SCENES[N]->ids->post});
    lastProgram = std::max(lastProgram, shaders.back());
    EXPECT_GT(VLM_PP[0][PP_PROGRAM], lastProgram);
    for (int i = 0; i < 5; i++) EXPECT_EQ(VLM_PP[i][PP_PROGRAM], VLM_PP[0][PP_PROGRAM] + i);
    loading_stageMusic(); // sound off: returns at once
    loading_stageTargets();
    for (int i = 0; i < 4; i++) EXPECT_EQ(VLM_PP[i][PP_TARGET], firstTarget + DIRECTOR_SCENES + i);

    // A scene picture of white with a teal square, through the post pass and the chain.
    const int post0_shader = scene0.post, fbo0 = scene0.target;
    unsigned fbotex = vlm_enableFBO(fbo0, 1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor3f(0, 0.5f, 0.5f);
    glRecti(0, 0, 1, 1); // the upper right quarter
    postChain_scenePass(post0_shader, 1.0f, fbotex);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    VLM_SCREEN_RGBDIST = VLM_SCREEN_DIST = VLM_SCREEN_WOBBLE = 0;
    vlm_disableFBO(1, 1, 1); // a window left white: the bands are the chain's own black
    postChain_toWindow(320, 180);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

    std::vector<unsigned char> px = readWindow();
    auto at = [&](int x, int y) { return &px[(y * 320 + x) * 4]; };
    for (int x : {0, 5, 160, 314, 319}) {
        for (int y : {0, 4, 8, 171, 175, 179}) { // the bands: 5 % of 180 = 9 rows each
            EXPECT_LT(at(x, y)[0] + at(x, y)[1] + at(x, y)[2], 10) << x << "," << y;
        }
        EXPECT_GT(at(x, 9)[1], 150) << x << ": the picture's first row, light paper";
    }
    EXPECT_GT(at(5, 170)[1], 150) << "the picture's last row, light paper";
    unsigned char *paper = at(80, 50), *square = at(240, 130);
    EXPECT_GT(paper[0], 200); // white paper stays light
    EXPECT_GT(paper[1], 200);
    EXPECT_LT(square[0], 60);  // the teal square keeps its hue
    EXPECT_GT(square[1], 90);
    EXPECT_GT(square[2], 90);

    // A window resized after loading: the chain is told the new size, the targets keep theirs
    // and so does the picture (the blurs go by their targets' size).
    postChain_toWindow(64, 36);
    EXPECT_TRUE(readWindow() == px) << "the picture changed with the size the chain was told";

    // "fade" 0 turns the picture black; the bands stay black.
    fbotex = vlm_enableFBO(fbo0, 1, 1, 1);
    postChain_scenePass(post0_shader, 0.0f, fbotex);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    postChain_toWindow(320, 180);
    px = readWindow();
    EXPECT_LT(at(80, 50)[0] + at(80, 50)[1], 20);
}

// The frames after the stages: the grids come out as if recorded at once, in scene order, and
// the warm-ups leave the window and the state the bar draws with as they found them.
TEST_F(LoadingGL, FramesAfterTheStagesRecordTheGridsInOrderAndWarmUpUnseen)
{
    if (VLM_PP[4][PP_PROGRAM] == 0) { // run on its own: the stages' resources first
        loading_stageScenes();
        loading_stageChain();
        loading_stageTargets();
    }
    loading_reset();
    for (int i = 0; i < 5; i++) loading_selectStage(); // every stage has run
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, 320, 180);
    glDisable(GL_SCISSOR_TEST);
    glUseProgram(0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glClearColor(0.2f, 0.4f, 0.6f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
    progress = 40;
    loading_drawRibbon(320);
    std::vector<unsigned char> before = readWindow();

    int frames = 1;
    while (!loading_afterStages(0)) frames++;
    EXPECT_GT(frames, 4); // a share a frame, not all in one
    EXPECT_EQ(readWindow(), before);
    GLint program = -1, framebuffer = -1, viewport[4];
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 320, 180}));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_EQ(modelview[12] + modelview[13] * 10 + modelview[14] * 100, 321.0f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

    const GridRecording *grids[4] = {&scene0_plane, &scene4_grid, &scene5_strip, &scene6_strip};
    const int quads[4] = {667 * 667, 100 * 100, 501 * 21, 2 * 800};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(grids[i]->batch, grids[0]->batch + i) << i;
        EXPECT_EQ(vlm_quadBatchQuads(grids[i]->batch), quads[i]) << i;
    }
    // Each batch draws the pixels of its loop: test_quad_batch.
}


} // namespace
