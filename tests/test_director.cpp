// The scene director on the framework's real clocks (silent and capture): hand-over, start
// scene, scene changes forward and back, the end of the demo; the scenes' own values; and
// the counted geometry of scenes 0 and 1 drawn on a real GL context.
#include "director.h"
#include "gl_context.h"
#include "scene_kit.h"
#include "scenes.h"
#include "vlm.h"
#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <vector>

namespace {

// What the recording blocks saw: the scenes that ran in the current frame, and the end.
std::vector<int> ranThisFrame;
bool demoEnded = false;

void recordingBlock(int N)
{
    ranThisFrame.push_back(N);
    if (director_sceneChange(N, director_sceneClock()) == DEMO_END) demoEnded = true;
}

class Director : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The state a fresh process has after loading stage 1, on the silent clock.
        for (float &s : sceneTime) s = 0;
        for (int i = 0; i < DIRECTOR_SCENES; i++) sceneTime[i] = SCENES[i]->seconds;
        queue = -1;
        loaded = 0;
        loadingTime = 0;
        songStartPosition = 0;
        SOUND_ON = 0;
        CAPTURE = 0;
        S_SCENE = 0;
        SOUND_MUTE_TIMER = 0;
        SOUND_MUTE_START = 0;
        SOUND_MUTE_PAUSE = 0;
        sceneid = 0;
        DEMO_LENGTH = 0;
        demoEnded = false;
    }

    // Hands over and returns what it printed.
    std::string handOver(int startScene)
    {
        S_SCENE = startScene;
        testing::internal::CaptureStdout();
        director_handOver();
        return testing::internal::GetCapturedStdout();
    }

    // One frame at demo clock `ms`: the blocks in order, as drawScene runs them.
    void frameAt(int ms)
    {
        vlm_skipTo(ms);
        ranThisFrame.clear();
        director_runBlocks(recordingBlock);
    }

    // Plays 25 ms ticks from `fromMs` until the demo ends or `toMs`; returns the clock of
    // every frame in which the current scene changed, with the scene it changed to.
    std::vector<std::pair<int, int>> play(int fromMs, int toMs)
    {
        std::vector<std::pair<int, int>> changes;
        for (int ms = fromMs; ms <= toMs && !demoEnded; ms += 25) {
            int before = queue;
            frameAt(ms);
            if (queue != before || demoEnded) changes.push_back({ms, demoEnded ? 7 : queue});
        }
        return changes;
    }
};

TEST_F(Director, PlayedFromTheStartChangesScenesOnTheBarLinesAndEndsAfter216Seconds)
{
    std::string out = handOver(0);
    EXPECT_EQ(queue, 0);
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(out.find("## got queue"), std::string::npos);
    EXPECT_EQ(loadingTime, 0);
    EXPECT_EQ(DEMO_LENGTH, 216000);

    auto changes = play(0, 220000);
    std::vector<std::pair<int, int>> expected = {{30025, 1},  {45025, 2},  {75025, 3}, {82525, 4},
                                                 {127525, 5}, {150025, 6}, {216025, 7}};
    EXPECT_EQ(changes, expected);
    EXPECT_TRUE(demoEnded);
}

TEST_F(Director, HandOverPrintsEverySceneDurationAndRegistersTheDemoLength)
{
    std::string out = handOver(0);
    EXPECT_EQ(out, "sceneTime[0] = 30.000000\nsceneTime[1] = 15.000000\n"
                   "sceneTime[2] = 30.000000\nsceneTime[3] = 7.500000\n"
                   "sceneTime[4] = 45.000000\nsceneTime[5] = 22.500000\n"
                   "sceneTime[6] = 66.000000\n");
    EXPECT_EQ(sceneid, 7);
    EXPECT_EQ(SOUND_MUTE_START, 1); // the silent clock was started
}

TEST_F(Director, StartSceneFourSeeksToWholeSecondsAndLaterChangesFollowExactDurations)
{
    std::string out = handOver(4);
    EXPECT_NE(out.find("## got queue 4\n"), std::string::npos);
    EXPECT_NE(out.find("song start pos = 82000\n"), std::string::npos);
    EXPECT_EQ(queue, 4);
    EXPECT_EQ(SOUND_MUTE_TIMER, 82000);
    EXPECT_FLOAT_EQ(loadingTime, 82.0f);

    frameAt(82000);
    EXPECT_EQ(ranThisFrame, std::vector<int>{4}); // the first frame already shows scene 4
    auto changes = play(82025, 150000);
    std::vector<std::pair<int, int>> expected = {{127025, 5}, {149525, 6}};
    EXPECT_EQ(changes, expected);
}

TEST_F(Director, ForwardChangeRunsBothBlocksInTheSameFrame)
{
    handOver(0);
    frameAt(29975);
    EXPECT_EQ(ranThisFrame, std::vector<int>{0});
    frameAt(30025);
    EXPECT_EQ(ranThisFrame, (std::vector<int>{0, 1}));
    EXPECT_FLOAT_EQ(loadingTime, 30.0f);
}

