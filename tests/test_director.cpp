// The demo's timeline: the scene director on the framework's real clocks (silent and capture):
// hand-over, start scene, scene changes forward and back, the end of the demo and the live
// hold; and the data the table's times must agree with (camera tracks; the music's sections
// are checked with the score in test_music_track). Times come from the table, except in the
// one acceptance test of the demo's own seven scene times.
#include "director.h"
#include "live.h"
#include "scenes.h"
#include "vlm.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
    // every frame in which the current scene changed, with the scene it changed to (the end of
    // the demo is a change to the scene past the table).
    std::vector<std::pair<int, int>> play(int fromMs, int toMs)
    {
        std::vector<std::pair<int, int>> changes;
        for (int ms = fromMs; ms <= toMs && !demoEnded; ms += 25) {
            int before = queue;
            frameAt(ms);
            if (queue != before || demoEnded) changes.push_back({ms, queue});
        }
        return changes;
    }
};

// The one test that holds the scene times and lengths as written values: the seven scenes of
// the demo as it was made, in front of any scene added after them. The rest of the suite
// takes the timeline from the table.
TEST_F(Director, AcceptanceTheSevenScenesKeepTheirTimesAndLengths)
{
    const std::string lengths = "sceneTime[0] = 30.000000\nsceneTime[1] = 15.000000\n"
                                "sceneTime[2] = 30.000000\nsceneTime[3] = 7.500000\n"
                                "sceneTime[4] = 45.000000\nsceneTime[5] = 22.500000\n"
                                "sceneTime[6] = 66.000000\n";
    EXPECT_EQ(handOver(0).rfind(lengths, 0), 0u);
    EXPECT_GE(DEMO_LENGTH, 216000);
    auto changes = play(0, 216025);
    std::vector<std::pair<int, int>> expected = {{30025, 1},  {45025, 2},  {75025, 3}, {82525, 4},
                                                 {127525, 5}, {150025, 6}, {216025, 7}};
    EXPECT_EQ(changes, expected);
    EXPECT_EQ(director_startPosition(4), 82000); // 7.5 counts as 7 s
    EXPECT_EQ(director_startPosition(6), 149000);
    testing::internal::CaptureStdout();
    director_printTimeline();
    const std::string timeline = "scene 0 opening 0 30000\nscene 1 white-corridor 30000 15000\n"
                                 "scene 2 dark-corridor 45000 30000\nscene 3 crash 75000 7500\n"
                                 "scene 4 road 82500 45000\nscene 5 reactors 127500 22500\n"
                                 "scene 6 tunnel 150000 66000\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind(timeline, 0), 0u);
}

// Where scene N begins, in ms, and the start position of start scene N (whole seconds).
static int startMs(int N) { return director_sceneStartMs(N); }
static int wholeSecondsBefore(int N)
{
    int ms = 0;
    for (int i = 0; i < N && i < DIRECTOR_SCENES; i++) ms += (int)SCENES[i]->seconds * 1000;
    return ms;
}
static const int LAST = DIRECTOR_SCENES - 1;

TEST_F(Director, PlayedFromTheStartEveryTableSceneTakesOverAtItsStartAndTheLastOneEndsTheDemo)
{
    std::string out = handOver(0);
    EXPECT_EQ(queue, 0);
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(out.find("## got queue"), std::string::npos);
    EXPECT_EQ(SOUND_MUTE_START, 1); // the silent clock was started
    // One line per scene, its length from the table; the demo's length registered from them.
    std::string lines;
    for (int N = 0; N < DIRECTOR_SCENES; N++) {
        char line[64];
        snprintf(line, sizeof line, "sceneTime[%d] = %f\n", N, SCENES[N]->seconds);
        lines += line;
    }
    EXPECT_EQ(out, lines);
    EXPECT_EQ(sceneid, DIRECTOR_SCENES);
    EXPECT_EQ(DEMO_LENGTH, startMs(DIRECTOR_SCENES));

    auto changes = play(0, startMs(DIRECTOR_SCENES) + 4000);
    ASSERT_EQ((int)changes.size(), DIRECTOR_SCENES);
    for (int N = 1; N <= DIRECTOR_SCENES; N++) { // the first tick past each scene's end
        EXPECT_GT(changes[N - 1].first, startMs(N)) << N;
        EXPECT_LE(changes[N - 1].first, startMs(N) + 25) << N;
        EXPECT_EQ(changes[N - 1].second, N);
    }
    EXPECT_TRUE(demoEnded);
}

