// Inputs from outside at their limits, end to end on the staged demo: start scenes outside
// 0..6, windows of 1x1 and 4000x4000 pixels, a screenshot that cannot be written, and a
// damaged data.vfile (truncated, a record's size changed, a name's byte flipped, replaced by
// a texture: the reader's message and status 0, or play on with loose files). Each
// run loads, plays on (a start scene outside the table shows no scene and never ends by
// itself), answers the screenshot key, and ends with status 0 on Escape; nothing crashes
// and no sanitizer speaks. (The table limits, a 129th OBJ model, a 65th particle system, a
// 64th shader and a 65th render target, are death tests of their own modules.) Like every
// test_e2e_ suite it runs on an X server of its own, one suite at a time.
#include <gd.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Width and height from a PNG file's header; 0 x 0 when it is not a PNG.
void pngSize(const std::string &path, unsigned *width, unsigned *height)
{
    std::string bytes = readAll(path);
    *width = *height = 0;
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return;
    auto be32 = [&](size_t at) {
        return (unsigned)(unsigned char)bytes[at] << 24 | (unsigned)(unsigned char)bytes[at + 1] << 16 |
               (unsigned)(unsigned char)bytes[at + 2] << 8 | (unsigned)(unsigned char)bytes[at + 3];
    };
    *width = be32(16);
    *height = be32(20);
}

