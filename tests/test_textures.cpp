// Textures, screenshots and frame capture on a real GL context; PNGs made with libgd here.
#include "full_disk.h"
#include "gl_context.h"
#include "io.h"
#include "resource_files.h"
#include "textures.h"
#include "vlm.h"
#include <gd.h>
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <string>
#include <vector>

static const int W = 320, H = 180;

static std::string pngBytes(gdImagePtr image)
{
    int size = 0;
    void *data = gdImagePngPtr(image, &size);
    std::string bytes((const char *)data, size);
    gdFree(data);
    gdImageDestroy(image);
    return bytes;
}

// 4 x 2 true-colour image: top row red, green, blue, half-transparent white; bottom row black.
static std::string trueColourPng(bool withAlpha)
{
    gdImagePtr image = gdImageCreateTrueColor(4, 2);
    gdImageSaveAlpha(image, withAlpha);
    gdImageAlphaBlending(image, 0);
    gdImageSetPixel(image, 0, 0, gdTrueColorAlpha(255, 0, 0, 0));
    gdImageSetPixel(image, 1, 0, gdTrueColorAlpha(0, 255, 0, 0));
    gdImageSetPixel(image, 2, 0, gdTrueColorAlpha(0, 0, 255, 0));
    gdImageSetPixel(image, 3, 0, gdTrueColorAlpha(255, 255, 255, withAlpha ? 64 : 0));
    for (int x = 0; x < 4; x++) gdImageSetPixel(image, x, 1, gdTrueColorAlpha(0, 0, 0, 0));
    return pngBytes(image);
}

// 2 x 2 palette image: entry 0 yellow, entry 1 transparent; top row 0 1, bottom row 1 0.
static std::string palettePng()
{
    gdImagePtr image = gdImageCreate(2, 2);
    int yellow = gdImageColorAllocate(image, 255, 255, 0);
    int clear = gdImageColorAllocate(image, 10, 20, 30);
    gdImageColorTransparent(image, clear);
    gdImageSetPixel(image, 0, 0, yellow);
    gdImageSetPixel(image, 1, 0, clear);
    gdImageSetPixel(image, 0, 1, clear);
    gdImageSetPixel(image, 1, 1, yellow);
    return pngBytes(image);
}

static std::string solidPng(int r, int g, int b)
{
    gdImagePtr image = gdImageCreateTrueColor(2, 2);
    gdImageFilledRectangle(image, 0, 0, 1, 1, gdTrueColorAlpha(r, g, b, 0));
    return pngBytes(image);
}

// The texture's level 0 as RGBA bytes, row 0 first.
static std::vector<unsigned char> textureBytes(unsigned texture, int *width, int *height)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
    std::vector<unsigned char> bytes((size_t)*width * *height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

static std::string rgba(const std::vector<unsigned char> &b, size_t pixel)
{
    char text[32];
    snprintf(text, sizeof text, "%d,%d,%d,%d", b[4 * pixel], b[4 * pixel + 1], b[4 * pixel + 2],
             b[4 * pixel + 3]);
    return text;
}

class Textures : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        enterTempDir();
        writeFile("alpha.png", trueColourPng(true));
        writeFile("opaque.png", trueColourPng(false));
        writeFile("palette.png", palettePng());
        writeFile("tex.png", solidPng(255, 0, 0));
        writeFile("tex.png.blue", solidPng(0, 0, 255));
        writeFile("data.vfile", packedRecord("packed/green.png", solidPng(0, 255, 0)));
        vlmTestGLContext(W, H);
        vlm_handleResize(W, H);
    }
};

TEST_F(Textures, TrueColourRowsAndAlphaAreConverted)
{
    testing::internal::CaptureStdout();
    int w, h;
    std::vector<unsigned char> b = textureBytes(vlm_loadPNG("alpha.png"), &w, &h);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(w, 4);
    ASSERT_EQ(h, 2);
    EXPECT_EQ(rgba(b, 0), "255,0,0,255");  // texture row 0 is the image's top row
    EXPECT_EQ(rgba(b, 1), "0,255,0,255");
    EXPECT_EQ(rgba(b, 2), "0,0,255,255");
    EXPECT_EQ(rgba(b, 3), "255,255,255,126");  // libgd alpha 64 -> (127 - 64) * 255 / 127
    EXPECT_EQ(rgba(b, 4), "0,0,0,255");
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
}