TEST_F(Director, AStartSceneSeeksToTheWholeSecondsBeforeItAndPlaysItsFullLengthFromThere)
{
    for (int k = 1; k < DIRECTOR_SCENES; k++) {
        SetUp();
        std::string out = handOver(k);
        int position = wholeSecondsBefore(k);
        EXPECT_NE(out.find("## got queue " + std::to_string(k) + "\n"), std::string::npos);
        std::string seek = "song start pos = " + std::to_string(position) + "\n";
        EXPECT_NE(out.find(seek), std::string::npos);
        EXPECT_EQ(queue, k);
        EXPECT_EQ(SOUND_MUTE_TIMER, position);
        EXPECT_FLOAT_EQ(loadingTime, position / 1000);

        frameAt(position);
        EXPECT_EQ(ranThisFrame, std::vector<int>{k}); // the first frame already shows scene k
        auto changes = play(position + 25, position + (int)(SCENES[k]->seconds * 1000) + 50);
        ASSERT_EQ(changes.size(), 1u) << k;
        EXPECT_GT(changes[0].first, position + SCENES[k]->seconds * 1000) << k;
        EXPECT_LE(changes[0].first, position + SCENES[k]->seconds * 1000 + 25) << k;
    }
}

TEST_F(Director, ForwardChangeRunsBothBlocksInTheSameFrame)
{
    handOver(0);
    frameAt(startMs(1) - 25);
    EXPECT_EQ(ranThisFrame, std::vector<int>{0});
    frameAt(startMs(1) + 25);
    EXPECT_EQ(ranThisFrame, (std::vector<int>{0, 1}));
    EXPECT_FLOAT_EQ(loadingTime, startMs(1) / 1000.0f);
}

TEST_F(Director, ASeekAcrossSeveralScenesPassesThroughAllOfThemInOneFrame)
{
    handOver(0);
    frameAt(1000);
    frameAt(startMs(LAST) + 1000); // into the last scene
    std::vector<int> all;
    for (int N = 0; N < DIRECTOR_SCENES; N++) all.push_back(N);
    EXPECT_EQ(ranThisFrame, all);
    EXPECT_EQ(queue, LAST);
    EXPECT_FLOAT_EQ(loadingTime, startMs(LAST) / 1000.0f);
}

TEST_F(Director, SeekingBackKeepsTheSceneDownToMinusThreeThenResumesThePreviousOne)
{
    handOver(0);
    const int start = startMs(2);
    frameAt(start + 500); // scene 2 at t = 0.5 (through 0 and 1 in one frame)
    ASSERT_EQ(queue, 2);
    for (int ms : {start - 500, start - 1500, start - 2500}) { // t = -0.5, -1.5, -2.5
        frameAt(ms);
        EXPECT_EQ(queue, 2) << ms;
    }
    frameAt(start - 3500); // t = -3.5: back to scene 1, effective from the next frame
    EXPECT_EQ(queue, 1);
    EXPECT_EQ(ranThisFrame, std::vector<int>{2});
    EXPECT_FLOAT_EQ(loadingTime, startMs(1) / 1000.0f);
    frameAt(start - 3500);
    EXPECT_EQ(ranThisFrame, std::vector<int>{1});
    EXPECT_NEAR(director_sceneClock(), SCENES[1]->seconds - 3.5f, 1e-4); // 3.5 s before its end
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
    handOver(LAST);
    EXPECT_EQ(CAPTURE_TIMER, 1575);
    std::vector<int> scenes, expected;
    for (int frame = 0; frame <= DIRECTOR_SCENES; frame++) {
        ranThisFrame.clear();
        director_runBlocks(recordingBlock);
        scenes.push_back(ranThisFrame.empty() ? -1 : ranThisFrame[0]);
        expected.push_back(std::max(LAST - frame, 0));
    }
    EXPECT_EQ(scenes, expected);
    // The whole seconds it started from, less the exact lengths it stepped back over.
    EXPECT_FLOAT_EQ(loadingTime, (wholeSecondsBefore(LAST) - startMs(LAST)) / 1000.0f);
    CAPTURE = 0;
}

