// End to end: the staged demo on the silent clock in a small window under the test's X
// display. Started at scene 6 it plays to the scene's end and ends by itself with status 0;
// started at each scene in turn, the screenshot key shows a picture of its own.
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
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<float> luma; // one value per pixel, 0..255

    bool ok() const { return width > 0; }
    // The share of pixels more than 40 levels away from the picture's median.
    double detail() const
    {
        std::vector<float> sorted = luma;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        float median = sorted[sorted.size() / 2];
        size_t off = 0;
        for (float v : luma) off += std::fabs(v - median) > 40;
        return (double)off / luma.size();
    }
    double meanDifference(const Picture &o) const
    {
        double sum = 0;
        for (size_t i = 0; i < luma.size() && i < o.luma.size(); i++) sum += std::fabs(luma[i] - o.luma[i]);
        return sum / luma.size();
    }
};

Picture readPNG(const std::string &path)
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
            p.luma.push_back(0.299f * gdTrueColorGetRed(c) + 0.587f * gdTrueColorGetGreen(c) +
                             0.114f * gdTrueColorGetBlue(c));
        }
    gdImageDestroy(im);
    return p;
}

// The demo running in a private copy of the stage (it writes screenshot.png there).
class Demo {
public:
    explicit Demo(const std::vector<std::string> &args)
    {
        std::string tmpl = std::string(VLM_BINARY_DIR) + "/e2e26-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back(0);
        dir = mkdtemp(buf.data());
        shell("cp -r '" + std::string(VLM_STAGE_DIR) + "/.' '" + dir + "/'");
        pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(127);
            int fd = open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            std::vector<std::string> all = {"./demo", "-nf", "-w", "320", "-h", "180", "-m"};
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char *> argv;
            for (std::string &a : all) argv.push_back(&a[0]);
            argv.push_back(nullptr);
            execv("./demo", argv.data());
            _exit(127);
        }
    }
    ~Demo()
    {
        if (pid > 0) {
            kill(pid, SIGKILL); // the sound library may catch SIGTERM
            waitpid(pid, nullptr, 0);
        }
        shell("rm -rf '" + dir + "'");
    }
    static void shell(const std::string &cmd) { ASSERT_EQ(system(cmd.c_str()), 0) << cmd; }
    std::string output() const { return readFile(dir + "/out.txt"); }

    // Polls until the output holds `text`; false when the demo ends or time runs out.
    bool waitForOutput(const std::string &text, int seconds)
    {
        for (int i = 0; i < seconds * 10; i++) {
            if (output().find(text) != std::string::npos) return true;
            if (exited()) return output().find(text) != std::string::npos;
            usleep(100000);
        }
        return false;
    }
    // Waits at most `seconds` for the demo to end by itself; returns its wait status or -1.
    int waitForExit(int seconds)
    {
        for (int i = 0; i < seconds * 10 && !exited(); i++) usleep(100000);
        return exited() ? status : -1;
    }
    // Seeks the music (here the silent clock) forward by `seconds` with the right arrow key.
    void seekForward(int seconds)
    {
        std::string keys;
        for (int i = 0; i < seconds; i++) keys += " Right";
        shell("xdotool search --sync --name vlm-framework windowfocus --sync key --delay 100" + keys);
    }
    // Presses the screenshot key and reads the picture it writes.
    Picture screenshot()
    {
        std::string file = dir + "/screenshot.png";
        unlink(file.c_str());
        shell("xdotool search --sync --name vlm-framework windowfocus --sync key 0");
        struct stat st;
        for (int i = 0; i < 300 && stat(file.c_str(), &st) != 0; i++) usleep(100000);
        usleep(300000); // written by the key handler before it returns
        return readPNG(file);
    }

private:
    bool exited()
    {
        if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) pid = -1;
        return pid <= 0;
    }
    std::string dir;
    pid_t pid = -1;
    int status = 0;
};

TEST(Scenes26EndToEnd, StartedAtSceneSixTheDemoEndsByItselfWithStatusZero)
{
    Demo demo({"-s", "6"});
    ASSERT_TRUE(demo.waitForOutput("song start pos = 149000", 120)) << demo.output();
    // The silent clock advances by the tick, so slow frames stretch the scene's 66 s far
    // beyond that in real time, more so under sanitizers: seek 55 s of it with the arrow key
    // and play the rest.
    demo.seekForward(55);
    // The clock never runs ahead of real time: at most 9.5 s of the 11 s left have passed.
    usleep(3000000);
    ASSERT_EQ(demo.waitForExit(0), -1) << "ended before the scene's end\n" << demo.output();
    int status = demo.waitForExit(250);
    ASSERT_NE(status, -1) << "still running after the scene's 66 s";
    ASSERT_TRUE(WIFEXITED(status)) << demo.output();
    EXPECT_EQ(WEXITSTATUS(status), 0) << demo.output();
}

TEST(Scenes26EndToEnd, EachStartSceneShowsItsOwnPicture)
{
    const int scenes = 7;
    std::vector<Picture> pictures;
    for (int scene = 0; scene < scenes; scene++) {
        Demo demo({"-s", std::to_string(scene)});
        ASSERT_TRUE(demo.waitForOutput("sceneTime[6]", 120)) << demo.output();
        // Past the fade-ins (scene 0 is slow to draw: its clock would take long to get there),
        // then look again until the picture has detail.
        demo.seekForward(4);
        Picture picture;
        for (int attempt = 0; attempt < 30; attempt++) {
            picture = demo.screenshot();
            if (picture.ok() && picture.detail() > 0.01) break;
            usleep(300000);
        }
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
