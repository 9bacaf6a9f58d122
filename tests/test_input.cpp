// The keyboard and mouse handlers driven directly, on a real window, the real sound back end
// (paused, so the clock reads exactly) and the real camera tracks.
#include "gl_context.h"
#include "camera.h"
#include "vlm.h"
#include "read_file.h"
#include "test_mp3.h"
#include "textures.h"
#include <gd.h>
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <GL/glx.h>  // last: its X11 macros (None, Bool) break the test framework's headers

static int redraws = 0;
static void countRedraw() { redraws++; }

// Handles window events until the display routine has run since the count was `before`.
static bool redrawnSince(int before)
{
    return vlmTestRunUntilPast(redraws, before);
}

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
    EXPECT_EQ(vlm_Get(VLM_GET_PAUSED), 1.0f);
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
    EXPECT_EQ(vlm_Get(VLM_GET_PAUSED), 1.0f);
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

// A frame of one colour at the window's size as vlm_handleResize last set it, then the swap.
static void showFrame(float red, float green, float blue)
{
    glClearColor(red, green, blue, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
}

// Size and the colour of the pixel at (x, y) of a PNG; 0 x 0 when there is no such file.
struct Shot { int width = 0, height = 0, red = -1, green = -1, blue = -1; };
static Shot readShot(const char *path, int x = 100, int y = 20)
{
    Shot shot;
    FILE *png = fopen(path, "rb");
    if (!png) return shot;
    gdImagePtr image = gdImageCreateFromPng(png);
    fclose(png);
    if (!image) return shot;
    int c = gdImageGetPixel(image, x, y);
    shot = {gdImageSX(image), gdImageSY(image), gdImageRed(image, c), gdImageGreen(image, c),
            gdImageBlue(image, c)};
    gdImageDestroy(image);
    return shot;
}

// The X server resizes the window and freeglut is not told yet, as while a viewer drags it.
static void serverResizes(int width, int height)
{
    Display *display = glXGetCurrentDisplay();
    XResizeWindow(display, glXGetCurrentDrawable(), width, height);
    XSync(display, False);
}

TEST(Keys, ZeroSavesTheNextFrameDrawnAsScreenshotPng)
{
    openWindow();
    resetModes(0, 0, 0);
    std::string dir = vlmTestScratchDir() + "/shot";
    std::filesystem::create_directories(dir);
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    std::filesystem::remove("screenshot.png");

    vlm_handleResize(320, 180);
    showFrame(1, 0, 0);
    vlm_handleKeypress('0', 0, 0);
    EXPECT_FALSE(std::filesystem::exists("screenshot.png")) << "taken before a frame was drawn";
    showFrame(0, 1, 0);
    vlm_frameDrawn(320, 180);
    Shot shot = readShot("screenshot.png");
    EXPECT_EQ(shot.width, 320);
    EXPECT_EQ(shot.height, 180);
    EXPECT_EQ(shot.green, 255);
    EXPECT_EQ(shot.red, 0);

    // A large frame, then the window made small before the shot: the frame's picture went
    // with its buffer, and a read at the frame's size would run past the small one's end.
    std::filesystem::remove("screenshot.png");
    serverResizes(2560, 1600);
    vlm_handleResize(2560, 1600);
    showFrame(0, 1, 0);
    vlm_handleKeypress('0', 0, 0);
    serverResizes(64, 36);
    vlm_frameDrawn(2560, 1600);
    EXPECT_FALSE(std::filesystem::exists("screenshot.png")) << "taken from a buffer made anew";
    vlm_screenshot(2560, 1600, "direct.png", 0);  // read straight away: clipped to the window
    shot = readShot("direct.png");
    EXPECT_EQ(shot.width, 2560);
    EXPECT_EQ(shot.green, 0) << "the large frame's picture read from a buffer that is gone";
    // The next frame, at the new size, is the one taken.
    vlm_handleResize(64, 36);
    showFrame(0, 0, 1);
    vlm_frameDrawn(64, 36);
    shot = readShot("screenshot.png", 30, 20);
    EXPECT_EQ(shot.width, 64);
    EXPECT_EQ(shot.height, 36);
    EXPECT_EQ(shot.blue, 255);
    EXPECT_EQ(shot.green, 0);

    serverResizes(320, 180);
    vlm_handleResize(320, 180);
    showFrame(0, 0, 0);
    ASSERT_EQ(chdir(old), 0);
}

TEST(KeysDeathTest, EscapeQuitsWithStatusZero)
{
    // The GL driver's threads do not survive a plain fork: run the child as a fresh process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    openWindow();
    EXPECT_EXIT({ dup2(2, 1); printf("pending"); vlm_handleKeypress(27, 0, 0); },
                testing::ExitedWithCode(0), "pending$");  // flushed, and nothing after it
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

// ---------------------------------------------------------------- the camera editor

// Edit mode as start-up sets it (once per process: the edit tracks take the first track ids),
// with the edit camera at `position`, looking along `rotation`.
static void editMode(vec3 position, vec3 rotation)
{
    static bool made = false;
    openWindow();
    if (!made) {
        testing::internal::CaptureStdout();
        vlm_initEditMode();
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, "[DEV] NOW IN FECKING EDIT MOWD..\nFIRST TRACK ID : 1\n");
        made = true;
    }
    resetModes(0, 0, 1);
    vlm_setCameraTrackPos(VLM_EDIT_CAMERA_TRACK[0], &position, &rotation);
}

static vec3 editPosition()
{
    vec3 p = {-99, -99, -99};
    vlm_getCameraTrackPos(VLM_EDIT_CAMERA_TRACK[VLM_EDIT_ACTIVE_TRACK], &p, nullptr);
    return p;
}

static vec3 editRotation()
{
    vec3 r = {-99, -99, -99};
    vlm_getCameraTrackPos(VLM_EDIT_CAMERA_TRACK[VLM_EDIT_ACTIVE_TRACK], nullptr, &r);
    return r;
}

#define EXPECT_VEC3_EQ(v, ex, ey, ez) \
    do { \
        vec3 v_ = (v); \
        EXPECT_EQ(v_.x, (float)(ex)); \
        EXPECT_EQ(v_.y, (float)(ey)); \
        EXPECT_EQ(v_.z, (float)(ez)); \
    } while (0)

TEST(Editor, SetUpPutsSevenEmptyTracksOnSlotsZeroToSix)
{
    editMode({0, 0, 0}, {0, 0, 0});
    EXPECT_EQ(VLM_EDIT_ACTIVE_TRACK, 0);
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(VLM_EDIT_CAMERA_TRACK[i], i);
        EXPECT_EQ(CAMERA[i], &CAMERA_TRACK[VLM_EDIT_CAMERA_TRACK[i]]) << i;
        EXPECT_EQ(CAMERA_TRACK[VLM_EDIT_CAMERA_TRACK[i]].kind, VLM_TRACK_EMPTY) << i;
    }
}

