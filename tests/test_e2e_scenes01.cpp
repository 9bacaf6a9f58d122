// End to end: the staged demo under the test's X display, in a small window. Capture mode
// writes the frames of loading and scene 0; the silent clock with start scene 1 and the
// screenshot key shows scene 1. A stage served only from data.vfile draws the same frames
// as one served from loose files. With -live, shader and track files saved while frames are
// captured change the next frame; without it they change nothing.
#include "read_file.h"
#include <gtest/gtest.h>
#include <gd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb; // rows as stored in the file
    bool ok() const { return width > 0; }
    double meanLuma() const
    {
        double sum = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            sum += 0.299 * rgb[i] + 0.587 * rgb[i + 1] + 0.114 * rgb[i + 2];
        return rgb.empty() ? 0 : sum / (rgb.size() / 3);
    }
    int pixelsAbove(int level) const
    {
        int n = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            n += rgb[i] > level || rgb[i + 1] > level || rgb[i + 2] > level;
        return n;
    }
    double meanDifference(const Picture &o) const
    {
        double sum = 0;
        for (size_t i = 0; i < rgb.size() && i < o.rgb.size(); i++) sum += std::abs(rgb[i] - o.rgb[i]);
        return rgb.empty() ? 0 : sum / rgb.size();
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
            p.rgb.push_back(gdTrueColorGetRed(c));
            p.rgb.push_back(gdTrueColorGetGreen(c));
            p.rgb.push_back(gdTrueColorGetBlue(c));
        }
    gdImageDestroy(im);
    return p;
}

bool exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && st.st_size > 0;
}

// A private copy of the stage (the demo writes capture/ and screenshot.png into it).
class StageCopy {
public:
    explicit StageCopy(const char *tag)
    {
        std::string tmpl = std::string(VLM_BINARY_DIR) + "/e2e-" + tag + "-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back(0);
        dir = mkdtemp(buf.data());
        run("cp -r '" + std::string(VLM_STAGE_DIR) + "/.' '" + dir + "/' && rm -rf '" + dir +
            "/capture' && mkdir '" + dir + "/capture'");
    }
    ~StageCopy() { run("rm -rf '" + dir + "'"); }
    void run(const std::string &cmd) { ASSERT_EQ(system(cmd.c_str()), 0) << cmd; }
    std::string path(const std::string &rel) const { return dir + "/" + rel; }

    // Starts the demo with `args` in the copy; standard output goes to out.txt.
    void start(std::vector<std::string> args)
    {
        pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(127);
            int fd = open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            std::vector<char *> argv;
            std::string prog = "./demo";
            argv.push_back(prog.data());
            for (auto &a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv("./demo", argv.data());
            _exit(127);
        }
    }
    // Waits (polling, at most `seconds`) until `rel` exists; false when the demo died first.
    bool waitFor(const std::string &rel, int seconds)
    {
        for (int i = 0; i < seconds * 20; i++) {
            if (exists(path(rel))) return true;
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return exists(path(rel));
            }
            usleep(50000);
        }
        return false;
    }
    void stop()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    std::string output() const { return readFile(path("out.txt")); }
    // Waits (polling, at most `seconds`) until the demo has printed `text`.
    bool waitForOutput(const std::string &text, int seconds)
    {
        for (int i = 0; i < seconds * 20; i++) {
            if (output().find(text) != std::string::npos) return true;
            usleep(50000);
        }
        return false;
    }
    // Replaces the file `rel` with `text`: written in place, or renamed over it as many
    // editors save.
    void save(const std::string &rel, const std::string &text, bool rename)
    {
        std::string target = path(rel), written = rename ? target + ".new" : target;
        FILE *f = fopen(written.c_str(), "w");
        ASSERT_TRUE(f) << written;
        fputs(text.c_str(), f);
        fclose(f);
        if (rename) {
            ASSERT_EQ(::rename(written.c_str(), target.c_str()), 0);
        }
    }

    std::string dir;
    pid_t pid = -1;
};

