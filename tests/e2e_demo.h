// End-to-end helper: the staged demo as a process in a working directory of its own, keys
// sent to its window with xdotool, and the PNG files it writes read back as pictures.
// Every end-to-end program runs on an X server of its own (see CMakeLists.txt), one at a time.
#pragma once
#include "demo_timeline.h"
#include "read_file.h"
#include <gtest/gtest.h>
#include <gd.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

// A picture read from a PNG file: 8-bit RGB, rows top first as stored.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;

    bool ok() const { return width > 0; }
    float luma(size_t pixel) const
    {
        const unsigned char *p = &rgb[pixel * 3];
        return 0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2];
    }
    double meanLuma() const
    {
        double sum = 0;
        for (size_t i = 0; i < rgb.size() / 3; i++) sum += luma(i);
        return rgb.empty() ? 0 : sum / (rgb.size() / 3);
    }
    // Pixels with any channel above `level` (0..255).
    int pixelsAbove(int level) const
    {
        int n = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            n += rgb[i] > level || rgb[i + 1] > level || rgb[i + 2] > level;
        return n;
    }
    // The share of pixels whose luma is more than 40 levels from the picture's median.
    double detail() const
    {
        std::vector<float> sorted;
        for (size_t i = 0; i < rgb.size() / 3; i++) sorted.push_back(luma(i));
        if (sorted.empty()) return 0;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        float median = sorted[sorted.size() / 2];
        size_t off = 0;
        for (size_t i = 0; i < rgb.size() / 3; i++) off += std::fabs(luma(i) - median) > 40;
        return (double)off / (rgb.size() / 3);
    }
    // Mean absolute difference per channel, 0..255.
    double meanDifference(const Picture &o) const
    {
        double sum = 0;
        for (size_t i = 0; i < rgb.size() && i < o.rgb.size(); i++) sum += std::abs(rgb[i] - o.rgb[i]);
        return rgb.empty() ? 0 : sum / rgb.size();
    }
};

inline Picture readPNG(const std::string &path)
{
    Picture p;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return p;
    gdImagePtr im = gdImageCreateFromPng(f);
    fclose(f);
    if (!im) return p;
    p.width = gdImageSX(im);
    p.height = gdImageSY(im);
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) {
            int c = gdImageGetTrueColorPixel(im, x, y);
            p.rgb.push_back(gdTrueColorGetRed(c));
            p.rgb.push_back(gdTrueColorGetGreen(c));
            p.rgb.push_back(gdTrueColorGetBlue(c));
        }
    gdImageDestroy(im);
    return p;
}

// Runs a shell command; its exit status.
inline int shell(const std::string &command) { return system(command.c_str()); }

// The staged demo in a working directory of its own under the build tree, with its standard
// output and error in out.txt. A linked stage shares the stage's files; a copied one may be
// changed by the test. Either has an empty capture/ folder. Killed and removed at the end.
class DemoRun {
public:
    enum Stage { LINKED, COPIED };

    explicit DemoRun(Stage stage = LINKED)
    {
        std::string tmpl = std::string(VLM_BINARY_DIR) + "/e2e-XXXXXX";
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back(0);
        dir = mkdtemp(name.data());
        std::string from = VLM_STAGE_DIR;
        if (stage == COPIED) {
            EXPECT_EQ(shell("cp -r '" + from + "/.' '" + dir + "/' && rm -rf '" + dir + "/capture'"), 0);
        } else {
            for (const char *entry : {"data", "tools", "data.vfile", "demo"})
                EXPECT_EQ(symlink((from + "/" + entry).c_str(), path(entry).c_str()), 0);
        }
        mkdir(path("capture").c_str(), 0755);
    }
    ~DemoRun()
    {
        if (running()) {
            kill(pid, SIGKILL); // the sound layer may catch SIGTERM
            waitpid(pid, nullptr, 0);
        }
        if (shell("rm -rf '" + dir + "'") != 0) ADD_FAILURE() << "cannot remove " << dir;
    }