TEST(Editor, PositionKeysMoveOneUnitAndLeaveTheRotation)
{
    editMode({0, 0, 0}, {0.1f, 0.2f, 0.3f});
    struct Row { unsigned char key; float x, y; };
    const Row rows[] = {
        {'a', 1, 0}, {'a', 2, 0}, {'d', 1, 0}, {'r', 1, 1}, {'f', 1, 0}, {'f', 1, -1},
        {'A', 1, -1}, {'D', 1, -1}, {'R', 1, -1}, {'x', 1, -1},  // capitals and others: nothing
    };
    for (const Row &r : rows) {
        vlm_handleKeypress(r.key, 0, 0);
        EXPECT_VEC3_EQ(editPosition(), r.x, r.y, 0);
    }
    EXPECT_VEC3_EQ(editRotation(), 0.1f, 0.2f, 0.3f);
}

// One movement step as the editor takes it: double-precision terms stored back as floats.
static vec3 stepped(vec3 p, vec3 r, double factor)
{
    p.x = (float)(p.x + sin((double)r.y) * factor);
    p.y = (float)(p.y + sin((double)r.x) * factor);
    p.z = (float)(p.z + cos((double)r.y) * factor);
    return p;
}

TEST(Editor, HeldWAndSMoveAlongTheLookDirectionEveryTick)
{
    const vec3 start = {1, 2, 3}, look = {0.3f, 0.5f, 0};
    editMode(start, look);
    SOUND_ON = 1;  // keep the clocks out of it
    vlm_handleKeypress('w', 0, 0);
    EXPECT_EQ(VLM_KEYSTATE[0], 1);
    vlm_update(0);
    vec3 expected = stepped(start, look, 0.8);
    EXPECT_VEC3_EQ(editPosition(), expected.x, expected.y, expected.z);
    vlm_update(0);
    expected = stepped(expected, look, 0.8);
    EXPECT_VEC3_EQ(editPosition(), expected.x, expected.y, expected.z);

    vlm_handleKeypress('s', 0, 0);  // both held: forward, then backward
    vlm_update(0);
    expected = stepped(stepped(expected, look, 0.8), look, -0.8);
    EXPECT_VEC3_EQ(editPosition(), expected.x, expected.y, expected.z);

    vlm_handleKeyRelease('w', 0, 0);
    vlm_update(0);
    expected = stepped(expected, look, -0.8);
    EXPECT_VEC3_EQ(editPosition(), expected.x, expected.y, expected.z);

    vlm_handleKeyRelease('s', 0, 0);
    EXPECT_EQ(VLM_KEYSTATE[0], 0);
    EXPECT_EQ(VLM_KEYSTATE[1], 0);
    vlm_update(0);
    EXPECT_VEC3_EQ(editPosition(), expected.x, expected.y, expected.z);
    EXPECT_VEC3_EQ(editRotation(), look.x, look.y, look.z);
}

