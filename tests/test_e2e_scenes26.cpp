// End to end: the staged demo on the silent clock in a small window under the test's X
// display. Started at scene 6 it plays to the scene's end and ends by itself with status 0;
// started at each scene in turn, the screenshot key shows a picture of its own.
#include "e2e_demo.h"

namespace {

// The demo on the silent clock in a 320x180 window, started with `args`.
void startSmall(DemoRun &demo, const std::vector<std::string> &args)
{
    std::vector<std::string> all = {"-nf", "-w", "320", "-h", "180", "-m"};
    all.insert(all.end(), args.begin(), args.end());
    demo.start(all);
}

// Screenshots until one has detail (past a fade or a flash), at most 30 of them.
Picture detailedScreenshot(DemoRun &demo)
{
    Picture picture;
    for (int attempt = 0; attempt < 30; attempt++) {
        picture = demo.screenshot();
        if (picture.ok() && picture.detail() > 0.01) break;
        usleep(300000);
    }
    return picture;
}

TEST(Scenes26EndToEnd, StartedAtSceneSixTheDemoEndsByItselfWithStatusZero)
{
    DemoRun demo;
    startSmall(demo, {"-s", "6"});
    ASSERT_TRUE(demo.waitForOutput("song start pos = 149000", 120)) << demo.output();
    // The silent clock advances by the tick, so slow frames stretch the scene's 66 s far
    // beyond that in real time, more so under sanitizers: seek 55 s of it with the arrow key
    // and play the rest.
    demo.seekForward(55);
    // The clock never runs ahead of real time: at most 9.5 s of the 11 s left have passed.
    usleep(3000000);
    ASSERT_EQ(demo.waitForExit(0), -1) << "ended before the scene's end\n" << demo.output();
    EXPECT_EQ(demo.waitForExit(250), 0) << demo.output();
}

TEST(Scenes26EndToEnd, EachStartSceneShowsItsOwnPicture)
{
    const int scenes = 7;
    std::vector<Picture> pictures;
    for (int scene = 0; scene < scenes; scene++) {
        DemoRun demo;
        startSmall(demo, {"-s", std::to_string(scene)});
        ASSERT_TRUE(demo.waitForPlayback(120)) << demo.output();
        // Past the fade-ins (scene 0 is slow to draw: its clock would take long to get there),
        // then look again until the picture has detail.
        demo.seekForward(4);
        Picture picture = detailedScreenshot(demo);
        ASSERT_TRUE(picture.ok()) << "scene " << scene << "\n" << demo.output();
        EXPECT_GT(picture.detail(), 0.01) << "scene " << scene << " looks blank";
        pictures.push_back(picture);
    }
    for (int a = 0; a < scenes; a++)
        for (int b = a + 1; b < scenes; b++)
            EXPECT_GT(pictures[a].meanDifference(pictures[b]), 10.0)
                << "scenes " << a << " and " << b << " look alike";
}

} // namespace