// The staged demo in a working directory of its own (links to the stage's data), with its
// standard output and error in out.txt.
class DemoRun {
public:
    // `vfile`: the bytes to play with as data.vfile instead of the stage's.
    explicit DemoRun(const std::vector<std::string> &args, const std::string *vfile = nullptr)
    {
        std::string tmpl = std::string(VLM_BINARY_DIR) + "/limits-XXXXXX";
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back(0);
        dir = mkdtemp(name.data());
        std::string stage = VLM_STAGE_DIR;
        for (const char *entry : {"data", "tools", "data.vfile", "demo"}) {
            if (vfile && std::string(entry) == "data.vfile") continue;
            EXPECT_EQ(symlink((stage + "/" + entry).c_str(), (dir + "/" + entry).c_str()), 0);
        }
        if (vfile) std::ofstream(dir + "/data.vfile", std::ios::binary) << *vfile;
        pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(127);
            int fd = open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            std::vector<std::string> all = {"./demo", "-nf", "-m"};
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char *> argv;
            for (std::string &a : all) argv.push_back(&a[0]);
            argv.push_back(nullptr);
            execv("./demo", argv.data());
            _exit(127);
        }
    }
    ~DemoRun()
    {
        if (running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        std::string command = "rm -rf '" + dir + "'";
        if (system(command.c_str()) != 0) ADD_FAILURE() << command;
    }
    std::string path(const std::string &name) const { return dir + "/" + name; }
    std::string output() const { return readAll(path("out.txt")); }
    // Waits for the demo to end by itself; its status, or -1 when it did not end.
    int exitStatus(int seconds)
    {
        for (int i = 0; i < seconds * 10 && running(); i++) usleep(100000);
        if (running()) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // Waits until playback has begun (the director prints its scene table at hand-over).
    bool waitForPlayback(int seconds)
    {
        for (int i = 0; i < seconds * 10; i++) {
            if (output().find("sceneTime[6]") != std::string::npos) return true;
            if (!running()) return false;
            usleep(100000);
        }
        return false;
    }
    // Sends a key press to the demo's window; false when xdotool could not.
    bool key(const std::string &name)
    {
        std::string command =
            "xdotool search --sync --name vlm-framework windowfocus --sync key " + name +
            " >/dev/null 2>&1";
        return system(command.c_str()) == 0;
    }
    // Presses Escape and returns the exit status, or -1 when the demo did not end. (xdotool
    // may report the window gone while it finishes the key: the demo has already quit.)
    int quit(int seconds)
    {
        key("Escape");
        for (int i = 0; i < seconds * 10 && running(); i++) usleep(100000);
        if (running()) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    bool running()
    {
        if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) pid = -1;
        return pid > 0;
    }

private:
    std::string dir;
    pid_t pid = -1;
    int status = 0;
};

// Presses the screenshot key and waits for screenshot.png to hold a whole PNG.
void takeScreenshot(DemoRun &demo, unsigned *width, unsigned *height)
{
    EXPECT_TRUE(demo.key("0"));
    for (int i = 0; i < 600; i++) {
        pngSize(demo.path("screenshot.png"), width, height);
        std::string bytes = readAll(demo.path("screenshot.png"));
        if (bytes.size() > 12 && bytes.compare(bytes.size() - 8, 4, "IEND") == 0) return;
        usleep(100000);
    }
}

void expectNoSanitizerReport(const std::string &output)
{
    EXPECT_EQ(output.find("runtime error"), std::string::npos) << output;
    EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << output;
}

class StartSceneOutsideTheTable : public ::testing::TestWithParam<const char *> {};

TEST_P(StartSceneOutsideTheTable, ShowsNoSceneKeepsPlayingAndQuitsOnEscape)
{
    DemoRun demo({"-w", "320", "-h", "180", "-s", GetParam()});
    ASSERT_TRUE(demo.waitForPlayback(180)) << demo.output();
    sleep(3);
    EXPECT_TRUE(demo.running()) << "a start scene outside 0..6 must not end the demo";
    unsigned width, height;
    takeScreenshot(demo, &width, &height);
    EXPECT_EQ(width, 320u);
    EXPECT_EQ(height, 180u);
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
    DemoRun demo({"-w", "1", "-h", "1", "-s", "2"});
    ASSERT_TRUE(demo.waitForPlayback(180)) << demo.output();
    sleep(2);
    unsigned width, height;
    takeScreenshot(demo, &width, &height);
    EXPECT_EQ(width, 2u);
    EXPECT_EQ(height, 2u);
    EXPECT_EQ(demo.quit(60), 0) << demo.output();
    EXPECT_NE(demo.output().find("[/] A 1x1 window is never drawn: opening 2x2 instead."),
              std::string::npos) << demo.output();
    expectNoSanitizerReport(demo.output());
}

// Larger than the 1280x800 screen: the window, every render target and every full-screen
// pass are 4000x4000, slow on a software renderer, so no screenshot here.
TEST(WindowLimits, FourThousandSquareWindowLoadsPlaysAndQuits)
{
    DemoRun demo({"-w", "4000", "-h", "4000", "-s", "0"});
    ASSERT_TRUE(demo.waitForPlayback(240)) << demo.output();
    sleep(2);
    EXPECT_TRUE(demo.running());
    EXPECT_EQ(demo.quit(120), 0) << demo.output();
    expectNoSanitizerReport(demo.output());
}

TEST(ScreenshotLimits, AnUnwritableScreenshotIsReportedAndTheDemoGoesOn)
{
    DemoRun demo({"-w", "320", "-h", "180", "-s", "1"});
    // A directory where the file should go: even root cannot open it for writing.
    ASSERT_EQ(mkdir(demo.path("screenshot.png").c_str(), 0755), 0);
    ASSERT_TRUE(demo.waitForPlayback(180)) << demo.output();
    EXPECT_TRUE(demo.key("0"));
    sleep(2);
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
std::string stagedVfile() { return readAll(std::string(VLM_STAGE_DIR) + "/data.vfile"); }

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

// Pixels of the middle row of a PNG file that are not black; -1 when it is not a PNG.
int litPixelsInMiddleRow(const std::string &path)
{
    std::string bytes = readAll(path);
    gdImagePtr image = gdImageCreateFromPngPtr((int)bytes.size(), (void *)bytes.data());
    if (!image) return -1;
    int lit = 0, y = gdImageSY(image) / 2;
    for (int x = 0; x < gdImageSX(image); x++) {
        int c = gdImageGetTrueColorPixel(image, x, y);
        lit += gdTrueColorGetRed(c) + gdTrueColorGetGreen(c) + gdTrueColorGetBlue(c) > 30;
    }
    gdImageDestroy(image);
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
     [](std::string) { return readAll(std::string(VLM_STAGE_DIR) + "/data/textures/wall.png"); },
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
    DemoRun demo({"-w", "320", "-h", "180", "-s", "6"}, &vfile);
    bool played = demo.waitForPlayback(180);
    if (played) {
        sleep(2);
        unsigned width, height;
        takeScreenshot(demo, &width, &height);
        EXPECT_EQ(width, 320u);
        EXPECT_GT(litPixelsInMiddleRow(demo.path("screenshot.png")), 32) << "scene 6's picture";
        EXPECT_EQ(demo.quit(60), damage.status) << demo.output();
    } else {
        EXPECT_EQ(demo.exitStatus(60), damage.status) << demo.output();
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
