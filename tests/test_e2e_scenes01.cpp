// End to end: the staged demo under the test's X display, in a small window. Capture mode
// writes the frames of loading and scene 0; the silent clock with start scene 1 and the
// screenshot key shows scene 1. A stage served only from data.vfile draws the same frames
// as one served from loose files, and a window made larger while loading the same frames as
// one started at that size, once its render targets follow it. With -live, shader and track
// files saved while frames are captured change the next frame; without it they change nothing.
#include "e2e_demo.h"
#include <sstream>

namespace {

// Captures frames 1..frames of a 320 x 180 run from the start; with `resizedWhileLoading`, the
// run starts in a 160 x 90 window that is made 320 x 180 as soon as it is shown.
std::vector<Picture> captureFrames(DemoRun &stage, int frames, bool resizedWhileLoading = false)
{
    if (resizedWhileLoading) {
        // Resized once frame 6 is captured: loading stage 5 has made the render targets at the
        // first size, however slowly the demo starts (a 32-bit build under an emulator).
        stage.start({"-nf", "-w", "160", "-h", "90", "-c", "0", "-m"});
        EXPECT_TRUE(stage.waitForFile("capture/6.png", 280)) << stage.output();
        EXPECT_EQ(shell("xdotool search --sync --name vlm-framework windowsize --sync %1 320 180 "
                        ">/dev/null 2>&1"), 0);
    } else {
        stage.start({"-nf", "-w", "320", "-h", "180", "-c", "0", "-m"});
    }
    bool reached = stage.waitForFile("capture/" + std::to_string(frames + 1) + ".png", 280);
    stage.terminate();
    EXPECT_TRUE(reached) << stage.output();
    std::vector<Picture> pictures;
    for (int k = 1; k <= frames; k++) pictures.push_back(readPNG(stage.path("capture/" + std::to_string(k) + ".png")));
    return pictures;
}

// Writes `text` to `name` in the demo's folder, in place or renamed into place as editors do.
void save(DemoRun &demo, const std::string &name, const std::string &text, bool rename)
{
    std::string target = demo.path(name), written = rename ? target + ".new" : target;
    FILE *f = fopen(written.c_str(), "w");
    ASSERT_TRUE(f) << written;
    fputs(text.c_str(), f);
    fclose(f);
    if (rename) {
        ASSERT_EQ(::rename(written.c_str(), target.c_str()), 0);
    }
}

// The number of the last frame captured before the demo printed `text`; 0 when it has not.
int frameBefore(const std::string &out, const std::string &text)
{
    size_t at = out.find(text), frame = out.rfind("[CAPTURE] frame ", at);
    return at == std::string::npos || frame == std::string::npos ? 0 : atoi(out.c_str() + frame + 16);
}

// The centre pixel of a picture is the flat magenta of FLAT_POST (after the final pass).
bool centreIsMagenta(const Picture &p)
{
    size_t at = ((size_t)(p.height / 2) * p.width + p.width / 2) * 3;
    return p.ok() && p.rgb[at] > 200 && p.rgb[at + 1] < 40 && p.rgb[at + 2] > 200;
}

const char *FLAT_POST = "#version 120\nvoid main() {\n  gl_FragData[0] = vec4(1.0, 0.0, 1.0, 0.0);\n"
                        "  gl_FragData[1] = vec4(0.0);\n}\n";
const char *BROKEN_POST = "#version 120\nvoid main() {\n  gl_FragData[0] = vec4(1.0) +;\n}\n";
// Scene 0's camera just above the plane, looking down at it: grid lines fill the frame.
const char *LOW_TRACK = "0 0 8 0 -1.0 0.5 0\n100000 0 8 0 -1.0 0.5 0\n";

// Lit pixels in the upper part of a frame, where scene 0's opening view shows only sky.
int litInSky(const Picture &p)
{
    int lit = 0;
    for (int y = 12; y < 60 && p.ok(); y++)
        for (int x = 0; x < p.width; x++) {
            const unsigned char *c = &p.rgb[((size_t)y * p.width + x) * 3];
            lit += c[0] + c[1] + c[2] > 6;
        }
    return lit;
}

const int LOADING_FRAMES_320 = 16; // five stages, then the bar to 320 / 17
const int FRAMES = 60;             // loading and the first second of scene 0
const int RESIZED_FRAMES = 160;    // room for a resize that lands late on a busy machine

TEST(Scenes01EndToEnd, SceneZeroFramesAreNotBlankChangeAndMatchBetweenLooseFilesDataVfileAndAResizedWindow)
{
    DemoRun loose(DemoRun::COPIED), packed(DemoRun::COPIED);
    ASSERT_EQ(shell("rm -f '" + loose.path("data.vfile") + "'"), 0);
    ASSERT_EQ(shell("rm -rf '" + packed.path("data/shader") + "' '" + packed.path("data/models") +
                    "' '" + packed.path("data/textures") + "'"), 0);
    ASSERT_FALSE(readFile(packed.path("data.vfile")).empty());

    // The native run goes on longer: the resized run below is compared with it wherever its
    // remake lands, which the X server's timing decides.
    std::vector<Picture> a = captureFrames(loose, RESIZED_FRAMES);
    std::vector<Picture> b = captureFrames(packed, FRAMES);
    EXPECT_NE(loose.output().find(demoTimeline().playbackMarker()), std::string::npos) << loose.output();

    int identical = 0;
    for (int k = 0; k < FRAMES; k++) {
        ASSERT_TRUE(a[k].ok()) << "frame " << k + 1;
        ASSERT_TRUE(b[k].ok()) << "frame " << k + 1;
        EXPECT_EQ(a[k].width, 320);
        EXPECT_EQ(a[k].height, 180);
        identical += a[k].rgb == b[k].rgb;
    }
    EXPECT_EQ(identical, FRAMES) << "frames differ between loose files and data.vfile";

    // A window made larger once it has its render targets (while loading or soon after, as the
    // X server's timing decides): once the render targets are remade at its new size
    // and both runs play, every frame is the one a run started at that size draws. (The
    // loading bar grows with the width, so the two runs end loading at different frames.)
    DemoRun resized;
    std::vector<Picture> c = captureFrames(resized, RESIZED_FRAMES, true);
    std::string out = resized.output();
    int remadeBefore = frameBefore(out, "render targets remade at 320x180");
    int playingAfter = std::max(frameBefore(out, demoTimeline().playbackMarker()), LOADING_FRAMES_320);
    EXPECT_GT(remadeBefore, 0) << out;
    EXPECT_LT(std::max(remadeBefore, playingAfter), RESIZED_FRAMES - 10) << out;
    std::string differing;
    for (int k = std::max(remadeBefore, playingAfter) + 1; k < RESIZED_FRAMES && remadeBefore > 0;
         k++) {
        EXPECT_EQ(c[k].width, 320) << "frame " << k + 1;
        if (c[k].rgb != a[k].rgb) differing += " " + std::to_string(k + 1);
    }
    EXPECT_EQ(differing, "") << "frames unlike the native run's after the remake at frame "
                             << remadeBefore + 1 << ", playback from frame " << playingAfter + 1;

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

TEST(Scenes01EndToEnd, LiveRunRebuildsSavedShadersAndTracksWhereAPlainRunChangesNothing)
{
    const std::vector<std::string> args = {"-nf", "-w", "320", "-h", "180", "-c", "0", "-m"};
    const std::string post = "data/shader/post.frag", track = "data/camera/scene0-camera0.vtrack";
    DemoRun live(DemoRun::COPIED);
    std::vector<std::string> liveArgs = args;
    liveArgs.push_back("-live");
    live.start(liveArgs);
    ASSERT_TRUE(live.waitForFile("capture/" + std::to_string(LOADING_FRAMES_320 + 24) + ".png", 200))
        << live.output();

    // A track renamed into place: the camera jumps to its new keys at the current clock.
    save(live, track, LOW_TRACK, true);
    ASSERT_TRUE(live.waitForOutput("[*] Live: " + track + " reloaded into 1 camera track(s)\n", 60))
        << live.output();
    int n = frameBefore(live.output(), "[*] Live: " + track);
    int skyBefore = litInSky(live.waitForPicture("capture/" + std::to_string(n) + ".png", 60));
    int skyAfter = litInSky(live.waitForPicture("capture/" + std::to_string(n + 1) + ".png", 60));
    EXPECT_LT(skyBefore, 100) << "frame " << n;
    EXPECT_GT(skyAfter, 1000) << "frame " << n + 1;

    // The scenes' post shader written in place: every scene's post program turns flat magenta.
    save(live, post, FLAT_POST, false);
    // Every scene's post program: one per scene.
    std::string rebuilt = " rebuilt " + std::to_string(demoTimeline().count()) + " program(s)\n";
    ASSERT_TRUE(live.waitForOutput("[*] Live: " + post + rebuilt, 60)) << live.output();
    n = frameBefore(live.output(), "[*] Live: " + post);
    EXPECT_FALSE(centreIsMagenta(live.waitForPicture("capture/" + std::to_string(n) + ".png", 60)));
    EXPECT_TRUE(centreIsMagenta(live.waitForPicture("capture/" + std::to_string(n + 1) + ".png", 60)));

    // A broken save keeps the picture and says where the error is.
    save(live, post, BROKEN_POST, false);
    std::string warning = "[/] " + post + " line 3: shader compile failed";
    ASSERT_TRUE(live.waitForOutput(warning, 60)) << live.output();
    n = frameBefore(live.output(), warning);
    ASSERT_TRUE(live.waitForFile("capture/" + std::to_string(n + 2) + ".png", 60));
    live.terminate();
    EXPECT_TRUE(centreIsMagenta(readPNG(live.path("capture/" + std::to_string(n + 1) + ".png"))));
    EXPECT_EQ(live.output().find("[!] "), std::string::npos) << live.output();

    // Without -live the same saves change nothing, and the loading says the same.
    DemoRun plain(DemoRun::COPIED);
    plain.start(args);
    ASSERT_TRUE(plain.waitForFile("capture/" + std::to_string(LOADING_FRAMES_320 + 4) + ".png", 200));
    save(plain, track, LOW_TRACK, true);
    save(plain, post, FLAT_POST, false);
    Picture later = plain.waitForPicture("capture/" + std::to_string(LOADING_FRAMES_320 + 15) + ".png", 60);
    plain.terminate();
    ASSERT_TRUE(later.ok()) << plain.output();
    EXPECT_FALSE(centreIsMagenta(later));
    std::string plainOut = plain.output(), liveOut = live.output();
    EXPECT_EQ(plainOut.find("Live"), std::string::npos);
    // Live, the folders the loading reads shaders and tracks from are watched as they are first
    // read from; apart from those lines the loading says the same.
    std::string watchLine = "[*] Live: watching ", watched, unwatched;
    std::istringstream lines(liveOut);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(watchLine, 0) == 0) watched += line.substr(watchLine.size()) + " ";
        else unwatched += line + "\n";
    EXPECT_EQ(watched, "data/shader data/shader/PP data/camera ") << liveOut;
    size_t loadingEnd = plainOut.find("[CAPTURE] frame 1\n");
    EXPECT_EQ(unwatched.substr(0, loadingEnd), plainOut.substr(0, loadingEnd));
}

} // namespace
