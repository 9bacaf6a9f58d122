// The demo clock in its three forms, vlm_Get, the scene lengths, seeking, the tick and the
// window callbacks, on a real GL context.
#include "gl_context.h"
#include "vlm.h"
#include "live.h"
#include "test_mp3.h"
#include <gd.h>
#include <gtest/gtest.h>
#include <cmath>
#include <filesystem>
#include <unistd.h>

static void resetClocks(int soundOn, int capture)
{
    SOUND_ON = soundOn;
    CAPTURE = capture;
    CAPTURE_TIMER = SOUND_MUTE_TIMER = SOUND_MUTE_START = SOUND_MUTE_PAUSE = SOUND_PAUSED = 0;
    SONGLENGTH = 0;
    channel0 = nullptr;
    system0 = nullptr;
    sound0 = nullptr;
}

TEST(Clock, GetAnswersEveryKey)
{
    // Callers may still ask with the bare numbers.
    static_assert(VLM_GET_WIDTH == 1 && VLM_GET_TIME_MS == 5 && VLM_GET_EDIT_TRACK == 8, "keys");
    resetClocks(1, 0);
    vlm_globalX = 0;
    vlm_globalY = 0;
    EXPECT_EQ(vlm_Get(VLM_GET_WIDTH), 0.0f);  // before the first reshape
    EXPECT_EQ(vlm_Get(VLM_GET_HEIGHT), 0.0f);
    vlm_globalX = 1280;
    vlm_globalY = 720;
    S_SCENE = 5;
    VLM_EDIT_MODE = 1;
    VLM_EDIT_ACTIVE_TRACK = 0;
    SOUND_PAUSED = 1;
    SOUND_MUTE_PAUSE = 0;
    EXPECT_EQ(vlm_Get(VLM_GET_WIDTH), 1280.0f);
    EXPECT_EQ(vlm_Get(VLM_GET_HEIGHT), 720.0f);
    EXPECT_EQ(vlm_Get(VLM_GET_ASPECT), 1.7777778f);
    EXPECT_EQ(vlm_Get(VLM_GET_START_SCENE), 5.0f);
    EXPECT_EQ(vlm_Get(VLM_GET_TIME_MS), 0.0f);  // no channel yet
    EXPECT_EQ(vlm_Get(VLM_GET_PAUSED), 1.0f);  // sound on: the music's pause
    SOUND_ON = 0;
    EXPECT_EQ(vlm_Get(VLM_GET_PAUSED), 0.0f);  // sound off: the silent clock's pause
    SOUND_MUTE_TIMER = 123456;
    EXPECT_EQ(vlm_Get(VLM_GET_TIME_MS), 123456.0f);
    EXPECT_EQ(vlm_Get(VLM_GET_EDIT_MODE), 1.0f);
    EXPECT_EQ(vlm_Get(VLM_GET_EDIT_TRACK), 0.0f);
    for (unsigned key : {0u, 9u, 10u, 0xffffffffu}) {
        EXPECT_TRUE(std::isnan(vlm_Get(key))) << key;
    }
    VLM_EDIT_MODE = 0;
    S_SCENE = 0;
}

TEST(Clock, ClockSourceFollowsTheModes)
{
    resetClocks(1, 0);
    CAPTURE_TIMER = 500;
    SOUND_MUTE_TIMER = 700;
    EXPECT_EQ(vlm_getTime(), 0u);  // music on, not started
    SOUND_ON = 0;
    EXPECT_EQ(vlm_getTime(), 700u);
    CAPTURE = 1;
    EXPECT_EQ(vlm_getTime(), 500u);  // capture wins over the silent clock
    SOUND_ON = 1;
    EXPECT_EQ(vlm_getTime(), 500u);
}