TEST_F(Textures, OpaqueTrueColourGivesAlpha255Everywhere)
{
    testing::internal::CaptureStdout();
    int w, h;
    std::vector<unsigned char> b = textureBytes(vlm_loadPNG("opaque.png"), &w, &h);
    testing::internal::GetCapturedStdout();
    for (int i = 0; i < w * h; i++) EXPECT_EQ(b[4 * i + 3], 255) << "pixel " << i;
}

TEST_F(Textures, TransparentPaletteEntryGivesAlphaZero)
{
    testing::internal::CaptureStdout();
    int w, h;
    std::vector<unsigned char> b = textureBytes(vlm_loadPNG("palette.png"), &w, &h);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(rgba(b, 0), "255,255,0,255");
    EXPECT_EQ(b[4 * 1 + 3], 0);
    EXPECT_EQ(b[4 * 2 + 3], 0);
    EXPECT_EQ(rgba(b, 3), "255,255,0,255");
}

TEST_F(Textures, SamePathGivesTheSameTextureWithoutTouchingTheDisk)
{
    writeFile("once.png", solidPng(1, 2, 3));
    testing::internal::CaptureStdout();
    unsigned first = vlm_loadPNG("once.png");
    testing::internal::GetCapturedStdout();
    unlink("once.png");
    testing::internal::CaptureStdout();
    EXPECT_EQ(vlm_loadPNG("once.png"), first);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(Textures, CacheAnswersOnlyTheExactPath)
{
    testing::internal::CaptureStdout();
    unsigned blue = vlm_loadPNG("tex.png.blue");
    unsigned red = vlm_loadPNG("tex.png");  // a prefix of the path loaded before
    testing::internal::GetCapturedStdout();
    EXPECT_NE(blue, red);
    int w, h;
    EXPECT_EQ(rgba(textureBytes(red, &w, &h), 0), "255,0,0,255");
    EXPECT_EQ(rgba(textureBytes(blue, &w, &h), 0), "0,0,255,255");
}

TEST_F(Textures, PackedPngIsTakenFromThePackedFile)
{
    testing::internal::CaptureStdout();
    unsigned texture = vlm_loadPNG("packed/green.png");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "File packed/green.png found in data.vfile\n");
    int w, h;
    EXPECT_EQ(rgba(textureBytes(texture, &w, &h), 3), "0,255,0,255");
}

TEST_F(Textures, BlackTextureIs512Square)
{
    int w, h;
    std::vector<unsigned char> b = textureBytes(vlm_loadBlack(), &w, &h);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 512);
    for (size_t i : {(size_t)0, (size_t)1000, (size_t)512 * 512 - 1}) EXPECT_EQ(rgba(b, i), "0,0,0,255");
}

// ------------------------------------------------------------------ TGA

static std::string tga(int width, int height, int bits, const std::string &pixels)
{
    std::string bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    bytes += (char)(width & 255);
    bytes += (char)(width >> 8);
    bytes += (char)(height & 255);
    bytes += (char)(height >> 8);
    bytes += (char)bits;
    bytes += (char)0;
    return bytes + pixels;
}

TEST_F(Textures, TgaPixelsAreSwappedToRgbAndKeepTheirRowOrder)
{
    // 2 x 2, 24 bits, stored BGR: bottom row blue, green; top row red, white.
    std::string pixels = std::string("\xff\x00\x00\x00\xff\x00\x00\x00\xff\xff\xff\xff", 12);
    writeFile("pic.tga", tga(2, 2, 24, pixels));
    int w, h;
    std::vector<unsigned char> b = textureBytes(vlm_loadTGA("pic.tga"), &w, &h);
    EXPECT_EQ(rgba(b, 0), "0,0,255,255");
    EXPECT_EQ(rgba(b, 1), "0,255,0,255");
    EXPECT_EQ(rgba(b, 2), "255,0,0,255");
    // 32 bits keep their alpha.
    writeFile("alpha.tga", tga(1, 1, 32, std::string("\x10\x20\x30\x40", 4)));
    b = textureBytes(vlm_loadTGA("alpha.tga"), &w, &h);
    EXPECT_EQ(rgba(b, 0), "48,32,16,64");
}