TEST_F(Director, AStartSceneOutsideTheTableRunsNoBlockAndItsSumIsClampedToTheTable)
{
    std::string out = handOver(DIRECTOR_SCENES + 2);
    EXPECT_NE(out.find("song start pos = " + std::to_string(wholeSecondsBefore(DIRECTOR_SCENES))),
              std::string::npos);
    frameAt(startMs(DIRECTOR_SCENES));
    EXPECT_TRUE(ranThisFrame.empty());
    EXPECT_FALSE(demoEnded);

    for (int k : {-2, 0, 1, LAST, DIRECTOR_SCENES, DIRECTOR_SCENE_SLOTS, DIRECTOR_SCENE_SLOTS + 1,
                  1000000})
        EXPECT_EQ(director_startPosition(k), wholeSecondsBefore(std::max(k, 0))) << k;
}

// The live hold loops the scene the director plays, in the director's own window: a start
// scene's first second (its clock still inside the scene before) and the last scene, whose end
// would otherwise end the demo.
TEST_F(Director, TheLiveHoldLoopsTheSceneTheDirectorPlaysTheLastOneIncluded)
{
    vlm_liveHoldWindowFrom(director_heldWindow);
    VLM_LIVE = 1;
    handOver(LAST);
    const int position = wholeSecondsBefore(LAST), length = (int)(SCENES[LAST]->seconds * 1000);
    frameAt(position + 500);
    testing::internal::CaptureStdout();
    vlm_handleKeypress('l', 0, 0);
    std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said.find("[*] Live: holding scene " + std::to_string(LAST) + " "), 0u) << said;
    auto changes = play(position + 525, position + 2 * length + 1000);
    EXPECT_TRUE(changes.empty());
    EXPECT_FALSE(demoEnded);
    EXPECT_EQ(queue, LAST);
    frameAt(position + length); // the first ms past its window reads as its first
    EXPECT_EQ(vlm_Get(VLM_GET_TIME_MS), position);
    vlm_handleKeypress('l', 0, 0); // playing on: the end ends the demo again
    VLM_LIVE = 0;
    vlm_liveHoldWindowFrom(nullptr);
    play(position + length - 25, position + length + 100);
    EXPECT_TRUE(demoEnded);
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

// ---------------------------------------------------------------- the timeline's data

// The key times (ms of the demo clock) of a staged camera track file, in file order.
static std::vector<int> trackKeyTimes(const char *track)
{
    std::vector<int> times;
    FILE *f = fopen((std::string(VLM_STAGE_DIR) + "/" + track).c_str(), "r");
    if (!f) return times;
    char line[512];
    while (fgets(line, sizeof line, f)) times.push_back(atoi(line));
    fclose(f);
    return times;
}

// A track holds its first and last keys outside them: a scene whose track ends before the
// scene does stands still, and one that begins after it starts from the origin.
TEST(TimelineData, EveryScenesCameraTrackCoversItsWindowFromWhereAStartSceneBegins)
{
    for (int N = 0; N < DIRECTOR_SCENES; N++) {
        std::vector<int> keys = trackKeyTimes(SCENES[N]->track);
        ASSERT_GE(keys.size(), 2u) << SCENES[N]->track;
        EXPECT_LE(keys.front(), std::min(startMs(N), wholeSecondsBefore(N))) << SCENES[N]->track;
        EXPECT_GE(keys.back(), startMs(N + 1)) << SCENES[N]->track;
    }
}

TEST(TimelineData, EveryRowIsNamedInOneWordAndLasts)
{
    for (int N = 0; N < DIRECTOR_SCENES; N++) {
        const SceneRow &row = *SCENES[N];
        ASSERT_NE(row.name, nullptr) << N;
        EXPECT_NE(std::string(row.name), "") << N;
        EXPECT_EQ(std::string(row.name).find_first_of(" \t\n"), std::string::npos) << row.name;
        EXPECT_GT(row.seconds, 0) << row.name;
        EXPECT_TRUE(row.load && row.screen && row.fade && row.draw && row.ids) << row.name;
    }
}

} // namespace