TEST(Editor, EnterRecordsAKeyAtTheClockAndQWritesTheTrack)
{
    editMode({1, 2, 3}, {0.1f, 0.2f, 0});
    std::string path = vlmTestScratchDir() + "/edit.vtrack";
    free(VLM_EDIT_TRACK_FILENAME);
    VLM_EDIT_TRACK_FILENAME = strdup(path.c_str());
    SOUND_MUTE_TIMER = 1234;

    testing::internal::CaptureStdout();
    vlm_handleKeypress(13, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[EDIT] Writing camera to " + path + "\n");
    const std::string first = "1234 1.000000 2.000000 3.000000 0.100000 0.200000 0.000000 \n";
    EXPECT_EQ(readFile(path), first);

    vlm_handleKeypress('a', 0, 0);
    testing::internal::CaptureStdout();
    vlm_handleKeypress('q', 0, 0);  // writes, records nothing
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[EDIT] Writing camera to " + path + "\n");
    EXPECT_EQ(readFile(path), first);

    SOUND_MUTE_TIMER = 2000;
    vlm_handleKeypress(13, 0, 0);
    EXPECT_EQ(readFile(path),
              first + "2000 2.000000 2.000000 3.000000 0.100000 0.200000 0.000000 \n");
    EXPECT_FALSE(std::filesystem::exists(path + "~"));  // a new file has no old keys to keep
}

// The editor writes only the keys recorded since the track was loaded, so the keys an author's
// file held before the session must survive in "<file>~", made once, before the first write.
TEST(Editor, AnAuthorsTrackIsKeptInABackupBeforeTheFirstWriteAndOnlyThen)
{
    editMode({0, 0, 0}, {0, 0, 0});
    std::string path = vlmTestScratchDir() + "/scene4-camera0.vtrack", backup = path + "~";
    const std::string author = "30000 0 0 0 0 0 0\n31000 1 1 1 0 0 0\n32000 2 2 2 0 0 0\n";
    std::ofstream(path) << author;
    vlm_camera_useTrack(0, vlm_genCameraTrack(VLM_TRACK_LOADED, path.c_str()));  // as a scene does
    vec3 position = {1, 2, 3}, rotation = {0.1f, 0.2f, 0};
    vlm_setCameraTrackPos(0, &position, &rotation);
    free(VLM_EDIT_TRACK_FILENAME);
    VLM_EDIT_TRACK_FILENAME = strdup(path.c_str());
    SOUND_MUTE_TIMER = 30500;

    // No backup, no write: the file keeps its keys and the session keeps its own.
    std::filesystem::create_directory(backup);
    testing::internal::CaptureStdout();
    vlm_handleKeypress(13, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[!] Could not save " + backup + ": Is a directory. The file on disk is as it was.\n"
              "[EDIT] Not writing over " + path + " while its keys are kept nowhere else; the new "
              "keys are still here: press q to try again\n");
    EXPECT_EQ(readFile(path), author);

    std::filesystem::remove(backup);
    testing::internal::CaptureStdout();
    vlm_handleKeypress('q', 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[EDIT] Writing camera to " + path +
                                                          " (its old keys are kept in " + backup +
                                                          ")\n");
    EXPECT_EQ(readFile(backup), author);
    const std::string first = "30500 1.000000 2.000000 3.000000 0.100000 0.200000 0.000000 \n";
    EXPECT_EQ(readFile(path), first);

    // Later writes of the session replace the file and leave the backup as it was made.
    SOUND_MUTE_TIMER = 31500;
    testing::internal::CaptureStdout();
    vlm_handleKeypress(13, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[EDIT] Writing camera to " + path + "\n");
    EXPECT_EQ(readFile(path),
              first + "31500 1.000000 2.000000 3.000000 0.100000 0.200000 0.000000 \n");
    EXPECT_EQ(readFile(backup), author);
    vlm_camera_useTrack(0, VLM_EDIT_CAMERA_TRACK[0]);
}

TEST(Editor, EditorKeysDoNothingOutsideEditMode)
{
    editMode({5, 6, 7}, {0, 0, 0});
    VLM_EDIT_MODE = 0;
    std::string path = vlmTestScratchDir() + "/never.vtrack";
    free(VLM_EDIT_TRACK_FILENAME);
    VLM_EDIT_TRACK_FILENAME = strdup(path.c_str());
    testing::internal::CaptureStdout();
    for (char key : std::string("wsadrfq\r")) vlm_handleKeypress((unsigned char)key, 0, 0);
    vlm_update(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(VLM_KEYSTATE[0], 0);
    EXPECT_EQ(VLM_KEYSTATE[1], 0);
    EXPECT_VEC3_EQ(editPosition(), 5, 6, 7);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Editor, LeftDragTurnsTheCameraAndEveryMotionRedraws)
{
    editMode({0, 0, 0}, {0, 0, 0});
    vlm_handleMouseState(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    vlm_handleMouseMove(90, 95);  // left 10 px, up 5 px: yaw and pitch grow
    EXPECT_VEC3_EQ(editRotation(), 5 * 0.01f, 10 * 0.01f, 0);
    EXPECT_EQ(VLM_EDIT_MOUSE[0], 90);
    EXPECT_EQ(VLM_EDIT_MOUSE[1], 95);

    // Left and right down together: no turn, but still a redraw.
    vlm_handleMouseState(GLUT_RIGHT_BUTTON, GLUT_DOWN, 90, 95);
    glutMainLoopEvent();
    int before = redraws;
    vlm_handleMouseMove(50, 50);
    EXPECT_TRUE(redrawnSince(before));
    EXPECT_VEC3_EQ(editRotation(), 5 * 0.01f, 10 * 0.01f, 0);
    EXPECT_EQ(VLM_EDIT_MOUSE[0], 50);
    vlm_handleMouseState(GLUT_RIGHT_BUTTON, GLUT_UP, 50, 50);
    vlm_handleMouseState(GLUT_LEFT_BUTTON, GLUT_UP, 50, 50);
    vlm_handleMouseMove(0, 0);  // no button: no turn
    EXPECT_VEC3_EQ(editRotation(), 5 * 0.01f, 10 * 0.01f, 0);
}

TEST(Editor, AnglesPastAFullTurnStartAgainAtZero)
{
    struct Row { vec3 from; int dx, dy; float pitch, yaw; };
    const Row rows[] = {
        {{0, 359.99f, 0}, 2, 0, 0, 0},                      // yaw past 360
        {{-359.99f, 0, 0}, 0, -2, 0, 0},                    // pitch below -360
        {{359.99f, -359.99f, 0}, -2, 2, 0, 0},              // both, each on its own
        {{359.99f, 0, 0}, 0, 1, 360, 0},                    // exactly 360 is kept
        {{10, 20, 0}, 1, 1, 10 + 0.01f, 20 + 0.01f},        // within a turn: kept
    };
    for (const Row &r : rows) {
        editMode({0, 0, 0}, r.from);
        vlm_handleMouseState(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
        vlm_handleMouseMove(100 - r.dx, 100 - r.dy);
        vlm_handleMouseState(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
        EXPECT_VEC3_EQ(editRotation(), r.pitch, r.yaw, 0);
    }
}
