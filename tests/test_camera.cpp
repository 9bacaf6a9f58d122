// Camera tracks: loading, easing between keys, recording, writing and reading back, the view.
#include "camera.h"
#include "full_disk.h"
#include "gl_context.h"
#include "vlm.h"
#include "read_file.h"
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>
#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string dir; // this process's scratch directory, removed at exit (death tests too)

std::string writeFile(const std::string &name, const std::string &text)
{
    if (dir.empty()) {
        char pattern[] = "/tmp/vlm-camera-XXXXXX";
        dir = mkdtemp(pattern);
        atexit([] { std::filesystem::remove_all(dir); });
    }
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
    return dir + "/" + name;
}

void expectVec(const vec3 &v, float x, float y, float z)
{
    EXPECT_NEAR(v.x, x, 1e-4);
    EXPECT_NEAR(v.y, y, 1e-4);
    EXPECT_NEAR(v.z, z, 1e-4);
}

CameraTrack *loadTrack(const char *name, const std::string &text)
{
    return &CAMERA_TRACK[vlm_genCameraTrack(VLM_TRACK_LOADED, writeFile(name, text).c_str())];
}

// A fresh empty track attached to slot `camera`.
CameraTrack *emptyOn(int camera)
{
    vlm_camera_useTrack(camera, vlm_genCameraTrack(VLM_TRACK_EMPTY, nullptr));
    return CAMERA[camera];
}

void record(int camera, vec3 position, vec3 rotation, uint32_t timeMs)
{
    vlm_setCameraTrackPos(camera, &position, &rotation);
    vlm_savePosToTrack(camera, timeMs);
}

// Key 0 at 1000 ms, key 1 at 3000 ms.
const char *TWO_KEYS = "1000 2 4 6 0.2 0.4 0.6\n3000 10 0 -2 1 1 1\n";

} // namespace

TEST(CameraTrack, EasesFromTheOriginThroughKeysAndHoldsTheLast)
{
    CameraTrack *t = loadTrack("two.vtrack", TWO_KEYS);
    ASSERT_EQ(t->keyCount, 2u);
    const float w = (1 - cos(M_PI / 4)) / 2; // cosine weight a quarter of the way
    struct Case { uint32_t ms; vec3 position, rotation; } cases[] = {
        {0, {0, 0, 0}, {0, 0, 0}},
        {250, {2 * w, 4 * w, 6 * w}, {0.2f * w, 0.4f * w, 0.6f * w}}, // eased, not linear
        {500, {1, 2, 3}, {0.1f, 0.2f, 0.3f}},  // halfway from the origin to key 0
        {1000, {2, 4, 6}, {0.2f, 0.4f, 0.6f}}, // a new segment starts at key 0
        {2000, {6, 2, 2}, {0.6f, 0.7f, 0.8f}}, // halfway between the keys
        {3000, {10, 0, -2}, {1, 1, 1}},        // at the last key
        {90000, {10, 0, -2}, {1, 1, 1}},       // long after it: held
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ms);
        vlm_interpolate_track(t, c.ms);
        expectVec(t->position, c.position.x, c.position.y, c.position.z);
        expectVec(t->rotation, c.rotation.x, c.rotation.y, c.rotation.z);
    }
}

// Eased, the camera leaves a key and arrives at the next one slowly and moves fastest between
// them: the tenth of a segment at either end covers a fraction of the middle tenth's distance.
TEST(CameraTrack, LeavesAndReachesEachKeySlowlyAndMovesFastestBetween)
{
    CameraTrack *t = loadTrack("ease.vtrack", "1000 0 0 0 0 0 0\n3000 100 0 0 0 40 0\n");
    auto moved = [t](uint32_t from, uint32_t to) {
        vlm_interpolate_track(t, from);
        vec3 p = t->position, r = t->rotation;
        vlm_interpolate_track(t, to);
        return vec3{t->position.x - p.x, t->rotation.y - r.y, 0};
    };
    vec3 leaving = moved(1000, 1200), middle = moved(1900, 2100), arriving = moved(2800, 3000);
    for (float part : {leaving.x, arriving.x}) EXPECT_LT(part, middle.x / 5);
    for (float part : {leaving.y, arriving.y}) EXPECT_LT(part, middle.y / 5);
}

