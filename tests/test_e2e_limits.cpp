// Inputs from outside at their limits, end to end on the staged demo: start scenes outside
// 0..6, windows of 1x1 and 4000x4000 pixels, and a screenshot that cannot be written. Each
// run loads, plays on (a start scene outside the table shows no scene and never ends by
// itself), answers the screenshot key, and ends with status 0 on Escape; nothing crashes
// and no sanitizer speaks. (The table limits, a 129th OBJ model, a 65th particle system, a
// 64th shader and a 65th render target, are death tests of their own modules.) Like every
// test_e2e_ suite it runs on an X server of its own, one suite at a time.
#include "e2e_demo.h"

namespace {

// The demo windowed on the silent clock with `args`.
void startSilent(DemoRun &demo, const std::vector<std::string> &args)
{
    std::vector<std::string> all = {"-nf", "-m"};
    all.insert(all.end(), args.begin(), args.end());
    demo.start(all);
}

class StartSceneOutsideTheTable : public ::testing::TestWithParam<const char *> {};

TEST_P(StartSceneOutsideTheTable, ShowsNoSceneKeepsPlayingAndQuitsOnEscape)
{
    DemoRun demo;
    startSilent(demo, {"-w", "320", "-h", "180", "-s", GetParam()});
    ASSERT_TRUE(demo.waitForPlayback(180)) << demo.output();
    sleep(3);
    EXPECT_TRUE(demo.running()) << "a start scene outside 0..6 must not end the demo";
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
    sleep(2);
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
    ASSERT_TRUE(demo.waitForPlayback(240)) << demo.output();
    sleep(2);
    EXPECT_TRUE(demo.running());
    EXPECT_EQ(demo.quit(120), 0) << demo.output();
    expectNoSanitizerReport(demo.output());
}

TEST(ScreenshotLimits, AnUnwritableScreenshotIsReportedAndTheDemoGoesOn)
{
    DemoRun demo;
    // A directory where the file should go: even root cannot open it for writing.
    ASSERT_EQ(mkdir(demo.path("screenshot.png").c_str(), 0755), 0);
    startSilent(demo, {"-w", "320", "-h", "180", "-s", "1"});
    ASSERT_TRUE(demo.waitForPlayback(180)) << demo.output();
    EXPECT_TRUE(demo.keys("0"));
    sleep(2);
    EXPECT_TRUE(demo.running());
    EXPECT_EQ(demo.quit(60), 0) << demo.output();
    // Standard output to a file is flushed at exit: the message is read after it.
    EXPECT_NE(demo.output().find("couldn't open screenshot.png for writing. screenshot not "
                                 "performed"),
              std::string::npos) << demo.output();
    expectNoSanitizerReport(demo.output());
}

}  // namespace