TEST(TgaDecoding, BadFilesGiveTheirMessages)
{
    std::string three(12, '\x7f');
    struct Case {
        const char *what;
        std::string bytes, error;
    } cases[] = {
        {"too short for a header", std::string(10, '\0'), "[!] Unable to load f.tga\n"},
        {"compressed type", std::string("\0\0\x0a", 3) + std::string(15, '\0'), "[!] Unable to load f.tga\n"},
        {"zero width", tga(0, 2, 24, three), "[!] f.tga was a corrupt image =/\n"},
        {"zero height", tga(2, 0, 24, three), "[!] f.tga was a corrupt image =/\n"},
        {"16 bits", tga(2, 2, 16, three), "[!] f.tga was a corrupt image =/\n"},
        {"short pixel data", tga(2, 2, 24, three.substr(0, 11)), "[!] Unable to allocate memory for tga f.tga...\n"},
        {"large size, no data", tga(65535, 65535, 32, ""), "[!] Unable to allocate memory for tga f.tga...\n"},
    };
    for (const Case &c : cases) {
        std::vector<unsigned char> exact(c.bytes.begin(), c.bytes.end());
        VlmImage image = vlm_decodeTGA(exact.data(), exact.size(), "f.tga");
        EXPECT_FALSE(image.ok) << c.what;
        EXPECT_EQ(image.messages, c.error) << c.what;
    }
}

TEST(TexturesDeathTest, MissingUndecodableAndBadTgaFilesAreFatal)
{
    char pattern[] = "/tmp/vlm-tex-XXXXXX";
    std::string dir = mkdtemp(pattern);
    writeFile(dir + "/junk.png", "this is not a png at all");
    writeFile(dir + "/bad.tga", tga(0, 0, 24, ""));
    std::string junk = dir + "/junk.png", bad = dir + "/bad.tga";
    EXPECT_EXIT({ dup2(2, 1); vlmTestGLContext(W, H); vlm_loadPNG("/nonexistent/a.png"); },
                testing::ExitedWithCode(255), "\\[! /nonexistent/a.png\\] file not found.\n");
    EXPECT_EXIT({ dup2(2, 1); vlmTestGLContext(W, H); vlm_loadPNG(junk.c_str()); },
                testing::ExitedWithCode(255), "\\[!\\] .*junk.png is not a readable PNG image");
    EXPECT_EXIT({ dup2(2, 1); vlmTestGLContext(W, H); vlm_loadTGA("/nonexistent/a.tga"); },
                testing::ExitedWithCode(255), "\\[! /nonexistent/a.tga\\] file not found \n");
    EXPECT_EXIT({ dup2(2, 1); vlmTestGLContext(W, H); vlm_loadTGA(bad.c_str()); },
                testing::ExitedWithCode(255), "bad.tga was a corrupt image =/");
}

// ------------------------------------------------------------------ screenshots and capture

// Shows a frame whose top half is red and bottom half blue.
static void showRedOverBlue()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, W, H);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, H / 2, W, H - H / 2);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, W, H / 2);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glutSwapBuffers();
    glFinish();
    glReadBuffer(GL_BACK);
}

static gdImagePtr loadPngFile(const std::string &path)
{
    std::string bytes = readFile(path);
    return gdImageCreateFromPngPtr((int)bytes.size(), (void *)bytes.data());
}