    // Starts ./demo with `args` (nothing added).
    void start(const std::vector<std::string> &args)
    {
        pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(127);
            int fd = open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            std::vector<std::string> all = {"./demo"};
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char *> argv;
            for (std::string &a : all) argv.push_back(&a[0]);
            argv.push_back(nullptr);
            execv("./demo", argv.data());
            _exit(127);
        }
    }

    std::string path(const std::string &name) const { return dir + "/" + name; }
    pid_t processId() const { return pid; }
    std::string output() const { return readFile(path("out.txt")); }
    bool running()
    {
        if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) pid = -1;
        return pid > 0;
    }

    // Polls until the output holds `text`; false when the demo ends or time runs out.
    bool waitForOutput(const std::string &text, int seconds)
    {
        for (int i = 0; i < seconds * 10; i++) {
            if (output().find(text) != std::string::npos) return true;
            if (!running()) return output().find(text) != std::string::npos;
            usleep(100000);
        }
        return false;
    }
    // Playback has begun when the director prints its scene table at the hand-over.
    bool waitForPlayback(int seconds)
    {
        return waitForOutput(demoTimeline().playbackMarker(), seconds);
    }
    // Polls until `name` exists and is not empty; false when the demo died first.
    bool waitForFile(const std::string &name, int seconds)
    {
        struct stat st;
        for (int i = 0; i < seconds * 20; i++) {
            if (stat(path(name).c_str(), &st) == 0 && st.st_size > 0) return true;
            if (!running()) return stat(path(name).c_str(), &st) == 0 && st.st_size > 0;
            usleep(50000);
        }
        return false;
    }
    // Waits at most `seconds` for the demo to end by itself: its exit status (128 + signal
    // when killed by one), or -1 while it runs.
    int waitForExit(int seconds)
    {
        for (int i = 0; i < seconds * 10 && running(); i++) usleep(100000);
        if (running()) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // Sends key presses (xdotool key names, space separated) to the demo's window.
    bool keys(const std::string &names, int delayMs = 100)
    {
        return shell("xdotool search --sync --name vlm-framework windowfocus --sync key --delay " +
                     std::to_string(delayMs) + " " + names + " >/dev/null 2>&1") == 0;
    }
    // Seeks the clock by `seconds` with the arrow keys, one second a press: forward with the
    // right arrow, back (when negative) with the left one.
    void seek(int seconds, int delayMs = 100)
    {
        std::string names;
        for (int i = 0; i < std::abs(seconds); i++) names += seconds > 0 ? " Right" : " Left";
        if (!names.empty()) {
            EXPECT_TRUE(keys(names, delayMs));
        }
    }
    void seekForward(int seconds) { seek(seconds); }
    // Presses the screenshot key and reads screenshot.png once it holds a whole PNG.
    Picture screenshot()
    {
        unlink(path("screenshot.png").c_str());
        EXPECT_TRUE(keys("0"));
        return waitForPicture("screenshot.png", 60);
    }
    // Polls until `name` holds a whole PNG (its last chunk written) and reads it; an empty
    // picture when the demo ended or time ran out first.
    Picture waitForPicture(const std::string &name, int seconds)
    {
        for (int i = 0; i < seconds * 20; i++) {
            bool ended = !running(); // looked at before the file: its last write is seen
            std::string bytes = readFile(path(name));
            if (bytes.size() > 12 && bytes.compare(bytes.size() - 8, 4, "IEND") == 0)
                return readPNG(path(name));
            if (ended) break;
            usleep(50000);
        }
        return Picture();
    }
    // Presses Escape: the exit status, or -1 when the demo did not end. (xdotool may report
    // the window gone while it finishes the key: the demo has already quit.)
    int quit(int seconds)
    {
        keys("Escape");
        int status = waitForExit(seconds);
        releaseEscape();
        return status;
    }
    // The demo quits on the press, and the window it closes can take xdotool's release with
    // it: the key then stays down on the X server, whose auto-repeat goes on pressing it into
    // the next window. Releasing it again is harmless when it is up.
    static void releaseEscape() { shell("xdotool keyup Escape >/dev/null 2>&1"); }
    // Sends SIGTERM, then SIGKILL after ten seconds: the wait status.
    int terminate()
    {
        if (pid <= 0) return status;
        kill(pid, SIGTERM);
        for (int i = 0; i < 100 && running(); i++) usleep(100000);
        if (running()) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            pid = -1;
        }
        return status;
    }

private:
    std::string dir;
    pid_t pid = -1;
    int status = 0;
};

// A sanitizer's report, by the pattern the scripts use (scripts/sanitizer-report.ere).
inline void expectNoSanitizerReport(const std::string &output)
{
    static const std::string pattern = readFile(std::string(VLM_SOURCE_DIR) + "/scripts/sanitizer-report.ere");
    ASSERT_FALSE(pattern.empty());
    std::regex report(pattern.substr(0, pattern.find('\n')), std::regex::extended);
    EXPECT_FALSE(std::regex_search(output, report)) << output;
}
