// Inputs from outside at their limits, end to end on the staged demo: start scenes outside
// the scene table, windows of 1x1 and 4000x4000 pixels, a screenshot that cannot be written, and a
// damaged data.vfile (truncated, a record's size changed, a name's byte flipped, replaced by
// a texture: the reader's message and status 0, or play on with loose files). Each
// run loads, plays on (a start scene outside the table shows no scene and never ends by
// itself), answers the screenshot key, and ends with status 0 on Escape; nothing crashes
// and no sanitizer speaks. (The table limits, a 129th OBJ model, a 65th particle system, a
// 64th shader and a 65th render target, are death tests of their own modules.) Like every
// test_e2e_ suite it runs on an X server of its own, one suite at a time.
#include "e2e_demo.h"
#include <fstream>

namespace {

// The demo windowed on the silent clock with `args`.
void startSilent(DemoRun &demo, const std::vector<std::string> &args)
{
    std::vector<std::string> all = {"-nf", "-m"};
    all.insert(all.end(), args.begin(), args.end());
    demo.start(all);
}

// The pipe tunnel's scene: its picture crosses the whole window.
int tunnelScene()
{
    const DemoTimeline &timeline = demoTimeline();
    for (int k = 0; k < timeline.count(); k++)
        if (timeline.scenes[k].name == "tunnel") return k;
    ADD_FAILURE() << "no tunnel in the timeline";
    return 0;
}

// The highest frame number in capture/ so far.
int latestFrame(DemoRun &demo)
{
    int n = 0;
    while (access(demo.path("capture/" + std::to_string(n + 1) + ".png").c_str(), F_OK) == 0) n++;
    return n;
}

class StartSceneOutsideTheTable : public ::testing::TestWithParam<const char *> {};

TEST_P(StartSceneOutsideTheTable, ShowsNoSceneKeepsPlayingAndQuitsOnEscape)
{
    DemoRun demo;
    startSilent(demo, {"-w", "320", "-h", "180", "-s", GetParam()});
    ASSERT_TRUE(demo.waitForPlayback(180)) << demo.output();
    // The clock sought past the demo's end: a frame is still drawn there.
    demo.seek(demoTimeline().lengthMs / 1000 + 2, 20);
    Picture shown = demo.screenshot();
    EXPECT_EQ(shown.width, 320);
    EXPECT_EQ(shown.height, 180);
    EXPECT_EQ(demo.quit(60), 0) << demo.output();
    expectNoSanitizerReport(demo.output());
}

INSTANTIATE_TEST_SUITE_P(Limits, StartSceneOutsideTheTable, ::testing::Values("-1", "99"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param[0] == '-' ? "Minus" : "") +
                                    (info.param + (info.param[0] == '-'));
                         });

// A window one pixel wide or high is never redrawn by the window system: the demo opens it
// two pixels in that direction, says so, and plays.
TEST(WindowLimits, OnePixelWindowIsOpenedTwoPixelsAndPlays)
{
    DemoRun demo;
    startSilent(demo, {"-w", "1", "-h", "1", "-s", "2"});
    ASSERT_TRUE(demo.waitForPlayback(180)) << demo.output();
    Picture shown = demo.screenshot();
    EXPECT_EQ(shown.width, 2);
    EXPECT_EQ(shown.height, 2);
    EXPECT_EQ(demo.quit(60), 0) << demo.output();
    EXPECT_NE(demo.output().find("[/] A 1x1 window is never drawn: opening 2x2 instead."),
              std::string::npos) << demo.output();
    expectNoSanitizerReport(demo.output());
}

// Larger than the 1280x800 screen: the window, every render target and every full-screen
// pass are 4000x4000, slow on a software renderer, so no screenshot here.
TEST(WindowLimits, FourThousandSquareWindowLoadsPlaysAndQuits)
{
    DemoRun demo;
    startSilent(demo, {"-w", "4000", "-h", "4000", "-s", "0"});
    // The hand-over's frame goes on to draw the first played frame before Escape is read.
    ASSERT_TRUE(demo.waitForPlayback(240)) << demo.output();
    EXPECT_TRUE(demo.running());
    EXPECT_EQ(demo.quit(120), 0) << demo.output();
    expectNoSanitizerReport(demo.output());
}