TEST(CameraTrack, EmptyTrackNeverMovesByItselfAndGettersSkipAbsentVectors)
{
    CameraTrack *t = emptyOn(3);
    vec3 p = {7, 8, 9}, r = {0.1f, 0.2f, 0.3f}, q = {-5, -5, -5};
    vlm_setCameraTrackPos(3, &p, &r);
    for (uint32_t ms : {0u, 1000u, 50000u}) vlm_interpolate_track(t, ms);
    vlmTestGLContext();
    for (int edit : {0, 1}) {
        VLM_EDIT_MODE = edit;
        vlm_useCamera(3);
    }
    VLM_EDIT_MODE = 0;

    vec3 gotP = {-1, -1, -1}, gotR = {-1, -1, -1};
    vlm_getCameraTrackPos(3, nullptr, &gotR);
    expectVec(gotP, -1, -1, -1);
    expectVec(gotR, 0.1f, 0.2f, 0.3f);
    vlm_setCameraTrackPos(3, &q, nullptr); // rotation left alone
    vlm_getCameraTrackPos(3, &gotP, nullptr);
    expectVec(gotP, -5, -5, -5);
    expectVec(t->rotation, 0.1f, 0.2f, 0.3f);
    // Slots without a track are harmless.
    vlm_getCameraTrackPos(VLM_MAX_CAMERAS - 1, &gotP, &gotR);
    vlm_setCameraTrackPos(-1, &p, &r);
    expectVec(gotP, -5, -5, -5);
}

TEST(CameraTrack, SavedKeysLoadBackAsAFreshTrack)
{
    emptyOn(5);
    for (int k = 0; k < 3; k++) record(5, {1.5f * k, -2.25f * k, 100.0f + k}, {0.125f * k, -0.5f, 3}, 30000 + 1500 * k);
    std::string path = writeFile("saved.vtrack", "");
    vlm_saveTrackToFile(5, path.c_str());
    EXPECT_EQ(readFile(path),
              "30000 0.000000 -0.000000 100.000000 0.000000 -0.500000 3.000000 \n"
              "31500 1.500000 -2.250000 101.000000 0.125000 -0.500000 3.000000 \n"
              "33000 3.000000 -4.500000 102.000000 0.250000 -0.500000 3.000000 \n");

    CameraTrack *back = &CAMERA_TRACK[vlm_genCameraTrack(VLM_TRACK_LOADED, path.c_str())];
    ASSERT_EQ(back->keyCount, 3u);
    EXPECT_EQ(back->recordedKeys, 0u);
    EXPECT_EQ(back->kind, VLM_TRACK_LOADED);
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(back->keyTimes[k], (uint32_t)(30000 + 1500 * k));
        expectVec(back->keyPositions[k], 1.5f * k, -2.25f * k, 100.0f + k);
        expectVec(back->keyRotations[k], 0.125f * k, -0.5f, 3.0f);
    }
}

TEST(CameraTrack, RecordingPastTheRoomGrowsTheKeys)
{
    CameraTrack *fresh = emptyOn(6);
    for (int k = 0; k < 75; k++) record(6, {(float)k, 0, 0}, {0, 0, 0}, 100 * k);
    ASSERT_EQ(fresh->recordedKeys, 75u);
    EXPECT_EQ(fresh->keyTimes[74], 7400u);
    EXPECT_EQ(fresh->keyPositions[31].x, 31.0f);
    std::string path = writeFile("long.vtrack", "");
    vlm_saveTrackToFile(6, path.c_str());
    std::string text = readFile(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 75);

    // On a loaded track recording overwrites from the first key, then grows.
    vlm_camera_useTrack(7, (int)(loadTrack("over.vtrack", TWO_KEYS) - CAMERA_TRACK));
    CameraTrack *loaded = CAMERA[7];
    record(7, {-1, -1, -1}, {0, 0, 0}, 500);
    EXPECT_EQ(loaded->keyTimes[0], 500u);
    EXPECT_EQ(loaded->keyTimes[1], 3000u);
    record(7, {}, {}, 600);
    record(7, {}, {}, 700);
    EXPECT_EQ(loaded->recordedKeys, 3u);
    EXPECT_EQ(loaded->keyTimes[2], 700u);
}