TEST_F(Textures, ScreenshotIsWrittenTopRowFirst)
{
    showRedOverBlue();
    vlm_screenshot(W, H, "shot.png", 6);
    gdImagePtr image = loadPngFile("shot.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(gdImageSX(image), W);
    EXPECT_EQ(gdImageSY(image), H);
    EXPECT_EQ(gdImageGetPixel(image, 5, 0), 0xff0000) << "first row red";
    EXPECT_EQ(gdImageGetPixel(image, W - 1, H / 2 - 1), 0xff0000);
    EXPECT_EQ(gdImageGetPixel(image, 5, H - 1), 0x0000ff) << "last row blue";
    gdImageDestroy(image);
}

TEST_F(Textures, ScreenshotLevelsZeroAndNineAndBadLevels)
{
    showRedOverBlue();
    vlm_screenshot(W, H, "level0.png", 0);
    vlm_screenshot(W, H, "level9.png", 9);
    EXPECT_GT(readFile("level0.png").size(), (size_t)W * H * 3) << "level 0 stores the pixels";
    EXPECT_LT(readFile("level9.png").size(), (size_t)W * H / 10);
    for (int level : {10, -1}) {
        writeFile("keep.png", "previous contents");
        testing::internal::CaptureStdout();
        vlm_screenshot(W, H, "keep.png", level);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "[!] Major fuckup detected in vlm_screenshot, given compressionlevel was faily. redo\n");
        EXPECT_EQ(readFile("keep.png"), "previous contents") << "level " << level;
        vlm_screenshot(W, H, "fresh.png", level);
        EXPECT_EQ(access("fresh.png", F_OK), -1);
    }
}

TEST_F(Textures, UnwritableScreenshotIsReportedAndSkipped)
{
    testing::internal::CaptureStdout();
    vlm_screenshot(W, H, "/nonexistent/dir/shot.png", 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "couldn't open /nonexistent/dir/shot.png for writing. screenshot not performed\n"
              "[!] Could not save /nonexistent/dir/shot.png: No such file or directory. The file "
              "on disk is as it was.\n");
}

// On a full disk a screenshot replaces nothing and leaves nothing half-written: the old
// file keeps its bytes, a new name gets no file; with room again the picture is written.
TEST_F(Textures, ScreenshotOnAFullDiskLeavesTheOldFileOrNone)
{
    FullDisk disk(64);
    // The machine's doing, not the code's: without the right to mount there is no full disk.
    if (disk.unprivileged()) GTEST_SKIP() << "mounting a tmpfs needs root";
    ASSERT_TRUE(disk.mounted()) << disk.failure();
    std::string old = disk.path("screenshot.png"), fresh = disk.path("fresh.png");
    writeFile(old, "the picture taken before");
    ASSERT_TRUE(disk.fill());
    showRedOverBlue();
    testing::internal::CaptureStdout();
    vlm_screenshot(W, H, old.c_str(), 0);   // level 0: 170 KB that cannot fit
    vlm_screenshot(W, H, fresh.c_str(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[!] Could not save " + old + ": No space left on device. The file on disk is as it was.\n"
              "[!] Could not save " + fresh + ": No space left on device. The file on disk is as it was.\n");
    EXPECT_EQ(readFile(old), "the picture taken before");
    EXPECT_EQ(disk.files(), std::vector<std::string>{"screenshot.png"});

    disk.makeRoom();
    vlm_screenshot(W, H, old.c_str(), 9);
    gdImagePtr image = loadPngFile(old);
    ASSERT_TRUE(image);
    EXPECT_EQ(gdImageGetPixel(image, 5, 0), 0xff0000);
    EXPECT_EQ(gdImageGetPixel(image, 5, H - 1), 0x0000ff);
    gdImageDestroy(image);
}

TEST_F(Textures, CaptureWritesNumberedFramesIntoACreatedFolder)
{
    ASSERT_FALSE(std::isnan(vlm_Get(VLM_GET_WIDTH))) << "vlm_Get reports the window width";
    char pattern[] = "/tmp/vlm-capture-XXXXXX";
    char *dir = mkdtemp(pattern);
    char previous[4096];
    ASSERT_TRUE(getcwd(previous, sizeof previous));
    ASSERT_EQ(chdir(dir), 0);
    CAPTURE_CLEVEL = 1;
    showRedOverBlue();
    testing::internal::CaptureStdout();
    vlm_captureStep();
    vlm_captureStep();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[CAPTURE] frame 1\n[CAPTURE] frame 2\n");
    gdImagePtr image = loadPngFile("capture/2.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(gdImageSX(image), W);
    EXPECT_EQ(gdImageGetPixel(image, 0, 0), 0xff0000);
    gdImageDestroy(image);
    EXPECT_FALSE(readFile("capture/1.png").empty());
    ASSERT_EQ(chdir(previous), 0);
}