TEST(Clock, SceneLengthsSumTruncatedAndA101stIsIgnored)
{
    sceneid = 0;
    vlm_setDemoLength(10.5f);
    EXPECT_EQ(DEMO_LENGTH, 10500);
    vlm_setDemoLength(20.25f);
    EXPECT_EQ(DEMO_LENGTH, 30750);
    // Truncated after each addition: three times 0.0015 s adds up to 0, not 4 ms.
    sceneid = 0;
    for (int i = 0; i < 3; i++) vlm_setDemoLength(0.0015f);
    EXPECT_EQ(DEMO_LENGTH, 3);
    sceneid = 0;
    for (int i = 0; i < 100; i++) vlm_setDemoLength(1.0f);
    EXPECT_EQ(DEMO_LENGTH, 100000);
    testing::internal::CaptureStdout();
    vlm_setDemoLength(50.0f);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("[/] ", 0), 0u) << out;
    EXPECT_EQ(sceneid, 100);
    EXPECT_EQ(DEMO_LENGTH, 100000);
    EXPECT_EQ(SCENE_TIME[99], 1.0f);
}

TEST(Clock, SkipToInEveryMode)
{
    resetClocks(1, 1);
    CAPTURE_TIMER = 75;
    vlm_skipTo(5000);
    EXPECT_EQ(vlm_getTime(), 75u);  // the capture clock cannot be moved

    resetClocks(0, 0);
    vlm_skipTo(5000);
    EXPECT_EQ(vlm_getTime(), 5000u);
    vlm_skipTo(-3000);
    EXPECT_EQ(vlm_getTime(), 0u);  // never before the start

    resetClocks(1, 0);
    vlm_skipTo(5000);  // music not started: nothing
    EXPECT_EQ(vlm_getTime(), 0u);

    vlm_loadMusic(vlmTestSong().c_str());
    vlm_startMusic();
    ASSERT_NE(channel0, nullptr);
    FMOD_Channel_SetPaused(channel0, 1);  // a still clock reads back exactly
    vlm_skipTo(3000);
    EXPECT_EQ(vlm_getTime(), 3000u);
    vlm_skipTo(-1);
    EXPECT_EQ(vlm_getTime(), 0u);
}

