// The keyboard and mouse handlers driven directly, on a real window, the real sound back end
// (paused, so the clock reads exactly) and the real camera tracks.
#include "gl_context.h"
#include "camera.h"
#include "vlm.h"
#include "test_mp3.h"
#include <gd.h>
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

static int redraws = 0;
static void countRedraw() { redraws++; }

static void openWindow()
{
    vlmTestGLContext(320, 180);
    glutDisplayFunc(countRedraw);
}

static void resetModes(int soundOn, int capture, int edit)
{
    SOUND_ON = soundOn;
    CAPTURE = capture;
    VLM_EDIT_MODE = edit;
    SOUND_MUTE_TIMER = SOUND_MUTE_START = SOUND_MUTE_PAUSE = SOUND_PAUSED = 0;
    VLM_KEYSTATE[0] = VLM_KEYSTATE[1] = 0;
    DEMO_LENGTH = 216000;
}

// The test song playing on channel0 (once per process), paused at `ms`.
static void songPausedAt(unsigned ms)
{
    if (!channel0) {
        SOUND_ON = 1;
        CAPTURE = 0;
        vlm_loadMusic(vlmTestSong().c_str());
        vlm_startMusic();
    }
    ASSERT_NE(channel0, nullptr);
    FMOD_Channel_SetPaused(channel0, 1);
    FMOD_Channel_SetPosition(channel0, ms, FMOD_TIMEUNIT_MS);
}

static unsigned songPosition()
{
    unsigned ms = 0;
    FMOD_Channel_GetPosition(channel0, &ms, FMOD_TIMEUNIT_MS);
    return ms;
}

TEST(Seeking, ArrowKeysWithTheMusic)
{
    openWindow();
    resetModes(1, 0, 0);
    songPausedAt(0);
    ASSERT_EQ(SONGLENGTH, 4535u);
    struct Row { int key; unsigned from; int demoLength; unsigned to; };
    const Row rows[] = {
        {GLUT_KEY_LEFT, 700, 216000, 0},
        {GLUT_KEY_LEFT, 1500, 216000, 500},
        {GLUT_KEY_LEFT, 1000, 216000, 0},
        {GLUT_KEY_RIGHT, 3000, 216000, 4000},
        {GLUT_KEY_RIGHT, 3535, 216000, 3535},  // the last second of the song: nothing
        {GLUT_KEY_RIGHT, 4200, 216000, 4200},
        {GLUT_KEY_RIGHT, 1400, 2500, 2400},
        {GLUT_KEY_RIGHT, 1500, 2500, 1500},    // the last second of the demo: nothing
        {GLUT_KEY_UP, 1500, 216000, 1500},     // other special keys do nothing
    };
    for (const Row &r : rows) {
        songPausedAt(r.from);
        DEMO_LENGTH = r.demoLength;
        vlm_handleSpecialKeys(r.key, 0, 0);
        EXPECT_EQ(vlm_getTime(), r.to) << r.key << " from " << r.from;
    }
}

TEST(Seeking, ArrowKeysWithTheSilentClock)
{
    resetModes(0, 0, 0);
    struct Row { int key; int from; int to; };
    const Row rows[] = {
        {GLUT_KEY_RIGHT, 216000, 217000},  // beyond the end of the demo
        {GLUT_KEY_RIGHT, 0, 1000},
        {GLUT_KEY_LEFT, 500, 0},
        {GLUT_KEY_LEFT, 1000, 0},
        {GLUT_KEY_LEFT, 1001, 1},
    };
    for (const Row &r : rows) {
        SOUND_MUTE_TIMER = r.from;
        vlm_handleSpecialKeys(r.key, 0, 0);
        EXPECT_EQ(SOUND_MUTE_TIMER, r.to) << r.key << " from " << r.from;
    }
}

TEST(Seeking, ArrowKeysDoNothingWhileCapturing)
{
    openWindow();
    resetModes(1, 0, 0);
    songPausedAt(2000);
    CAPTURE = 1;
    SOUND_MUTE_TIMER = 3000;
    for (int key : {GLUT_KEY_LEFT, GLUT_KEY_RIGHT}) {
        vlm_handleSpecialKeys(key, 0, 0);
        EXPECT_EQ(songPosition(), 2000u);
        SOUND_ON = 0;
        vlm_handleSpecialKeys(key, 0, 0);
        EXPECT_EQ(SOUND_MUTE_TIMER, 3000);
        SOUND_ON = 1;
    }
}