TEST(CameraTrack, LiveReloadReplacesTheKeysUnderTheSameIdAndABadLineKeepsThem)
{
    std::string path = writeFile("live.vtrack", TWO_KEYS);
    int id = vlm_genCameraTrack(VLM_TRACK_LOADED, path.c_str());
    CameraTrack *track = &CAMERA_TRACK[id];
    EXPECT_TRUE(vlm_cameraTrackUsesFile(path.c_str()));
    EXPECT_FALSE(vlm_cameraTrackUsesFile((dir + "/other.vtrack").c_str()));

    std::string moved = "0 0 0 0 0 0 0\n5000 20 30 40 0 0 0\n";
    EXPECT_EQ(vlm_reloadCameraTrack(path.c_str(), moved.data(), moved.size()), 1);
    EXPECT_EQ(track->keyCount, 2u);
    vlm_interpolate_track(track, 2500); // halfway along the new keys
    expectVec(track->position, 10, 15, 20);

    const std::string bad[] = {"0 0 0 0 0 0 0\n5000 1 2\n", "0 1 2 3 4 5 6\n\n7 1 2 3 4 5 6\n", ""};
    const int badLine[] = {2, 2, 1};
    for (int i = 0; i < 3; i++) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(vlm_reloadCameraTrack(path.c_str(), bad[i].data(), bad[i].size()), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "[/] " + path + " line " + std::to_string(badLine[i]) +
                      ": not a key (time in ms and six numbers); the camera keeps its previous track\n");
        vlm_interpolate_track(track, 5000);
        expectVec(track->position, 20, 30, 40);
    }
}

TEST(CameraTrack, ShortAndEmptyLinesAreKeysWithZeros)
{
    CameraTrack *t = loadTrack("short.vtrack", "1000 1 2\n\n2000 1 2 3 4 5 6");
    ASSERT_EQ(t->keyCount, 3u);
    EXPECT_EQ(t->keyTimes[0], 1000u);
    expectVec(t->keyPositions[0], 1, 2, 0);
    expectVec(t->keyRotations[0], 0, 0, 0);
    EXPECT_EQ(t->keyTimes[1], 0u);
    expectVec(t->keyPositions[1], 0, 0, 0);
    expectVec(t->keyRotations[2], 4, 5, 6); // a last line without a newline counts
}