// Captures frames 1..frames of a 320 x 180 run from the start.
std::vector<Picture> captureFrames(StageCopy &stage, int frames)
{
    stage.start({"-nf", "-w", "320", "-h", "180", "-c", "0", "-m"});
    bool reached = stage.waitFor("capture/" + std::to_string(frames + 1) + ".png", 280);
    stage.stop();
    EXPECT_TRUE(reached) << stage.output();
    std::vector<Picture> pictures;
    for (int k = 1; k <= frames; k++) pictures.push_back(readPNG(stage.path("capture/" + std::to_string(k) + ".png")));
    return pictures;
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

TEST(Scenes01EndToEnd, SceneZeroFramesAreNotBlankChangeAndMatchBetweenLooseFilesAndDataVfile)
{
    StageCopy loose("loose"), packed("packed");
    loose.run("rm -f '" + loose.path("data.vfile") + "'");
    packed.run("rm -rf '" + packed.path("data/shader") + "' '" + packed.path("data/models") +
               "' '" + packed.path("data/textures") + "'");
    ASSERT_TRUE(exists(packed.path("data.vfile")));

    std::vector<Picture> a = captureFrames(loose, FRAMES);
    std::vector<Picture> b = captureFrames(packed, FRAMES);
    EXPECT_NE(loose.output().find("sceneTime[6] = 66.000000"), std::string::npos) << loose.output();

    int identical = 0;
    for (int k = 0; k < FRAMES; k++) {
        ASSERT_TRUE(a[k].ok()) << "frame " << k + 1;
        ASSERT_TRUE(b[k].ok()) << "frame " << k + 1;
        EXPECT_EQ(a[k].width, 320);
        EXPECT_EQ(a[k].height, 180);
        identical += a[k].rgb == b[k].rgb;
    }
    EXPECT_EQ(identical, FRAMES) << "frames differ between loose files and data.vfile";

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
    StageCopy stage("scene1");
    stage.start({"-nf", "-w", "320", "-h", "180", "-m", "-s", "1"});
    for (int i = 0; i < 600 && stage.output().find("song start pos") == std::string::npos; i++)
        usleep(50000);
    ASSERT_NE(stage.output().find("song start pos = 30000"), std::string::npos) << stage.output();
    // Screenshots until one shows the corridor's lines: the first second is a white flash.
    Picture scene1;
    bool lines = false;
    for (int attempt = 0; attempt < 40 && !lines; attempt++) {
        unlink(stage.path("screenshot.png").c_str());
        stage.run("xdotool search --sync --name vlm-framework windowfocus --sync key 0");
        if (!stage.waitFor("screenshot.png", 30)) break;
        usleep(200000); // the file is complete once the key handler returns; let it finish
        scene1 = readPNG(stage.path("screenshot.png"));
        lines = scene1.ok() && scene1.rgb.size() / 3 - scene1.pixelsAbove(200) > 320u * 180 / 100;
    }
    stage.stop();
    ASSERT_TRUE(scene1.ok()) << stage.output();
    EXPECT_TRUE(lines) << "scene 1 shows no lines";
    EXPECT_GT(scene1.meanLuma(), 150); // white paper

    StageCopy first("scene0");
    std::vector<Picture> frames = captureFrames(first, FRAMES);
    EXPECT_LT(frames.back().meanLuma(), 60); // dark paper
    EXPECT_GT(scene1.meanDifference(frames.back()), 80);
}

TEST(Scenes01EndToEnd, LiveRunRebuildsSavedShadersAndTracksWhereAPlainRunChangesNothing)
{
    const std::vector<std::string> args = {"-nf", "-w", "320", "-h", "180", "-c", "0", "-m"};
    const std::string post = "data/shader/post.frag", track = "data/camera/scene0-camera0.vtrack";
    StageCopy live("live");
    std::vector<std::string> liveArgs = args;
    liveArgs.push_back("-live");
    live.start(liveArgs);
    ASSERT_TRUE(live.waitFor("capture/" + std::to_string(LOADING_FRAMES_320 + 24) + ".png", 200))
        << live.output();

    // A track renamed into place: the camera jumps to its new keys at the current clock.
    live.save(track, LOW_TRACK, true);
    ASSERT_TRUE(live.waitForOutput("[*] Live: " + track + " reloaded into 1 camera track(s)\n", 60))
        << live.output();
    int n = frameBefore(live.output(), "[*] Live: " + track);
    ASSERT_TRUE(live.waitFor("capture/" + std::to_string(n + 1) + ".png", 60));
    usleep(200000);
    int skyBefore = litInSky(readPNG(live.path("capture/" + std::to_string(n) + ".png")));
    int skyAfter = litInSky(readPNG(live.path("capture/" + std::to_string(n + 1) + ".png")));
    EXPECT_LT(skyBefore, 100) << "frame " << n;
    EXPECT_GT(skyAfter, 1000) << "frame " << n + 1;

    // The scenes' post shader written in place: every scene's post program turns flat magenta.
    live.save(post, FLAT_POST, false);
    ASSERT_TRUE(live.waitForOutput("[*] Live: " + post + " rebuilt 7 program(s)\n", 60)) << live.output();
    n = frameBefore(live.output(), "[*] Live: " + post);
    ASSERT_TRUE(live.waitFor("capture/" + std::to_string(n + 1) + ".png", 60));
    usleep(200000);
    EXPECT_FALSE(centreIsMagenta(readPNG(live.path("capture/" + std::to_string(n) + ".png"))));
    EXPECT_TRUE(centreIsMagenta(readPNG(live.path("capture/" + std::to_string(n + 1) + ".png"))));

    // A broken save keeps the picture and says where the error is.
    live.save(post, BROKEN_POST, false);
    std::string warning = "[/] " + post + " line 3: shader compile failed";
    ASSERT_TRUE(live.waitForOutput(warning, 60)) << live.output();
    n = frameBefore(live.output(), warning);
    ASSERT_TRUE(live.waitFor("capture/" + std::to_string(n + 2) + ".png", 60));
    live.stop();
    EXPECT_TRUE(centreIsMagenta(readPNG(live.path("capture/" + std::to_string(n + 1) + ".png"))));
    EXPECT_EQ(live.output().find("[!] "), std::string::npos) << live.output();

    // Without -live the same saves change nothing, and the loading says the same.
    StageCopy plain("plain");
    plain.start(args);
    ASSERT_TRUE(plain.waitFor("capture/" + std::to_string(LOADING_FRAMES_320 + 4) + ".png", 200));
    plain.save(track, LOW_TRACK, true);
    plain.save(post, FLAT_POST, false);
    ASSERT_TRUE(plain.waitFor("capture/" + std::to_string(LOADING_FRAMES_320 + 16) + ".png", 60));
    plain.stop();
    usleep(200000);
    EXPECT_FALSE(centreIsMagenta(readPNG(plain.path("capture/" + std::to_string(LOADING_FRAMES_320 + 15) + ".png"))));
    std::string plainOut = plain.output(), liveOut = live.output();
    EXPECT_EQ(plainOut.find("Live"), std::string::npos);
    std::string watching = "[*] Live: watching data/shader\n[*] Live: watching data/shader/PP\n"
                           "[*] Live: watching data/camera\n";
    ASSERT_EQ(liveOut.find(watching), 0u) << liveOut;
    size_t loadingEnd = plainOut.find("[CAPTURE] frame 1\n");
    EXPECT_EQ(liveOut.substr(watching.size(), loadingEnd), plainOut.substr(0, loadingEnd));
}

} // namespace
