// End to end: the staged demo starts under the current X display, opens its window and runs
// until it is stopped; without options it takes the default resolution and, where game mode
// cannot switch the display, a full-screen window.
#include "test_mp3.h"
#include "read_file.h"
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

static std::string run(const std::string &command)
{
    FILE *p = popen(command.c_str(), "r");
    if (!p) return std::string();
    std::string out = readStream(p);
    pclose(p);
    return out;
}

// A working directory like the stage, with a song of our own when the stage has none yet.
static std::string workingDir()
{
    std::string dir = vlmTestScratchDir() + "/stage";
    if (fs::exists(dir)) return dir;
    fs::create_directories(dir + "/data");
    fs::create_directories(dir + "/capture");
    std::string stage = VLM_STAGE_DIR;
    for (const fs::directory_entry &e : fs::directory_iterator(stage + "/data"))
        fs::create_symlink(e.path(), dir + "/data/" + e.path().filename().string());
    fs::create_symlink(stage + "/tools", dir + "/tools");
    if (fs::exists(stage + "/data.vfile")) fs::create_symlink(stage + "/data.vfile", dir + "/data.vfile");
    if (!fs::exists(dir + "/data/tune.mp3"))
        vlmTestWriteMp3(dir + "/data/tune.mp3", 44100 * 30, 220, 330);
    return dir;
}

// Starts the staged demo with `args` in the working directory, its standard output and error
// to `log` (a failure then shows what the demo said, sanitizer reports included).
static pid_t startDemo(const std::vector<std::string> &args, const std::string &log)
{
    std::string dir = workingDir();
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(120);
        int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        std::string demo = std::string(VLM_STAGE_DIR) + "/demo";
        std::vector<char *> argv{(char *)demo.c_str()};
        for (const std::string &a : args) argv.push_back((char *)a.c_str());
        argv.push_back(nullptr);
        execv(demo.c_str(), argv.data());
        _exit(121);
    }
    return pid;
}

struct WindowInfo {
    std::string id;  // empty: none found
    int width = 0, height = 0;
    std::string title;
};

static int field(const std::string &text, const std::string &name)
{
    size_t at = text.find(name);
    return at == std::string::npos ? -1 : atoi(text.c_str() + at + name.size());
}

// The ids of the viewable windows titled "vlm-framework" on the display.
static std::vector<std::string> demoWindows()
{
    std::istringstream list(run("xdotool search --onlyvisible --name '^vlm-framework$' 2>/dev/null"));
    std::vector<std::string> ids;
    std::string id;
    while (list >> id) ids.push_back(id);
    return ids;
}

static bool running(pid_t pid)
{
    int status;
    return waitpid(pid, &status, WNOHANG) == 0;
}

// The window does not carry its process id, so the demo's window is the one that was not
// there before it started. Polls (up to a minute on a busy machine) until that window has
// `width` x `height` pixels; returns what it last saw.
static WindowInfo waitForWindow(pid_t pid, const std::vector<std::string> &before, int width,
                                int height)
{
    WindowInfo w;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (running(pid) && std::chrono::steady_clock::now() < deadline) {
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

// Sends SIGTERM; a program that ignores it is killed after ten seconds. Returns the status.
static int stop(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; i++) {
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return status;
}

TEST(EndToEnd, WindowedSilentRunOpensItsWindowAndRunsUntilStopped)
{
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run under Xvfb";
    std::string log = vlmTestScratchDir() + "/windowed.log";
    std::vector<std::string> before = demoWindows();
    pid_t pid = startDemo({"-nf", "-m", "-w", "320", "-h", "180"}, log);
    WindowInfo w = waitForWindow(pid, before, 320, 180);
    EXPECT_EQ(w.width, 320);
    EXPECT_EQ(w.height, 180);
    EXPECT_EQ(w.title, "vlm-framework");
    // Still running a while after: nothing ends it but a stop.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_TRUE(running(pid)) << readFile(log);
    int status = stop(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << readFile(log);
    std::string out = readFile(log);
    EXPECT_EQ(out.find("[*] Resolution set to default"), std::string::npos) << out;
    EXPECT_EQ(out.find("[!] "), std::string::npos) << out;
    EXPECT_EQ(out.find("ERROR: AddressSanitizer"), std::string::npos) << out;
}

TEST(EndToEnd, NoOptionsTakeTheDefaultResolutionAndAFullScreenWindow)
{
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "run under Xvfb";
    std::string screen = run("xwininfo -root 2>/dev/null");
    int screenW = field(screen, "Width: "), screenH = field(screen, "Height: ");
    std::string log = vlmTestScratchDir() + "/default.log";
    std::vector<std::string> before = demoWindows();
    pid_t pid = startDemo({}, log);
    WindowInfo w = waitForWindow(pid, before, screenW, screenH);
    EXPECT_EQ(w.width, screenW);
    EXPECT_EQ(w.height, screenH);
    EXPECT_TRUE(running(pid)) << readFile(log);
    // With the sound on too, a stop request ends the program.
    int status = stop(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << readFile(log);
    std::string out = readFile(log);
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