// The author's work survives a failed save: on a full disk the old track file keeps every
// byte, no temporary file is left, the keys stay recorded, and once there is room the same
// save writes them. A file that cannot be created at all is reported the same way.
TEST(CameraTrack, FailedSaveKeepsTheOldFileAndTheKeys)
{
    FullDisk disk(64);
    // The machine's doing, not the code's: without the right to mount there is no full disk.
    if (disk.unprivileged()) GTEST_SKIP() << "mounting a tmpfs needs root";
    ASSERT_TRUE(disk.mounted()) << disk.failure();
    std::string path = disk.path("scene1-camera0.vtrack");
    const std::string old = "30000 1.000000 2.000000 3.000000 0.000000 0.500000 0.000000 \n";
    std::ofstream(path, std::ios::binary) << old;
    CameraTrack *t = emptyOn(8);
    for (int k = 0; k < 200; k++) record(8, {1.0f * k, 2, 3}, {0, 0.5f, 0}, 30000 + 10 * k);
    ASSERT_TRUE(disk.fill());

    testing::internal::CaptureStdout();
    EXPECT_FALSE(vlm_saveTrackToFile(8, path.c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[!] Could not save " + path + ": No space left on device. The file on disk is as it was.\n");
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(disk.files(), std::vector<std::string>{"scene1-camera0.vtrack"});
    EXPECT_EQ(t->recordedKeys, 200u);

    disk.makeRoom();
    EXPECT_TRUE(vlm_saveTrackToFile(8, path.c_str()));
    std::string saved = readFile(path);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 200);
    EXPECT_EQ(saved.substr(0, 61), "30000 0.000000 2.000000 3.000000 0.000000 0.500000 0.000000 \n");

    testing::internal::CaptureStdout();
    EXPECT_FALSE(vlm_saveTrackToFile(8, "/nonexistent/out.vtrack"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[!] Can't open /nonexistent/out.vtrack for writing :(\n"
              "[!] Could not save /nonexistent/out.vtrack: No such file or directory. The file on "
              "disk is as it was.\n");
}

TEST(CameraDeath, FileFailuresAndFullTablesEndWith255)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT({ dup2(2, 1); vlm_genCameraTrack(2, "/nonexistent/none.vtrack"); },
                ::testing::ExitedWithCode(255), "\\[!\\] Can't open /nonexistent/none.vtrack :\\(\n");
    std::string empty = writeFile("empty.vtrack", "");
    EXPECT_EXIT({ dup2(2, 1); vlm_genCameraTrack(2, empty.c_str()); },
                ::testing::ExitedWithCode(255), "\\[!\\] .*empty.vtrack has got a baaaaad filesize");
    // Seven edit tracks and seven scene tracks fit; the 33rd track does not.
    EXPECT_EXIT({ dup2(2, 1); for (int i = 0; i <= 32; i++) vlm_genCameraTrack(0, nullptr); },
                ::testing::ExitedWithCode(255), "\\[!\\] .*track table holds 32");
    EXPECT_EXIT({ dup2(2, 1); vlm_camera_useTrack(VLM_MAX_CAMERAS, 0); },
                ::testing::ExitedWithCode(255), "\\[!\\] Can't attach camera track");
}

// ---------------------------------------------------------------- the view, on a real context

namespace {

// Clears to black, sets a 90 degree projection and runs `draw` with identity modelview.
template <typename Draw> void drawFrame(Draw draw)
{
    vlmTestGLContext();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 320.0 / 180.0, 1, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    draw();
    glFinish();
    glReadBuffer(GL_BACK);
}

// The brightest r, g, b within one pixel of (x, y): a one-pixel line may fall either side.
std::vector<int> near(int x, int y)
{
    std::vector<int> most = {0, 0, 0};
    for (int dy = -1; dy <= 1; dy++)
        for (int dx = -1; dx <= 1; dx++) {
            unsigned char p[4];
            vlmTestReadPixel(x + dx, y + dy, p);
            for (int c = 0; c < 3; c++) most[c] = std::max(most[c], (int)p[c]);
        }
    return most;
}

} // namespace

TEST(CameraView, EditModeLooksAlongYawAndDrawsTheAxes)
{
    emptyOn(8);
    vec3 eye = {0, 0, -10}, look = {0, 0, 0}; // yaw 0 looks down +z, at the origin
    vlm_setCameraTrackPos(8, &eye, &look);
    VLM_EDIT_MODE = 1;
    drawFrame([] { vlm_useCamera(8); });
    VLM_EDIT_MODE = 0;
    EXPECT_EQ(near(160, 150), (std::vector<int>{255, 0, 0})); // y axis, red, up the middle
    EXPECT_EQ(near(280, 90), (std::vector<int>{0, 0, 255}));  // x axis, blue, across
    EXPECT_EQ(near(30, 30), (std::vector<int>{0, 0, 0}));
}

TEST(CameraView, TrackPathJoinsConsecutiveRecordedKeys)
{
    emptyOn(10);
    const vec3 keys[] = {{-8, 0.05f, 10}, {-0.05f, 0.05f, 10}, {-0.05f, 5, 10}};
    for (int k = 0; k < 3; k++) record(10, keys[k], {}, k);
    drawFrame([] {
        gluLookAt(0, 0, 0, 0, 0, 1, 0, 1, 0);
        glColor3f(0, 1, 0);
        vlm_drawTrackPath((int)(CAMERA[10] - CAMERA_TRACK));
    });
    // Looking down +z, x is mirrored: the first segment runs right of the centre.
    EXPECT_EQ(near(200, 90)[1], 255);
    EXPECT_EQ(near(160, 120)[1], 255); // the second goes up from the centre
    EXPECT_EQ(near(120, 90)[1], 0);    // nothing closes the path
}

TEST(CameraView, OutsideEditModeTheTrackFollowsTheClockWithoutAxes)
{
    vlm_camera_useTrack(9, (int)(loadTrack("view.vtrack", TWO_KEYS) - CAMERA_TRACK));
    CAPTURE = 1; // the capture clock stands still at 2000 ms
    CAPTURE_TIMER = 2000;
    drawFrame([] { vlm_useCamera(9); });
    CAPTURE = 0;
    const vec3 &e = CAMERA[9]->position;
    expectVec(e, 6, 2, 2);
    EXPECT_EQ(near(160, 150), (std::vector<int>{0, 0, 0})); // no axes
    // The view is the look-at from the eased eye: the eye maps to the origin of eye space.
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int row = 0; row < 3; row++)
        EXPECT_NEAR(m[row] * e.x + m[4 + row] * e.y + m[8 + row] * e.z + m[12 + row], 0, 1e-3);
}