TEST_F(Director, ASeekAcrossSeveralScenesPassesThroughAllOfThemInOneFrame)
{
    handOver(0);
    frameAt(1000);
    frameAt(100000); // scene 4's window
    EXPECT_EQ(ranThisFrame, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(queue, 4);
    EXPECT_FLOAT_EQ(loadingTime, 82.5f);
}

TEST_F(Director, SeekingBackKeepsTheSceneDownToMinusThreeThenResumesThePreviousOne)
{
    handOver(0);
    frameAt(45500); // scene 2 at t = 0.5 (through 0 and 1 in one frame)
    ASSERT_EQ(queue, 2);
    for (int ms : {44500, 43500, 42500}) { // t = -0.5, -1.5, -2.5
        frameAt(ms);
        EXPECT_EQ(queue, 2) << ms;
    }
    frameAt(41500); // t = -3.5: back to scene 1, effective from the next frame
    EXPECT_EQ(queue, 1);
    EXPECT_EQ(ranThisFrame, std::vector<int>{2});
    EXPECT_FLOAT_EQ(loadingTime, 30.0f);
    frameAt(41500);
    EXPECT_EQ(ranThisFrame, std::vector<int>{1});
    EXPECT_NEAR(director_sceneClock(), 11.5f, 1e-4); // 3.5 s before scene 1's end
}

TEST_F(Director, SceneZeroNeverStepsBack)
{
    handOver(0);
    loadingTime = 10; // scene time -10
    frameAt(0);
    EXPECT_EQ(queue, 0);
    EXPECT_EQ(loadingTime, 10);
}

TEST_F(Director, CaptureModeCannotSeekSoAStartSceneStepsBackOneScenePerFrameToSceneZero)
{
    CAPTURE = 1;
    CAPTURE_TIMER = 1575; // the loading frames counted by the capture clock
    handOver(4);
    EXPECT_EQ(CAPTURE_TIMER, 1575);
    std::vector<int> scenes;
    for (int frame = 0; frame < 6; frame++) {
        ranThisFrame.clear();
        director_runBlocks(recordingBlock);
        scenes.push_back(ranThisFrame.empty() ? -1 : ranThisFrame[0]);
    }
    EXPECT_EQ(scenes, (std::vector<int>{4, 3, 2, 1, 0, 0}));
    EXPECT_FLOAT_EQ(loadingTime, -0.5f); // 82 whole seconds minus 82.5 exact ones
    CAPTURE = 0;
}

TEST_F(Director, AStartSceneOutsideTheTableRunsNoBlockAndItsSumIsClampedToTheTable)
{
    std::string out = handOver(9);
    EXPECT_NE(out.find("song start pos = 215000\n"), std::string::npos);
    frameAt(216000);
    EXPECT_TRUE(ranThisFrame.empty());
    EXPECT_FALSE(demoEnded);

    struct { int startScene, ms; } cases[] = {
        {0, 0}, {-2, 0}, {1, 30000}, {3, 75000}, {4, 82000}, {6, 149000},
        {7, 215000}, {12, 215000}, {13, 215000}, {1000000, 215000}};
    for (auto c : cases) EXPECT_EQ(director_startPosition(c.startScene), c.ms) << c.startScene;
}

TEST_F(Director, PausedSilentClockStandsStillAndTheSceneHoldsItsTime)
{
    handOver(0);
    frameAt(5000);
    SOUND_MUTE_PAUSE = 1;
    EXPECT_NE(vlm_Get(VLM_GET_PAUSED), 0);
    float before = director_sceneClock();
    ranThisFrame.clear();
    director_runBlocks(recordingBlock);
    EXPECT_EQ(ranThisFrame, std::vector<int>{0});
    EXPECT_EQ(director_sceneClock(), before);
}

// ---------------------------------------------------------------- the scenes' own values

TEST(SceneValues, SceneZeroFadesInOverFiveSecondsAndClimbsInItsLastFive)
{
    struct { float t, fade; } cases[] = {{0, 0},      {2.5f, 0.5f}, {5, 1},   {22.5f, 1},
                                          {25, 1},     {27, 3},      {30, 6},  {-1, -0.2f}};
    for (auto c : cases) EXPECT_NEAR(scene0_fade(c.t), c.fade, 1e-5) << c.t;
}

TEST(SceneValues, SceneOneFlashesInAndFadesBelowZeroAtItsEnd)
{
    struct { float t, fade; } cases[] = {{0, 11},  {0.5f, 6}, {1, 1}, {7, 1},
                                          {13, 1}, {14, 0},   {15, -1}, {-2, 31}};
    for (auto c : cases) EXPECT_NEAR(scene1_fade(c.t), c.fade, 1e-5) << c.t;
}

TEST(SceneValues, SwingSitsAtItsClampsAndCrossesBetweenThem)
{
    const float period = 2 * M_PI / 3.4;
    EXPECT_FLOAT_EQ(swing(period - 1), 2.5f);       // cos = 1
    EXPECT_FLOAT_EQ(swing(period * 1.5f - 1), -2.5f); // cos = -1
    EXPECT_NEAR(swing(period * 0.25f - 1), 0, 1e-4);  // cos = 0
    EXPECT_EQ(swing(-1), 2.5f);
    EXPECT_NEAR(swing(-0.6f), 1.04619372f, 1e-6);     // between the clamps: 5 cos(1.36)
    int clamped = 0, samples = 1000;
    for (int k = 0; k < samples; k++) {
        float M = swing(k * period / samples);
        ASSERT_LE(std::fabs(M), 2.5f);
        if (std::fabs(M) == 2.5f) clamped++;
    }
    EXPECT_NEAR(clamped / (float)samples, 2.0f / 3.0f, 0.01); // |cos| >= 0.5 two thirds of the time
}

TEST(SceneValues, RowsMoveAlongMinusZAndJumpBackOneSpacing)
{
    for (int i = -20; i < 20; i++) {
        EXPECT_FLOAT_EQ(rowDistance(0, 24, 10, i), 10.0f * i);
        EXPECT_NEAR(rowDistance(0.25f, 24, 10, i), 10.0f * i + 6, 1e-4);
    }
    // Negative scene times truncate toward zero: the shift lies in (-spacing, 0].
    struct Rows { float speed; int spacing; } kinds[] = {{24, 10}, {35, 10}, {24, 4}};
    for (Rows k : kinds)
        for (float t = -3; t < 0; t += 0.01f) {
            float shift = rowDistance(t, k.speed, k.spacing, 0);
            EXPECT_GT(shift, -k.spacing) << t << " at " << k.speed << " per s";
            EXPECT_LE(shift, 0.0f) << t << " at " << k.speed << " per s";
        }
    // The road (35 per s, 10 apart) and the tunnel (24 per s, 4 apart) at chosen times.
    struct At { float t, speed; int spacing, row; float z; } at[] = {
        {0, 35, 10, 3, 30},     {0.5f, 35, 10, 0, 7.5f},  {1, 35, 10, -2, -15},
        {-0.25f, 35, 10, 0, -8.75f}, {-1, 35, 10, 0, -5}, {-2.9f, 35, 10, 1, 8.5f},
        {0, 24, 4, -50, -200},  {0.1f, 24, 4, 0, 2.4f},   {-0.1f, 24, 4, 0, -2.4f},
        {-1, 24, 4, 0, 0},      {-0.2f, 24, 4, 2, 7.2f},
    };
    for (const At &a : at)
        EXPECT_NEAR(rowDistance(a.t, a.speed, a.spacing, a.row), a.z, 1e-4)
            << a.t << " at " << a.speed << " per s, row " << a.row;
    // Across a jump every inner row has a neighbour that moved by exactly 24 units/s.
    for (float t : {0.4f, -0.45f}) {
        float dt = 0.03f;
        for (int i = -15; i < 15; i++) {
            float later = rowDistance(t + dt, 24, 10, i);
            float best = 1e9f;
            for (int j = -20; j < 20; j++)
                best = std::fmin(best, std::fabs(later - (rowDistance(t, 24, 10, j) + 24 * dt)));
            EXPECT_LT(best, 1e-3) << "t " << t << " row " << i;
        }
    }
}

// ---------------------------------------------------------------- counted geometry on real GL

// Draws with a top-down orthographic view of x, z in [-span, span] and returns the fraction of
// lit pixels in the window.
static float litFraction(void)
{
    const int w = 160, h = 90;
    std::vector<unsigned char> px(w * h * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    int lit = 0;
    for (int i = 0; i < w * h; i++) lit += px[i * 4] > 128;
    return lit / (float)(w * h);
}

static void topDownView(float span)
{
    glViewport(0, 0, 160, 90);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-span, span, -span, span, -500, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST(Geometry, ThePlaneIs667By667CellsAndCoversTheGroundFromMinus100To100)
{
    vlmTestGLContext();
    topDownView(100);
    glRotatef(90, 1, 0, 0); // look down the y axis
    EXPECT_EQ(drawGround(0.3f), 667 * 667);
    EXPECT_GT(litFraction(), 0.99f);

    topDownView(110); // a margin of 10 around the plane stays dark
    glRotatef(90, 1, 0, 0);
    drawGround(0.3f);
    float lit = litFraction();
    EXPECT_LT(lit, 0.87f);
    EXPECT_GT(lit, 0.80f); // (200 / 220)^2 = 0.826
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(Geometry, TwentyRingsOf101CubesWhoseRadiusBreathesWithTheSwing)
{
    vlmTestGLContext();
    for (float M : {-2.5f, 2.5f}) {
        topDownView(30);            // looking down the z axis at the rings (x, y plane)
        glTranslatef(-3, 0, 0);     // the rings' centre at the origin
        EXPECT_EQ(scene1_drawRings(0, M), 20 * 101);
        float r = 2 * M + 20;
        unsigned char p[4];
        // A cube sits on the ring at angle 0 (x = r) and none at the centre.
        int cx = 80, cy = 45;
        float pxPerUnit = 160 / 60.0f;
        vlmTestReadPixel(cx + (int)lround(r * pxPerUnit), cy, p);
        EXPECT_GT(p[0], 128) << "radius " << r;
        vlmTestReadPixel(cx, cy, p);
        EXPECT_LT(p[0], 128);
    }
}

} // namespace