TEST(Pause, SpaceTogglesTheMusicAndTheCursor)
{
    openWindow();
    resetModes(1, 0, 0);
    songPausedAt(1000);
    FMOD_Channel_SetPaused(channel0, 0);
    vlm_handleKeypress(' ', 0, 0);
    FMOD_BOOL paused = 0;
    FMOD_Channel_GetPaused(channel0, &paused);
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(SOUND_PAUSED, 1);
    EXPECT_EQ(vlm_Get(6), 1.0f);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_CROSSHAIR);
    vlm_handleKeypress(' ', 0, 0);
    FMOD_Channel_GetPaused(channel0, &paused);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(SOUND_PAUSED, 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
}

TEST(Pause, SpaceWithoutSoundPausesTheSilentClock)
{
    openWindow();
    resetModes(0, 0, 0);
    vlm_handleKeypress(' ', 0, 0);
    EXPECT_EQ(SOUND_MUTE_PAUSE, 1);
    EXPECT_EQ(vlm_Get(6), 1.0f);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_CROSSHAIR);
    vlm_handleKeypress(' ', 0, 0);
    EXPECT_EQ(SOUND_MUTE_PAUSE, 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
    // Capturing without sound: the music's flag toggles (there is no channel), not the clock's.
    resetModes(0, 1, 0);
    FMOD_CHANNEL *saved = channel0;
    channel0 = nullptr;
    vlm_handleKeypress(' ', 0, 0);
    EXPECT_EQ(SOUND_PAUSED, 1);
    EXPECT_EQ(SOUND_MUTE_PAUSE, 0);
    channel0 = saved;
}

TEST(Keys, ZeroSavesTheWindowAsScreenshotPng)
{
    openWindow();
    resetModes(0, 0, 0);
    std::string dir = vlmTestScratchDir() + "/shot";
    std::filesystem::create_directories(dir);
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    vlm_handleResize(320, 180);
    // The picture just shown: green.
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
    vlm_handleKeypress('0', 0, 0);
    FILE *png = fopen("screenshot.png", "rb");
    ASSERT_NE(png, nullptr);
    gdImagePtr image = gdImageCreateFromPng(png);
    fclose(png);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(gdImageSX(image), 320);
    EXPECT_EQ(gdImageSY(image), 180);
    int c = gdImageGetPixel(image, 100, 100);
    EXPECT_EQ(gdImageGreen(image, c), 255);
    EXPECT_EQ(gdImageRed(image, c), 0);
    gdImageDestroy(image);
    ASSERT_EQ(chdir(old), 0);
}

TEST(KeysDeathTest, EscapeQuitsWithStatusZero)
{
    // The GL driver's threads do not survive a plain fork: run the child as a fresh process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    openWindow();
    EXPECT_EXIT(vlm_handleKeypress(27, 0, 0), testing::ExitedWithCode(0), "");
}

TEST(Mouse, ButtonStateAndPositionAreRecorded)
{
    struct Row { int button, state, x, y; int left, middle, right; };
    const Row rows[] = {
        {GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 20, 1, 0, 0},
        {GLUT_MIDDLE_BUTTON, GLUT_DOWN, 11, 21, 1, 1, 0},
        {GLUT_RIGHT_BUTTON, GLUT_DOWN, 12, 22, 1, 1, 1},
        {3, GLUT_DOWN, 13, 23, 1, 1, 1},  // a wheel step changes no flag
        {GLUT_MIDDLE_BUTTON, GLUT_UP, 14, 24, 1, 0, 1},
        {GLUT_LEFT_BUTTON, GLUT_UP, 15, 25, 0, 0, 1},
        {GLUT_RIGHT_BUTTON, GLUT_UP, 16, 26, 0, 0, 0},
    };
    for (const Row &r : rows) {
        vlm_handleMouseState(r.button, r.state, r.x, r.y);
        EXPECT_EQ(VLM_EDIT_MOUSE[0], r.x);
        EXPECT_EQ(VLM_EDIT_MOUSE[1], r.y);
        EXPECT_EQ(VLM_EDIT_MOUSE[2], r.left) << r.button;
        EXPECT_EQ(VLM_EDIT_MOUSE[3], r.middle) << r.button;
        EXPECT_EQ(VLM_EDIT_MOUSE[4], r.right) << r.button;
    }
}
