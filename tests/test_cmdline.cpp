// The command line, the resolution rules, the machine check and the development print.
#include "vlm.h"
#include "live.h"
#include "system.h"
#include "video.h"
#include <gtest/gtest.h>
#include <unistd.h>
#include <string>
#include <vector>

static void resetModes()
{
    SOUND_ON = 1;
    CAPTURE = 0;
    CAPTURE_CLEVEL = 0;
    S_SCENE = 0;
    VLM_EDIT_MODE = 0;
    VLM_LIVE = 0;
    free(VLM_EDIT_TRACK_FILENAME);
    VLM_EDIT_TRACK_FILENAME = nullptr;
    free(VLM_VIDEO_PATH);
    VLM_VIDEO_PATH = nullptr;
}

// Runs the scan and the resolution on "demo" + args; returns what was printed.
static std::string startWith(std::vector<std::string> args, vlm_startOptions *opts)
{
    args.insert(args.begin(), "demo");
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    resetModes();
    testing::internal::CaptureStdout();
    vlm_scanOptions((int)args.size(), argv.data(), opts);
    vlm_resolveResolution(opts);
    return testing::internal::GetCapturedStdout();
}

static const char *kDefaultMessage = "[*] Resolution set to default becouse nothing else was given\n";

TEST(CommandLine, OptionsAndResolutionFollowTheScanningRules)
{
    struct Row {
        std::vector<std::string> args;
        int width, height, fullscreen;
        const char *gameMode;
        bool defaulted;
        int soundOn, capture, level, edit, scene;
        const char *editFile;  // null: none
    };
    const Row rows[] = {
        {{}, 640, 480, 1, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
        {{"-nf"}, 640, 480, 0, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
        {{"-w", "1024", "-h", "768"}, 1024, 768, 1, "1024x768:32@75", false, 1, 0, 0, 0, 0, nullptr},
        // A lone width is discarded.
        {{"-w", "1024"}, 640, 480, 1, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
        {{"-h", "768", "-nf"}, 640, 480, 0, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
        // The first non-zero width wins; 0 counts as not given.
        {{"-w", "0", "-w", "800", "-h", "600"}, 800, 600, 1, "800x600:32@75", false, 1, 0, 0, 0, 0, nullptr},
        {{"-w", "800", "-w", "1024", "-h", "600", "-h", "300"}, 800, 600, 1, "800x600:32@75", false, 1, 0, 0, 0, 0, nullptr},
        // Text reads as 0; a negative size is not a size.
        {{"-w", "wide", "-h", "600"}, 640, 480, 1, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
        {{"-w", "-5", "-w", "320", "-h", "180"}, 320, 180, 1, "320x180:32@75", false, 1, 0, 0, 0, 0, nullptr},
        // An option whose value is missing is ignored.
        {{"-w"}, 640, 480, 1, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
        {{"-e"}, 640, 480, 1, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
        {{"-m", "-c"}, 640, 480, 1, "1280x800:32@75", true, 0, 0, 0, 0, 0, nullptr},
        {{"-s"}, 640, 480, 1, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
        {{"-c", "3", "-m"}, 640, 480, 1, "1280x800:32@75", true, 0, 1, 3, 0, 0, nullptr},
        {{"-s", "4", "-nf", "-w", "320", "-h", "180"}, 320, 180, 0, "320x180:32@75", false, 1, 0, 0, 0, 4, nullptr},
        {{"-e", "cam.vtrack"}, 640, 480, 1, "1280x800:32@75", true, 1, 0, 0, 1, 0, "cam.vtrack"},
        // A value that spells an option acts as that option too.
        {{"-e", "-m"}, 640, 480, 1, "1280x800:32@75", true, 0, 0, 0, 1, 0, "-m"},
        {{"-e", "-nf"}, 640, 480, 0, "1280x800:32@75", true, 1, 0, 0, 1, 0, "-nf"},
        {{"-c", "-s", "2"}, 640, 480, 1, "1280x800:32@75", true, 1, 1, 0, 0, 2, nullptr},
        {{"-w", "-h", "300"}, 640, 480, 1, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
        // Unknown arguments are passed over.
        {{"--version", "x", "-W", "100", "-LIVE", "-help"}, 640, 480, 1, "1280x800:32@75", true, 1, 0, 0, 0, 0, nullptr},
    };
    for (const Row &row : rows) {
        std::string label;
        for (const std::string &a : row.args) label += a + " ";
        vlm_startOptions opts;
        std::string out = startWith(row.args, &opts);
        EXPECT_EQ(opts.width, row.width) << label;
        EXPECT_EQ(opts.height, row.height) << label;
        EXPECT_EQ(opts.fullscreen, row.fullscreen) << label;
        EXPECT_STREQ(opts.gameMode, row.gameMode) << label;
        EXPECT_EQ(opts.defaulted, row.defaulted ? 1 : 0) << label;
        EXPECT_EQ(out, row.defaulted ? kDefaultMessage : "") << label;
        EXPECT_EQ(SOUND_ON, row.soundOn) << label;
        EXPECT_EQ(CAPTURE, row.capture) << label;
        EXPECT_EQ(CAPTURE_CLEVEL, row.level) << label;
        EXPECT_EQ(VLM_EDIT_MODE, row.edit) << label;
        EXPECT_EQ(S_SCENE, row.scene) << label;
        if (row.editFile) {
            ASSERT_NE(VLM_EDIT_TRACK_FILENAME, nullptr) << label;
            EXPECT_STREQ(VLM_EDIT_TRACK_FILENAME, row.editFile) << label;
        } else {
            EXPECT_EQ(VLM_EDIT_TRACK_FILENAME, nullptr) << label;
        }
    }
}

TEST(CommandLine, LiveAndHelpAreScannedLikeEveryOtherOption)
{
    vlm_startOptions opts;
    startWith({"-nf", "-m"}, &opts);
    EXPECT_EQ(VLM_LIVE, 0);
    EXPECT_EQ(opts.help, 0);
    startWith({"-e", "-live", "--help"}, &opts); // a value is scanned again, as for -m
    EXPECT_EQ(VLM_LIVE, 1);
    EXPECT_EQ(opts.help, 1);
    EXPECT_STREQ(VLM_EDIT_TRACK_FILENAME, "-live");
    resetModes();
}

TEST(CommandLine, EditFileNameIsTheFrameworksOwnCopy)
{
    char name[] = "track.vtrack", video[] = "frames.rgb";
    char prog[] = "demo", opt[] = "-e", videoOpt[] = "-v";
    char *argv[] = {prog, opt, name, videoOpt, video, nullptr};
    resetModes();
    vlm_startOptions opts;
    vlm_scanOptions(5, argv, &opts);
    name[0] = 'X';
    video[0] = 'X';
    EXPECT_STREQ(VLM_EDIT_TRACK_FILENAME, "track.vtrack");
    // The video road is the renderer's, asked for through the environment: "-v" is no option.
    EXPECT_EQ(VLM_VIDEO_PATH, nullptr);
    EXPECT_EQ(CAPTURE, 0);
    resetModes();
}

TEST(CommandLineDeathTest, EmptyEditFileNameIsFatal)
{
    char prog[] = "demo", opt[] = "-e", empty[] = "";
    char *argv[] = {prog, opt, empty, nullptr};
    vlm_startOptions opts;
    EXPECT_EXIT({ dup2(2, 1); vlm_scanOptions(3, argv, &opts); }, testing::ExitedWithCode(255),
                "^\\[!\\] You fecking fail, supply a feckin normal fecking feck filename\\.\n$");
}

TEST(SystemCheck, LittleEndianMachinePassesSilently)
{
    testing::internal::CaptureStdout();
    vlm_systemCheck(nullptr);
    int quiet = 1;
    vlm_systemCheck(&quiet);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(SystemCheck, DevPrintOnlyWhenEnabled)
{
    testing::internal::CaptureStdout();
    dprint("hello", 1);
    dprint("hidden", 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[DEV] hello\n");
}