TEST(Clock, LiveHoldLoopsTheSceneTheClockIsInOnlyWithLive)
{
    resetClocks(0, 0);
    sceneid = 0;
    for (float seconds : {30.0f, 15.0f, 7.5f}) vlm_setDemoLength(seconds);
    SOUND_MUTE_TIMER = 31000;
    unsigned start = 0, end = 0;
    vlm_handleKeypress('l', 0, 0); // not live: nothing
    EXPECT_FALSE(vlm_liveHeldWindow(&start, &end));

    VLM_LIVE = 1;
    testing::internal::CaptureStdout();
    vlm_handleKeypress('l', 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[*] Live: holding scene 1 (30.000 s to 45.000 s) in a loop\n");
    ASSERT_TRUE(vlm_liveHeldWindow(&start, &end));
    SOUND_MUTE_TIMER = 44999;
    EXPECT_EQ(vlm_getTime(), 44999u);
    SOUND_MUTE_TIMER = 45000; // the next scene's first millisecond is never seen
    EXPECT_EQ(vlm_getTime(), 30000u);
    EXPECT_EQ(SOUND_MUTE_TIMER, 30000);
    SOUND_MUTE_TIMER = 29000; // seeking back out of the scene
    EXPECT_EQ(vlm_getTime(), 30000u);

    testing::internal::CaptureStdout();
    vlm_handleKeypress('l', 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[*] Live: playing on\n");
    SOUND_MUTE_TIMER = 45000;
    EXPECT_EQ(vlm_getTime(), 45000u);

    CAPTURE = 1; // the capture clock cannot be moved, so it cannot loop
    testing::internal::CaptureStdout();
    vlm_handleKeypress('l', 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("[/] ", 0), 0u);
    EXPECT_FALSE(vlm_liveHeldWindow(&start, &end));
    VLM_LIVE = 0;
    resetClocks(0, 0);
}

static int redraws = 0;
static void countRedraw() { redraws++; }

// The test window, with a display routine that counts redraws.
static void openWindow()
{
    vlmTestGLContext();
    glutDisplayFunc(countRedraw);
}

// Runs one tick by calling the callback; the timer it re-arms is left unserved, so no tick runs
// unless the test runs it.
static void tick()
{
    vlm_update(0);
}


TEST(Tick, SilentClockRunsOnlyOnceStartedAndNotPaused)
{
    openWindow();
    resetClocks(0, 0);
    tick();
    EXPECT_EQ(vlm_getTime(), 0u);  // not started yet
    vlm_startMusic();
    tick();
    tick();
    EXPECT_EQ(vlm_getTime(), 50u);
    SOUND_MUTE_PAUSE = 1;
    tick();
    EXPECT_EQ(vlm_getTime(), 50u);
    SOUND_MUTE_PAUSE = 0;
    tick();
    EXPECT_EQ(vlm_getTime(), 75u);
    vlm_skipTo(-3000);  // a seek before the start: the clock runs on from the start
    tick();
    EXPECT_EQ(vlm_getTime(), 25u);
    EXPECT_EQ(CAPTURE_TIMER, 0);
    // Each tick asks for a redraw, which the loop then runs.
    int before = redraws;
    tick();
    EXPECT_TRUE(vlmTestRunUntilPast(redraws, before));
}

TEST(Tick, CaptureClockAdvancesEveryTickAndWritesNumberedFrames)
{
    openWindow();
    std::string dir = vlmTestScratchDir() + "/capture-run";
    std::filesystem::create_directories(dir + "/capture");
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    resetClocks(0, 1);
    vlm_handleResize(320, 180);
    SOUND_MUTE_START = 1;
    SOUND_MUTE_PAUSE = 1;  // pausing does not stop the capture clock
    for (int n = 1; n <= 3; n++) {
        // The picture shown when tick n runs is frame n: red, green, blue.
        glClearColor(n == 1, n == 2, n == 3, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glutSwapBuffers();
        tick();
        EXPECT_EQ(vlm_getTime(), 25u * n);
        // Frame n is written by tick n, at the window size the reshape gave.
        FILE *png = fopen(("capture/" + std::to_string(n) + ".png").c_str(), "rb");
        ASSERT_NE(png, nullptr) << n;
        gdImagePtr image = gdImageCreateFromPng(png);
        fclose(png);
        ASSERT_NE(image, nullptr) << n;
        EXPECT_EQ(gdImageSX(image), 320) << n;
        EXPECT_EQ(gdImageSY(image), 180) << n;
        int c = gdImageGetPixel(image, 160, 90);
        EXPECT_EQ(gdImageRed(image, c), n == 1 ? 255 : 0) << n;
        EXPECT_EQ(gdImageGreen(image, c), n == 2 ? 255 : 0) << n;
        EXPECT_EQ(gdImageBlue(image, c), n == 3 ? 255 : 0) << n;
        gdImageDestroy(image);
    }
    EXPECT_FALSE(std::filesystem::exists("capture/4.png"));
    EXPECT_EQ(SOUND_MUTE_TIMER, 0);
    ASSERT_EQ(chdir(old), 0);
    resetClocks(1, 0);
}

TEST(Window, ResizeSetsViewportAndFixedAspectProjection)
{
    vlmTestGLContext(320, 180);
    vlm_initRendering();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    while (glGetError() != GL_NO_ERROR) {}

    vlm_handleResize(160, 90);
    EXPECT_EQ(vlm_Get(VLM_GET_WIDTH), 160.0f);
    EXPECT_EQ(vlm_Get(VLM_GET_HEIGHT), 90.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    double f = 1.0 / tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(m[0], f / (16.0 / 9.0), 1e-5);
    EXPECT_NEAR(m[5], f, 1e-5);
    EXPECT_NEAR(m[10], -201.0 / 199.0, 1e-5);
    EXPECT_NEAR(m[14], -400.0 / 199.0, 1e-5);

    // A quad filling the view lands only inside the 160 x 90 viewport.
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex3f(-100, -100, -10);
    glVertex3f(100, -100, -10);
    glVertex3f(100, 100, -10);
    glVertex3f(-100, 100, -10);
    glEnd();
    glFinish();
    glReadBuffer(GL_BACK);
    unsigned char inside[4], outside[4];
    vlmTestReadPixel(80, 45, inside);
    vlmTestReadPixel(240, 135, outside);
    EXPECT_EQ(inside[0], 255);
    EXPECT_EQ(outside[0], 0);
    glEnable(GL_DEPTH_TEST);
}