TEST(ScreenshotLimits, AnUnwritableScreenshotIsReportedAndTheDemoGoesOn)
{
    DemoRun demo;
    // A directory where the file should go: even root cannot open it for writing.
    ASSERT_EQ(mkdir(demo.path("screenshot.png").c_str(), 0755), 0);
    // Captured frames show when a frame has been drawn after the key: the one that tried.
    startSilent(demo, {"-w", "320", "-h", "180", "-s", "1", "-c", "0"});
    ASSERT_TRUE(demo.waitForPlayback(180)) << demo.output();
    ASSERT_TRUE(demo.waitForFile("capture/1.png", 60)) << demo.output();
    EXPECT_TRUE(demo.keys("0"));
    EXPECT_TRUE(demo.waitForFile("capture/" + std::to_string(latestFrame(demo) + 2) + ".png", 60));
    EXPECT_TRUE(demo.running());
    EXPECT_EQ(demo.quit(60), 0) << demo.output();
    // Standard output to a file is flushed at exit: the message is read after it.
    EXPECT_NE(demo.output().find("couldn't open screenshot.png for writing. screenshot not "
                                 "performed"),
              std::string::npos) << demo.output();
    expectNoSanitizerReport(demo.output());
}

// ---------------------------------------------------------------- a damaged data file

// The stage's data.vfile with one thing done to it, as the soak's damage script does by the
// hundred (scripts/damage-vfile); here one case of each kind.
std::string stagedVfile() { return readFile(std::string(VLM_STAGE_DIR) + "/data.vfile"); }

// Offset of the n-th record's "[plain][compressed]" text (names hold no '[').
size_t sizesOfRecord(const std::string &vfile, int n)
{
    size_t at = 0, sizes = 0;
    for (int i = 0; i <= n; i++) {
        sizes = vfile.find('[', at);
        size_t between = vfile.find("][", sizes);
        unsigned long compressed = std::stoul(vfile.substr(between + 2, 12));
        at = vfile.find(']', between + 2) + 1 + compressed;
    }
    return sizes;
}

// Pixels of the middle row of a picture that are not black.
int litPixelsInMiddleRow(const Picture &picture)
{
    int lit = 0;
    size_t row = (size_t)(picture.height / 2) * picture.width * 3;
    for (int x = 0; x < picture.width; x++) {
        const unsigned char *c = &picture.rgb[row + x * 3];
        lit += c[0] + c[1] + c[2] > 30;
    }
    return lit;
}

struct Damage {
    const char *name;
    std::string (*make)(std::string);
    int status;           // how the demo must end
    const char *message;  // what it must say
};

const Damage DAMAGES[] = {
    {"TruncatedInsideARecord", [](std::string v) { return v.substr(0, sizesOfRecord(v, 3) + 40); },
     0, "Unable to get sizes."},
    {"CompressedSizeOneShort",
     [](std::string v) {
         size_t at = v.find("][", sizesOfRecord(v, 2)) + 2;
         size_t end = v.find(']', at);
         return v.replace(at, end - at, std::to_string(std::stoul(v.substr(at, end - at)) - 1));
     },
     0, "\nUnable to decompress"},
    {"ANameByteFlipped",
     [](std::string v) {
         v[sizesOfRecord(v, 1) - 1] ^= 0x20;  // last letter of the second name
         return v;
     },
     0, " not found compressed."},
    {"ReplacedByATexture",
     [](std::string) { return readFile(std::string(VLM_STAGE_DIR) + "/data/textures/wall.png"); },
     0, "File data/shader/post.frag not found compressed."},
};

void PrintTo(const Damage &damage, std::ostream *os) { *os << damage.name; }

class DamagedDataFile : public ::testing::TestWithParam<Damage> {};

// The demo ends with the reader's message and its status 0, or plays on with the files it
// could not find packed read from disk: then its picture is there and Escape ends it with 0.
TEST_P(DamagedDataFile, EndsWithTheReadersMessageOrPlaysWithLooseFiles)
{
    const Damage &damage = GetParam();
    std::string vfile = damage.make(stagedVfile());
    DemoRun demo;
    unlink(demo.path("data.vfile").c_str());
    std::ofstream(demo.path("data.vfile"), std::ios::binary) << vfile;
    startSilent(demo, {"-w", "320", "-h", "180", "-s", std::to_string(tunnelScene())});
    bool played = demo.waitForPlayback(180);
    if (played) {
        Picture shown = demo.screenshot();
        EXPECT_EQ(shown.width, 320);
        EXPECT_GT(litPixelsInMiddleRow(shown), 32) << "the tunnel's picture";
        EXPECT_EQ(demo.quit(60), damage.status) << demo.output();
    } else {
        EXPECT_EQ(demo.waitForExit(60), damage.status) << demo.output();
    }
    EXPECT_EQ(played, std::string(damage.message).find("not found") != std::string::npos)
        << demo.output();
    EXPECT_NE(demo.output().find(damage.message), std::string::npos)
        << demo.output();
    expectNoSanitizerReport(demo.output());
}

INSTANTIATE_TEST_SUITE_P(Limits, DamagedDataFile, ::testing::ValuesIn(DAMAGES),
                         [](const ::testing::TestParamInfo<Damage> &info) { return info.param.name; });

}  // namespace
