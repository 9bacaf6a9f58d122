// End to end: the staged demo on the silent clock in a small window under the test's X
// display. One run seeks through the scenes: the screenshot key shows each scene a picture of
// its own, and the demo ends by itself with status 0. Mesa's shader cache, counted at the
// hand-over and after the scenes have been drawn, shows that the loading's warm-up built every
// shader variant the scenes use.
#include "e2e_demo.h"
#include <filesystem>

namespace {

// The demo on the silent clock in a 320x180 window, started with `args`.
void startSmall(DemoRun &demo, const std::vector<std::string> &args)
{
    std::vector<std::string> all = {"-nf", "-w", "320", "-h", "180", "-m"};
    all.insert(all.end(), args.begin(), args.end());
    demo.start(all);
}

// Mesa's shader cache in a fresh folder for the demos started while this lives: llvmpipe
// stores each shader and each program-and-state variant it compiles there, one file apiece.
// A scene that compiles anything when it is played adds files.
class ShaderCache {
public:
    ShaderCache()
    {
        std::string pattern = std::string(VLM_BINARY_DIR) + "/shader-cache-XXXXXX";
        dir = mkdtemp(&pattern[0]);
        setenv("MESA_SHADER_CACHE_DIR", dir.c_str(), 1);
        unsetenv("MESA_SHADER_CACHE_DISABLE");
        unsetenv("MESA_DISK_CACHE_SINGLE_FILE");
    }
    ~ShaderCache()
    {
        unsetenv("MESA_SHADER_CACHE_DIR");
        std::filesystem::remove_all(dir);
    }
    // Entries written so far (not those still being written, "*.tmp").
    int entries() const
    {
        int n = 0;
        for (const auto &e : std::filesystem::recursive_directory_iterator(dir))
            n += e.is_regular_file() && e.path().extension() != ".tmp";
        return n;
    }
    // Entries once the demo's cache writer has written all it was given: Mesa writes each
    // entry on a thread of its own ("disk$") some time after the compile that made it, so a
    // count taken at once can miss an entry still on its way.
    int entriesWritten(const DemoRun &demo) const
    {
        int idle = 0;
        for (int i = 0; idle < 2 && i < 3000; i++) { // the bound only catches a hang
            idle = writerIdle(demo.processId()) ? idle + 1 : 0;
            usleep(20000);
        }
        if (idle < 2) ADD_FAILURE() << "the demo's shader cache writer never went idle";
        return entries();
    }

private:
    // The writer is idle when it sleeps on its queue's condition (a futex) with nothing to do;
    // a demo without one writes nothing.
    static bool writerIdle(pid_t pid)
    {
        std::error_code error;
        std::filesystem::directory_iterator tasks("/proc/" + std::to_string(pid) + "/task", error);
        for (const auto &task : tasks) {
            if (readFile(task.path() / "comm").find("disk$") == std::string::npos) continue;
            std::string stat = readFile(task.path() / "stat");
            size_t name_end = stat.rfind(')');
            char state = name_end != std::string::npos && name_end + 2 < stat.size()
                             ? stat[name_end + 2]
                             : '?';
            return state == 'S' && readFile(task.path() / "wchan").rfind("futex", 0) == 0;
        }
        return true;
    }

    std::string dir;
};

} // namespace

// One run visits every scene on a paused clock: paused, the frames go on being drawn while the
// clock stands still, so each picture is taken at a known music time whatever the machine's
// speed. Started at scene 1 and seeked back to 0 s, it also steps back into scene 0. No scene
// compiles a shader variant the loading's warm-up had not already built (the start scene, drawn
// in the frame of the hand-over itself, is the next test's).
TEST(Scenes26EndToEnd, OneRunShowsEachScenesOwnPictureAndEndsByItselfWithStatusZero)
{
    ShaderCache cache;
    DemoRun demo;
    startSmall(demo, {"-s", "1"});
    ASSERT_TRUE(demo.waitForOutput("song start pos = 30000", 120)) << demo.output();
    ASSERT_TRUE(demo.screenshot().ok()) << demo.output(); // a frame of scene 1 is complete
    int warmedUp = cache.entriesWritten(demo);
    ASSERT_GT(warmedUp, 0) << "llvmpipe writes no shader cache: this run proves nothing";
    ASSERT_TRUE(demo.keys("space")) << "pause";
    demo.seek(-40, 20); // the clock stops at 0 however far it had run
    // Each scene 4 s in, past its fade-in, at the whole second the arrow keys reach.
    const DemoTimeline &timeline = demoTimeline();
    const int scenes = timeline.count();
    ASSERT_GT(scenes, 1);
    int clock = 0;
    std::vector<Picture> pictures;
    for (int scene = 0; scene < scenes; scene++) {
        int at = (timeline.scenes[scene].startMs + 4000) / 1000;
        demo.seek(at - clock, 20);
        clock = at;
        Picture picture = demo.screenshot();
        ASSERT_TRUE(picture.ok()) << "scene " << scene << "\n" << demo.output();
        EXPECT_GT(picture.detail(), 0.01) << "scene " << scene << " looks blank";
        pictures.push_back(picture);
    }
    for (int a = 0; a < scenes; a++)
        for (int b = a + 1; b < scenes; b++)
            EXPECT_GT(pictures[a].meanDifference(pictures[b]), 10.0)
                << "scenes " << a << " and " << b << " look alike";

    // A frame drawn a second before the demo's end shows it still running; played on, it
    // ends by itself.
    demo.seek(timeline.lengthMs / 1000 - 1 - clock, 20);
    ASSERT_TRUE(demo.screenshot().ok()) << "ended a second early\n" << demo.output();
    // The warm-up at loading built every variant the scenes went on to draw with.
    EXPECT_EQ(cache.entriesWritten(demo), warmedUp) << "variants compiled after the hand-over";
    ASSERT_TRUE(demo.keys("space")) << "play on";
    EXPECT_EQ(demo.waitForExit(120), 0) << demo.output();
}

// The start scene's first frame is drawn in the frame of the hand-over, where the warm-up's
// last steps run too, so the run above cannot tell what scene 1 compiles: this run starts at
// scene 0 and seeks into scene 1.
TEST(Scenes26EndToEnd, SceneOneCompilesNothingTheWarmUpDidNot)
{
    ShaderCache cache;
    DemoRun demo;
    startSmall(demo, {});
    ASSERT_TRUE(demo.waitForPlayback(120)) << demo.output();
    ASSERT_TRUE(demo.screenshot().ok()) << demo.output(); // a frame of scene 0 is complete
    int warmedUp = cache.entriesWritten(demo);
    ASSERT_GT(warmedUp, 0) << "llvmpipe writes no shader cache: this run proves nothing";
    ASSERT_TRUE(demo.keys("space")) << "pause";
    demo.seek(34, 20); // scene 1 begins at 30 s; a few seconds of scene 0 have been played
    ASSERT_TRUE(demo.screenshot().ok()) << demo.output();
    ASSERT_TRUE(demo.screenshot().ok()) << demo.output();
    EXPECT_EQ(cache.entriesWritten(demo), warmedUp) << "scene 1 compiled variants the warm-up did not";
}
