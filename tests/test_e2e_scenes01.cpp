// End to end: the staged demo under the test's X display, in a small window. Capture mode
// writes the frames of loading and scene 0; the silent clock with start scene 1 and the
// screenshot key shows scene 1. A stage served only from data.vfile draws the same frames
// as one served from loose files.
#include "e2e_demo.h"

namespace {

// Captures frames 1..frames of a 320 x 180 run from the start.
std::vector<Picture> captureFrames(DemoRun &stage, int frames)
{
    stage.start({"-nf", "-w", "320", "-h", "180", "-c", "0", "-m"});
    bool reached = stage.waitForFile("capture/" + std::to_string(frames + 1) + ".png", 280);
    stage.terminate();
    EXPECT_TRUE(reached) << stage.output();
    std::vector<Picture> pictures;
    for (int k = 1; k <= frames; k++) pictures.push_back(readPNG(stage.path("capture/" + std::to_string(k) + ".png")));
    return pictures;
}

const int LOADING_FRAMES_320 = 16; // five stages, then the bar to 320 / 17
const int FRAMES = 60;             // loading and the first second of scene 0

TEST(Scenes01EndToEnd, SceneZeroFramesAreNotBlankChangeAndMatchBetweenLooseFilesAndDataVfile)
{
    DemoRun loose(DemoRun::COPIED), packed(DemoRun::COPIED);
    ASSERT_EQ(shell("rm -f '" + loose.path("data.vfile") + "'"), 0);
    ASSERT_EQ(shell("rm -rf '" + packed.path("data/shader") + "' '" + packed.path("data/models") +
                    "' '" + packed.path("data/textures") + "'"), 0);
    ASSERT_FALSE(readFile(packed.path("data.vfile")).empty());

    std::vector<Picture> a = captureFrames(loose, FRAMES);
    std::vector<Picture> b = captureFrames(packed, FRAMES);
    EXPECT_NE(loose.output().find("sceneTime[6] = 66.000000"), std::string::npos) << loose.output();

    int identical = 0;
    for (int k = 0; k < FRAMES; k++) {
        ASSERT_TRUE(a[k].ok()) << "frame " << k + 1;
        ASSERT_TRUE(b[k].ok()) << "frame " << k + 1;
        EXPECT_EQ(a[k].width, 320);
        EXPECT_EQ(a[k].height, 180);
        identical += a[k].rgb == b[k].rgb;
    }
    EXPECT_EQ(identical, FRAMES) << "frames differ between loose files and data.vfile";

    // Scene 0's frames, after the frame that first shows playback: lit, and moving.
    const Picture &early = a[LOADING_FRAMES_320 + 8], &late = a[FRAMES - 1];
    EXPECT_GT(late.pixelsAbove(12), 320 * 180 / 50) << "scene 0 looks blank";
    EXPECT_GT(late.meanLuma(), early.meanLuma()); // fading in
    EXPECT_GT(late.meanDifference(a[FRAMES - 5]), 0.0);
    // Black bands: the first and last rows stay black in every playback frame.
    for (int k = LOADING_FRAMES_320 + 1; k < FRAMES; k++) {
        const Picture &p = a[k];
        for (int x = 0; x < 320; x++) {
            EXPECT_EQ(p.rgb[x * 3] + p.rgb[x * 3 + 1] + p.rgb[x * 3 + 2], 0) << "frame " << k + 1;
            size_t last = ((size_t)179 * 320 + x) * 3;
            EXPECT_EQ(p.rgb[last] + p.rgb[last + 1] + p.rgb[last + 2], 0) << "frame " << k + 1;
            if (HasFailure()) return;
        }
    }
}

TEST(Scenes01EndToEnd, SceneOneOnTheSilentClockIsLightPaperUnlikeSceneZero)
{
    DemoRun stage;
    stage.start({"-nf", "-w", "320", "-h", "180", "-m", "-s", "1"});
    ASSERT_TRUE(stage.waitForOutput("song start pos = 30000", 30)) << stage.output();
    // Screenshots until one shows the corridor's lines: the first second is a white flash.
    Picture scene1;
    bool lines = false;
    for (int attempt = 0; attempt < 40 && !lines; attempt++) {
        scene1 = stage.screenshot();
        if (!scene1.ok()) break;
        lines = scene1.ok() && scene1.rgb.size() / 3 - scene1.pixelsAbove(200) > 320u * 180 / 100;
    }
    stage.terminate();
    ASSERT_TRUE(scene1.ok()) << stage.output();
    EXPECT_TRUE(lines) << "scene 1 shows no lines";
    EXPECT_GT(scene1.meanLuma(), 150); // white paper

    DemoRun first;
    std::vector<Picture> frames = captureFrames(first, FRAMES);
    EXPECT_LT(frames.back().meanLuma(), 60); // dark paper
    EXPECT_GT(scene1.meanDifference(frames.back()), 80);
}

} // namespace
