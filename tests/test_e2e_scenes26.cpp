// End to end: the staged demo on the silent clock in a small window under the test's X
// display. One run seeks through the scenes: the screenshot key shows each scene a picture of
// its own, and the demo ends by itself with status 0.
#include "e2e_demo.h"

namespace {

// The demo on the silent clock in a 320x180 window, started with `args`.
void startSmall(DemoRun &demo, const std::vector<std::string> &args)
{
    std::vector<std::string> all = {"-nf", "-w", "320", "-h", "180", "-m"};
    all.insert(all.end(), args.begin(), args.end());
    demo.start(all);
}

} // namespace

// One run visits every scene on a paused clock: paused, the frames go on being drawn while the
// clock stands still, so each picture is taken at a known music time whatever the machine's
// speed. Started at scene 1 and seeked back to 0 s, it also steps back into scene 0.
TEST(Scenes26EndToEnd, OneRunShowsEachScenesOwnPictureAndEndsByItselfWithStatusZero)
{
    DemoRun demo;
    startSmall(demo, {"-s", "1"});
    ASSERT_TRUE(demo.waitForOutput("song start pos = 30000", 120)) << demo.output();
    ASSERT_TRUE(demo.keys("space")) << "pause";
    demo.seek(-40, 20); // the clock stops at 0 however far it had run
    // Music times (s) past each scene's fade-in; the scenes begin at 0, 30, 45, 75, 82.5,
    // 127.5 and 150 s.
    const int at[] = {4, 34, 49, 79, 86, 131, 153};
    const int scenes = 7;
    int clock = 0;
    std::vector<Picture> pictures;
    for (int scene = 0; scene < scenes; scene++) {
        demo.seek(at[scene] - clock, 20);
        clock = at[scene];
        Picture picture = demo.screenshot();
        ASSERT_TRUE(picture.ok()) << "scene " << scene << "\n" << demo.output();
        EXPECT_GT(picture.detail(), 0.01) << "scene " << scene << " looks blank";
        pictures.push_back(picture);
    }
    for (int a = 0; a < scenes; a++)
        for (int b = a + 1; b < scenes; b++)
            EXPECT_GT(pictures[a].meanDifference(pictures[b]), 10.0)
                << "scenes " << a << " and " << b << " look alike";

    // A frame drawn at 215 s shows the demo still running a second before its end; played
    // on, it ends by itself.
    demo.seek(215 - clock, 20);
    ASSERT_TRUE(demo.screenshot().ok()) << "ended before 216 s\n" << demo.output();
    ASSERT_TRUE(demo.keys("space")) << "play on";
    EXPECT_EQ(demo.waitForExit(120), 0) << demo.output();
}
