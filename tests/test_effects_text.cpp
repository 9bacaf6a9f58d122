// Text effects on a real GL context: cube text, circles and the gyro loader, the typewriter,
// and the texture strip font; pictures read back, vertices counted from GL's feedback.
#include "gl_context.h"
#include "effects_cubetext.h"
#include "effects_gyro.h"
#include "fonts.h"
#include "resource_files.h"
#include "textures.h"
#include "vlm.h"
#include <gtest/gtest.h>
#include <math.h>
#include <unistd.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const int kWidth = 320, kHeight = 180;

// An orthographic view of [left, right] x [bottom, top], lighting off, cleared to `clear`.
void orthoView(float left, float right, float bottom, float top, float clearRed = 0)
{
    vlmTestGLContext(kWidth, kHeight);
    glViewport(0, 0, kWidth, kHeight);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(clearRed, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
}

// The view the cube text tests use: x -5..45, y -20..5 (a letter spans y -15..0).
void textView() { orthoView(-5, 45, -20, 5); }

// Pixel of world point (x, y) in textView.
std::vector<int> textPixel(float x, float y)
{
    unsigned char p[4];
    vlmTestReadPixel((int)((x + 5) / 50 * kWidth), (int)((y + 20) / 25 * kHeight), p);
    return {p[0], p[1], p[2]};
}

bool lit(const std::vector<int> &p) { return p[0] > 128 || p[1] > 128 || p[2] > 128; }

std::vector<unsigned char> frame()
{
    std::vector<unsigned char> pixels((size_t)kWidth * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// GL's feedback of draw(): the values after each token, grouped per primitive.
struct Primitive {
    GLint token;
    std::vector<float> values;
};
std::vector<Primitive> feedback(GLenum type, int perVertex, const std::function<void()> &draw)
{
    std::vector<GLfloat> buffer = vlmTestFeedback(type, 1 << 20, draw);
    GLint n = (GLint)buffer.size();
    std::vector<Primitive> out;
    for (GLint i = 0; i < n;) {
        GLint token = (GLint)buffer[i++];
        int vertices = token == GL_POLYGON_TOKEN ? (int)buffer[i++]
                       : token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN ? 2
                       : token == GL_POINT_TOKEN ? 1 : -1;
        if (vertices < 0) {
            ADD_FAILURE() << "unexpected token " << token;
            break;
        }
        out.push_back({token, std::vector<float>(buffer.begin() + i,
                                                 buffer.begin() + i + vertices * perVertex)});
        i += vertices * perVertex;
    }
    return out;
}

size_t polygonsOf(const std::function<void()> &draw)
{
    return feedback(GL_3D, 3, draw).size();
}

}  // namespace

// ---------------------------------------------------------------- cube text

TEST(CubeText, WholeLettersAreTypedAndTheNextOneGrows)
{
    textView();
    vlm_drawCubeString("ab", 1.5f);
    // Both letters start with a stroke from (0, 15) up to (0, 0): a at x = 0 reaches 99 %,
    // b at x = 18 only half way (font y points down the screen).
    EXPECT_TRUE(lit(textPixel(0, -12)));
    EXPECT_TRUE(lit(textPixel(0, -3)));
    EXPECT_TRUE(lit(textPixel(18, -12)));
    EXPECT_FALSE(lit(textPixel(18, -3)));
    EXPECT_FALSE(lit(textPixel(15, -8)));  // between the letters
}

TEST(CubeText, TypedLettersAreWhiteAndTheGrowingOneKeepsTheColourItFinds)
{
    textView();
    glColor4f(1, 0, 0, 1);
    vlm_drawCubeString("ab", 0.5f);  // nothing typed yet: the caller's colour
    EXPECT_EQ(textPixel(0, -12), (std::vector<int>{255, 0, 0}));
    textView();
    glColor4f(1, 0, 0, 1);
    vlm_drawCubeString("ab", 1.5f);  // the colour the typed "a" left
    EXPECT_EQ(textPixel(0, -12), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(textPixel(18, -12), (std::vector<int>{255, 255, 255}));
}

TEST(CubeText, ProgressZeroDrawsNothingAndProgressPastTheEndDrawsTheWholeString)
{
    textView();
    EXPECT_EQ(polygonsOf([] { vlm_drawCubeString("ab", 0); }), 0u);
    EXPECT_EQ(polygonsOf([] { vlm_drawCubeString("ab", -3); }), 0u);

    vlm_drawCubeString("ab", 2);
    std::vector<unsigned char> whole = frame();
    EXPECT_TRUE(lit(textPixel(18, -3)));
    textView();
    vlm_drawCubeString("ab", 7.25f);
    EXPECT_TRUE(frame() == whole);
}

TEST(CubeText, SpacesKeepTheirSlotAndDrawNothing)
{
    textView();
    vlm_drawCubeString("a b", 3);
    EXPECT_TRUE(lit(textPixel(0, -12)));
    EXPECT_FALSE(lit(textPixel(18, -12)));
    EXPECT_TRUE(lit(textPixel(36, -12)));
    orthoView(-5, 95, -20, 5);  // nothing clipped: the counts compare whole letters
    EXPECT_EQ(polygonsOf([] { vlm_drawCubeString("a b", 3); }),
              polygonsOf([] { vlm_drawCubeString("ab", 2); }));
    EXPECT_EQ(polygonsOf([] { vlm_drawCubeString(" ", 1); }), 0u);
}

TEST(CubeTextDeathTest, CharactersOutsideTheCharsetEndTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child starts without a GL context
    struct Case {
        const char *string;
        const char *code;
    } cases[] = {{"Ba", "0xffffffe1"}, {"7", "0xffffffd6"}, {"}", "0x1c"}};
    for (const Case &c : cases)
        EXPECT_EXIT((dup2(2, 1), vlm_drawCubeString(c.string, 1)), testing::ExitedWithCode(255),
                    std::string("\\[DEV\\] vlm_drawCubeChar\\(\\) char ") + c.code +
                        " not valid in charset")
            << c.string;
}

TEST(CubeText, TheTwoCodesAfterZBelongToTheFont)
{
    textView();
    EXPECT_GT(polygonsOf([] { vlm_drawCubeString("{|", 2); }), 0u);
}

TEST(CubeLine, AStrokeIsATubeOfItsWidthWithCubesAtItsEnds)
{
    textView();
    vec3 from = {2, -10, 0}, to = {32, -10, 0};
    vlm_drawCubeLine(&from, &to, 0.5f, 2);  // ends at x = 17; tube y -11..-9, cubes 3 wide
    EXPECT_TRUE(lit(textPixel(10, -10)));
    EXPECT_TRUE(lit(textPixel(10, -10.8f)));
    EXPECT_FALSE(lit(textPixel(10, -11.3f)));
    EXPECT_FALSE(lit(textPixel(10, -8.7f)));
    EXPECT_TRUE(lit(textPixel(17, -11.3f)));  // the end cube
    EXPECT_FALSE(lit(textPixel(19, -10)));
}

TEST(CubeLine, ZeroLengthDrawsItsCornerCubesAndNoTubeAndZeroCoordinatesGetNoCube)
{
    textView();
    size_t cube = polygonsOf([] { glutSolidCube(1); });
    vec3 from = {5, -5, 0}, to = {15, -5, 0}, onAxis = {0, -5, 0};
    EXPECT_EQ(polygonsOf([&] { vlm_drawCubeLine(&from, &to, 0, 0.7f); }), 2 * cube);
    size_t tube = polygonsOf([&] { vlm_drawCubeLine(&from, &to, 1, 0.7f); }) - 2 * cube;
    EXPECT_GT(tube, 0u);
    EXPECT_EQ(polygonsOf([&] { vlm_drawCubeLine(&onAxis, &to, 1, 0.7f); }), cube + tube);
    vlm_drawCubeLine(&from, &to, 0, 0.7f);
    EXPECT_TRUE(lit(textPixel(5, -5)));
    EXPECT_FALSE(lit(textPixel(7, -5)));
}

// ---------------------------------------------------------------- circles and the loader

namespace {

// Line segments of draw() as world points, in the view x, y in -20..20.
std::vector<std::vector<float>> segments(const std::function<void()> &draw)
{
    orthoView(-20, 20, -20, 20);
    std::vector<std::vector<float>> out;
    for (const Primitive &p : feedback(GL_2D, 2, draw)) {
        std::vector<float> world;
        for (size_t k = 0; k < p.values.size(); k += 2)
            world.insert(world.end(), {p.values[k] / kWidth * 40 - 20,
                                       p.values[k + 1] / kHeight * 40 - 20});
        out.push_back(world);
    }
    return out;
}

}  // namespace

TEST(Circles, AQuarterLoadingCircleEmitsNinetyVerticesClosedByItsChord)
{
    std::vector<std::vector<float>> lines = segments([] { vlm_drawLoadingCircle(15, 0.25f); });
    ASSERT_EQ(lines.size(), 90u);  // a loop of 90 vertices has 90 segments
    EXPECT_NEAR(lines[0][0], 15, 0.01);
    EXPECT_NEAR(lines[0][1], 0, 0.01);
    for (const std::vector<float> &l : lines) EXPECT_NEAR(hypotf(l[0], l[1]), 15, 0.01);
    // The closing segment runs from 89 degrees straight back to 0 degrees.
    EXPECT_NEAR(lines[89][0], 15 * cosf(89 * 0.017453277f), 0.01);
    EXPECT_NEAR(lines[89][1], 15 * sinf(89 * 0.017453277f), 0.01);
    EXPECT_NEAR(lines[89][2], 15, 0.01);
    EXPECT_NEAR(lines[89][3], 0, 0.01);
}

TEST(Circles, FullCirclesHaveAVertexPerDegreeAndNoArcDrawsNothing)
{
    EXPECT_EQ(segments([] { vlm_drawCircle(10); }).size(), 360u);
    EXPECT_EQ(segments([] { vlm_drawLoadingCircle(10, 1); }).size(), 360u);
    EXPECT_EQ(segments([] { vlm_drawLoadingCircle(10, 0); }).size(), 0u);
    EXPECT_EQ(segments([] { vlm_drawLoadingCircle(10, 0.1f); }).size(), 36u);
    // Fractions past a whole turn draw the circle once.
    EXPECT_EQ(segments([] { vlm_drawLoadingCircle(10, 3); }).size(), 360u);
}

TEST(GyroLoader, YellowRingsAndArcWithTheTextInAGreyThatPulsesWithTime)
{
    ASSERT_EQ(chdir(VLM_STAGE_DIR), 0);  // the polygon font
    struct Case {
        float t;
        int grey;  // ((sin 10t + 1) / 2 + 0.2) x 255
    } cases[] = {{0, 179}, {0.05f, 240}, {0.3f, 197}, {0.5f, 56}};
    for (const Case &c : cases) {
        orthoView(-40, 40, -25, 20);
        glDisable(GL_DEPTH_TEST);
        vlm_drawGyroLoader(1, c.t);
        std::vector<unsigned char> pixels = frame();
        int yellow = 0, brightestText = 0;
        for (int y = 0; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++) {
                const unsigned char *p = &pixels[((size_t)y * kWidth + x) * 4];
                if (p[0] == 255 && p[1] == 255 && p[2] == 0) yellow++;
                // The text lies below y = -16 (world), under the rings' radius 15.
                float worldY = (y + 0.5f) / kHeight * 45 - 25;
                if (worldY < -16 && p[0] == p[1] && p[1] == p[2])
                    brightestText = std::max(brightestText, (int)p[0]);
            }
        EXPECT_GT(yellow, 300) << c.t;
        EXPECT_NEAR(brightestText, c.grey, 1) << c.t;
    }
    glEnable(GL_DEPTH_TEST);
}

// ---------------------------------------------------------------- typewriter

TEST(TypeWriter, ShowsOneCharacterPer100MsAfterTheCallThatStartsIt)
{
    VlmTypeWriter w = {0, 0, "", "", 0, 0};
    struct Step {
        const char *string;
        int nowMs;
        bool drawn;
        const char *shown;
    } steps[] = {
        {"hello", 1000, false, ""},        // starts: draws nothing
        {"hello", 1099, true, ""},         // under 100 ms: nothing typed yet
        {"hello", 1250, true, "he"},       // 250 ms: two characters
        {"HELLO", 1300, true, "hel"},      // same length: the stored copy goes on
        {"hello", 1500, true, "hello"},    // length x 100 ms: the whole string
        {"hello", 90000, true, "hello"},   // and it stays
        {"hello", 900, false, ""},         // the clock jumped back before the start
        {"hi", 2000, false, ""},           // another length restarts
        {"hi", 2100, true, "h"},
    };
    for (const Step &s : steps) {
        bool drawn = vlm_typeWriterStep(&w, s.string, s.nowMs);
        EXPECT_EQ(drawn, s.drawn) << s.string << " at " << s.nowMs;
        if (drawn) {
            EXPECT_EQ(w.print, s.shown) << s.string << " at " << s.nowMs;
        }
    }
}

TEST(TypeWriter, DrawsTheTypedPartAsPolygonTextOnTheDemoClock)
{
    ASSERT_EQ(chdir(VLM_STAGE_DIR), 0);
    CAPTURE = 1;  // the capture clock is the demo clock
    CAPTURE_TIMER = 5000;
    ASSERT_EQ(vlm_getTime(), 5000u) << "the demo clock follows the capture clock";
    auto typed = [](int ms) {
        CAPTURE_TIMER = ms;
        orthoView(-2, 38, -8, 14.5f);
        vlm_typeWriterText("wwwwwwwwww", 0, 0, 0);
        return frame();
    };
    std::vector<unsigned char> started = typed(5000);
    orthoView(-2, 38, -8, 14.5f);
    EXPECT_TRUE(started == frame()) << "the starting call draws nothing";
    // Every character is the same glyph: the lit area grows with the characters shown, and
    // after 10 x 100 ms the whole string shows and stays.
    auto litPixels = [](const std::vector<unsigned char> &f) {
        int n = 0;
        for (size_t i = 0; i < f.size(); i += 4) n += f[i] > 128;
        return n;
    };
    int two = litPixels(typed(5250)), five = litPixels(typed(5500)), all = litPixels(typed(6000));
    EXPECT_GT(two, 0);
    EXPECT_NEAR(five, two * 5 / 2.0, two * 0.1);
    EXPECT_NEAR(all, two * 5, two * 0.2);
    EXPECT_EQ(litPixels(typed(9000)), all);
    CAPTURE = 0;
}

// ---------------------------------------------------------------- texture strip font

namespace {

// A 32-bit TGA of width x 2 texels, bottom row first: texel x has red 4x, green 255 - 4x.
std::string stripTga(int width)
{
    std::string bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, (char)width, 0, 2, 0, 32, 8};
    for (int row = 0; row < 2; row++)
        for (int x = 0; x < width; x++) bytes += {0, (char)(255 - 4 * x), (char)(4 * x), (char)255};
    return bytes;
}

class StripFont : public testing::Test {
protected:
    void SetUp() override
    {
        vlmTestGLContext(kWidth, kHeight);
        dir = enterTempDir();
        writeFile("strips.tga", stripTga(64));
        base = vlm_loadTextureFont("strips.tga", 4);
    }
    std::string dir;
    int base = 0;
};

}  // namespace

TEST_F(StripFont, GlyphCShowsTheThirdQuarterOfTheImage)
{
    EXPECT_EQ(FONTQ, 4);
    EXPECT_EQ(FONTLIST, base);
    orthoView(-1, 1, -1, 1);
    vlm_text("c", 1, 0, 0, 0, 0, 0, 0);
    // The square fills the view: u runs 0.5 .. 0.75 from the left column to the right one.
    unsigned char left[4], middle[4], right[4];
    vlmTestReadPixel(0, kHeight / 2, left);
    vlmTestReadPixel(kWidth / 2, kHeight / 2, middle);
    vlmTestReadPixel(kWidth - 1, kHeight / 2, right);
    EXPECT_EQ(left[0], 4 * 32);
    EXPECT_EQ(middle[0], 4 * 40);
    EXPECT_EQ(right[0], 4 * 47);
    EXPECT_EQ(right[1], 255 - 4 * 47);
    std::vector<Primitive> quads =
        feedback(GL_3D_COLOR_TEXTURE, 11, [] { vlm_text("C", 1, 0, 0, 0, 0, 0, 0); });
    ASSERT_FALSE(quads.empty());
    float lowU = 1, highU = 0;
    for (const Primitive &q : quads)
        for (size_t k = 7; k < q.values.size(); k += 11) {
            lowU = std::min(lowU, q.values[k]);
            highU = std::max(highU, q.values[k]);
        }
    EXPECT_FLOAT_EQ(lowU, 0.5f);
    EXPECT_FLOAT_EQ(highU, 0.75f);
}

TEST_F(StripFont, BlanksKeepTheirSlotAndEachGlyphLiesNearerThanTheLast)
{
    orthoView(-2, 6, -2, 2);
    // Window depth of eye z in this view: (1 - z / 100) / 2.
    std::vector<Primitive> quads =
        feedback(GL_3D, 3, [] { vlm_text("a b", 2, 0, 0, 0, 0, 0, 0); });
    // Glyph squares may come as quads or as triangle pairs: group the vertices by depth.
    std::map<float, std::pair<float, float>> spanAtDepth;  // window depth -> world x range
    for (const Primitive &q : quads)
        for (size_t k = 0; k < q.values.size(); k += 3) {
            float x = q.values[k] / kWidth * 8 - 2;
            auto it = spanAtDepth.emplace(q.values[k + 2], std::make_pair(x, x)).first;
            it->second.first = std::min(it->second.first, x);
            it->second.second = std::max(it->second.second, x);
        }
    ASSERT_EQ(spanAtDepth.size(), 2u);
    // Nearer means a smaller window depth: "b" first in the map.
    auto b = spanAtDepth.begin(), a = std::next(b);
    EXPECT_NEAR(a->first, (1 - 0.01f / 100) / 2, 1e-6);
    EXPECT_NEAR(b->first, (1 - 0.02f / 100) / 2, 1e-6);
    EXPECT_NEAR(a->second.first, -1, 0.01);
    EXPECT_NEAR(a->second.second, 1, 0.01);
    EXPECT_NEAR(b->second.first, 3, 0.01);
    EXPECT_NEAR(b->second.second, 5, 0.01);

    vlm_text("a b", 2, 0, 0, 0, 0, 0, 0);
    auto at = [](float x) {
        unsigned char p[4];
        vlmTestReadPixel((int)((x + 2) / 8 * kWidth), kHeight / 2, p);
        return p[1];  // green falls from 255 along the image
    };
    EXPECT_NEAR(at(0), 255 - 4 * 8, 4);   // "a": the middle of the first quarter, texel 8
    EXPECT_EQ(at(2), 0);                  // the blank
    EXPECT_NEAR(at(4), 255 - 4 * 24, 4);  // "b": texel 24, in the second quarter
}

TEST_F(StripFont, CharactersWithoutAStripDrawNothingNotSomebodyElsesList)
{
    GLuint other = glGenLists(1);  // the list after the font's four
    glNewList(other, GL_COMPILE);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1), glVertex2f(1, -1), glVertex2f(1, 1), glVertex2f(-1, 1);
    glEnd();
    glEndList();
    orthoView(-1, 1, -1, 1);
    vlm_text("e", 1, 0, 0, 0, 0, 0, 0);
    vlm_text("?", 1, 0, 0, 0, 0, 0, 0);
    unsigned char p[4];
    vlmTestReadPixel(kWidth / 2, kHeight / 2, p);
    EXPECT_EQ(p[0] + p[1] + p[2], 0);
}

TEST_F(StripFont, PathsWithBlanksAreWarnedAboutAndOtherFilesGiveUntexturedGlyphs)
{
    writeFile("my font 1.tga", stripTga(8));
    testing::internal::CaptureStdout();
    vlm_loadTextureFont("my font 1.tga", 2);
    std::string warning = "[/] \"my font 1.tga\" contains whitespaces. is bad\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), warning + warning);

    vlm_loadTextureFont("font.png", 3);  // no image is loaded for it
    EXPECT_EQ(FONTQ, 3);
    orthoView(-1, 1, -1, 1);
    vlm_text("b", 1, 0, 0, 0, 0, 0, 0);
    unsigned char p[4];
    vlmTestReadPixel(kWidth / 2, kHeight / 2, p);
    EXPECT_EQ(p[0] + p[1] + p[2], 3 * 255);
}

TEST(StripFontDeathTest, NoCountAndNoFontEndTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT((dup2(2, 1), vlm_loadTextureFont("font.tga", 0)), testing::ExitedWithCode(255),
                "\\[!\\] No fontindex was given \\(argument 2 of function vlm_loadTextureFont\\(\\)");
    EXPECT_EXIT((dup2(2, 1), FONTQ = 0, vlm_text("a", 1, 0, 0, 0, 0, 0, 0)),
                testing::ExitedWithCode(255), "\\[!\\] vlm_text\\(\\) no font loaded.");
}

TEST(StripFontData, TheStagedFontHas26StripsShownWholeByTheTestRoutine)
{
    ASSERT_EQ(chdir(VLM_STAGE_DIR), 0);
    std::string bytes = readFile("data/font.tga");
    VlmImage font = vlm_decodeTGA((const unsigned char *)bytes.data(), bytes.size(), "font.tga");
    ASSERT_TRUE(font.ok);
    ASSERT_EQ(font.width, 26 * 32);
    ASSERT_EQ(font.height, 32);
    for (int strip = 0; strip < 26; strip++) {
        int inked = 0;
        for (int y = 0; y < 32; y++)
            for (int x = strip * 32; x < strip * 32 + 32; x++)
                inked += font.pixels[((size_t)y * font.width + x) * 4 + 3] > 128;
        EXPECT_GT(inked, 20) << (char)('a' + strip);
    }

    orthoView(-1, 11, -1, 11, 0.5f);
    testing::internal::CaptureStdout();
    vlm_testTextureFont();
    std::string printed = testing::internal::GetCapturedStdout();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(printed, std::to_string(bound) + "\n");
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    // The square (0..10 in the view -1..11) shows grey ink on black; around it the clear colour.
    std::vector<unsigned char> pixels = frame();
    int ink = 0, strayInside = 0, strayOutside = 0;
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++) {
            const unsigned char *p = &pixels[((size_t)y * kWidth + x) * 4];
            float wx = (x + 0.5f) / kWidth * 12 - 1, wy = (y + 0.5f) / kHeight * 12 - 1;
            bool inside = wx > 0.1f && wx < 9.9f && wy > 0.1f && wy < 9.9f;
            bool outside = wx < -0.1f || wx > 10.1f || wy < -0.1f || wy > 10.1f;
            if (inside) strayInside += p[0] != p[1] || p[1] != p[2];
            if (inside) ink += p[0] > 128;
            if (outside) strayOutside += p[0] != 128 || p[1] != 0;
        }
    EXPECT_GT(ink, 100);
    EXPECT_EQ(strayInside, 0);
    EXPECT_EQ(strayOutside, 0);
}
