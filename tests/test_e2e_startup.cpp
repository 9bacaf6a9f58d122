// End to end: the staged demo starts under the current X display, opens its window and runs
// until it is stopped; without options it takes the default resolution and, where game mode
// cannot switch the display, a full-screen window.
#include "e2e_demo.h"
#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

namespace {

std::string run(const std::string &command)
{
    FILE *p = popen(command.c_str(), "r");
    if (!p) return std::string();
    std::string out = readStream(p);
    pclose(p);
    return out;
}

struct WindowInfo {
    std::string id;  // empty: none found
    int width = 0, height = 0;
    std::string title;
};

int field(const std::string &text, const std::string &name)
{
    size_t at = text.find(name);
    return at == std::string::npos ? -1 : atoi(text.c_str() + at + name.size());
}

// The ids of the viewable windows titled "vlm-framework" on the display.
std::vector<std::string> demoWindows()
{
    std::istringstream list(run("xdotool search --onlyvisible --name '^vlm-framework$' 2>/dev/null"));
    std::vector<std::string> ids;
    std::string id;
    while (list >> id) ids.push_back(id);
    return ids;
}

// The window does not carry its process id, so the demo's window is the one that was not
// there before it started. Polls (up to a minute on a busy machine) until that window has
// `width` x `height` pixels; returns what it last saw.
WindowInfo waitForWindow(DemoRun &demo, const std::vector<std::string> &before, int width,
                         int height)
{
    WindowInfo w;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (demo.running() && std::chrono::steady_clock::now() < deadline) {
        for (const std::string &id : demoWindows()) {
            if (std::find(before.begin(), before.end(), id) != before.end()) continue;
            std::string info = run("xwininfo -id " + id + " 2>/dev/null");
            if (info.find("IsViewable") == std::string::npos) continue;
            w.id = id;
            w.width = field(info, "Width: ");
            w.height = field(info, "Height: ");
            w.title = run("xdotool getwindowname " + id + " 2>/dev/null");
            while (!w.title.empty() && w.title.back() == '\n') w.title.pop_back();
            if (w.width == width && w.height == height) return w;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return w;
}

TEST(EndToEnd, WindowedSilentRunOpensItsWindowAndRunsUntilStopped)
{
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run under Xvfb";
    std::vector<std::string> before = demoWindows();
    DemoRun demo;
    demo.start({"-nf", "-m", "-w", "320", "-h", "180"});
    WindowInfo w = waitForWindow(demo, before, 320, 180);
    EXPECT_EQ(w.width, 320);
    EXPECT_EQ(w.height, 180);
    EXPECT_EQ(w.title, "vlm-framework");
    // Still running a while after: nothing ends it but a stop.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_TRUE(demo.running()) << demo.output();
    int status = demo.terminate();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << demo.output();
    std::string out = demo.output();
    EXPECT_EQ(out.find("[*] Resolution set to default"), std::string::npos) << out;
    EXPECT_EQ(out.find("[!] "), std::string::npos) << out;
    EXPECT_EQ(out.find("ERROR: AddressSanitizer"), std::string::npos) << out;
}

TEST(EndToEnd, NoOptionsTakeTheDefaultResolutionAndAFullScreenWindow)
{
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run under Xvfb";
    std::string screen = run("xwininfo -root 2>/dev/null");
    int screenW = field(screen, "Width: "), screenH = field(screen, "Height: ");
    std::vector<std::string> before = demoWindows();
    DemoRun demo;
    demo.start({});
    WindowInfo w = waitForWindow(demo, before, screenW, screenH);
    EXPECT_EQ(w.width, screenW);
    EXPECT_EQ(w.height, screenH);
    EXPECT_TRUE(demo.running()) << demo.output();
    // With the sound on too, a stop request ends the program.
    int status = demo.terminate();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << demo.output();
    std::string out = demo.output();
    EXPECT_NE(out.find("[*] Resolution set to default becouse nothing else was given\n"),
              std::string::npos) << out;
    EXPECT_NE(out.find("[/] Game mode 1280x800:32@75 is not available"), std::string::npos) << out;
}

TEST(EndToEnd, HelpPrintsTheOptionsAndKeysAndExitsZeroWithoutAWindow)
{
    // No display: a program that tried to open a window would end with status 1.
    std::string out = run("cd '" + std::string(VLM_STAGE_DIR) +
                          "' && env -u DISPLAY ./demo -nf --help 2>&1; echo \"status=$?\"");
    for (const char *text : {"usage: ./demo [options]\n", "-e FILE", "-live", "Escape quit",
                             "l    hold the current scene", "\nstatus=0\n"})
        EXPECT_NE(out.find(text), std::string::npos) << text << " in:\n" << out;
    EXPECT_EQ(out.find("Resolution set to default"), std::string::npos) << out;
}

} // namespace
