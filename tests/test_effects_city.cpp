// Procedural city: maps decoded by the real PNG decoder, walls found on maps made in the test,
// the generator's map and textures, and the city drawn on a real GL context, read back.
#include "gl_context.h"
#include "effects_city.h"
#include "resource_files.h"
#include <gd.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Block {
    int x, y, w, h;  // top-left cell and size in cells
};

// An n x n map (3 floats per cell) with the given blocks at value 1.
std::vector<float> mapWith(int n, std::initializer_list<Block> blocks)
{
    std::vector<float> values((size_t)n * n * 3, 0.0f);
    for (const Block &b : blocks)
        for (int y = b.y; y < b.y + b.h; y++)
            for (int x = b.x; x < b.x + b.w; x++) values[3 * ((size_t)y * n + x)] = 1;
    return values;
}

VlmCityGeometry build(int n, const std::vector<float> &values)
{
    return vlm_buildCity(n, n, values.data(), "test.png");
}

void expectSegment(const VlmCitySegment &s, float x0, float z0, float x1, float z1)
{
    EXPECT_EQ(s.x0, x0);
    EXPECT_EQ(s.z0, z0);
    EXPECT_EQ(s.x1, x1);
    EXPECT_EQ(s.z1, z1);
    EXPECT_EQ(s.v0, 1);
    EXPECT_EQ(s.v1, 1);
}

// PNG bytes of a true-colour image whose pixel (x, y) is colour(x, y).
template <typename Colour> std::string pngOf(int w, int h, Colour colour)
{
    gdImagePtr im = gdImageCreateTrueColor(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) gdImageSetPixel(im, x, y, colour(x, y));
    int size = 0;
    void *data = gdImagePngPtr(im, &size);
    std::string bytes((const char *)data, (size_t)size);
    gdFree(data);
    gdImageDestroy(im);
    return bytes;
}

VlmProcMapResult parse(const std::string &bytes, const char *path = "map.png")
{
    return vlm_parseProcMap((const unsigned char *)bytes.data(), bytes.size(), path);
}

}  // namespace

// ---------------------------------------------------------------- walls, roofs and ground

TEST(CityBuild, OneThreeByThreeBlockHasFourWallsOfSixHundredUnits)
{
    const int n = 12;
    VlmCityGeometry city = build(n, mapWith(n, {{4, 4, 3, 3}}));
    ASSERT_TRUE(city.ok) << city.messages;
    ASSERT_EQ(city.segments.size(), 4u);
    // In the order the corners are met, column by column.
    expectSegment(city.segments[0], 4, 4, 4, 7);  // left
    expectSegment(city.segments[1], 4, 4, 7, 4);  // top
    expectSegment(city.segments[2], 4, 7, 7, 7);  // bottom
    expectSegment(city.segments[3], 7, 4, 7, 7);  // right
    EXPECT_EQ(city.wallUnits, 600);
    EXPECT_EQ(city.roofQuads, 9);
    EXPECT_EQ(city.groundQuads, n * n - 9);
    EXPECT_EQ(city.groundPos.size(), (size_t)n * n * 4 * 3);
    EXPECT_EQ(city.roofTex.size(), (size_t)n * n * 4 * 2);
    EXPECT_EQ(city.wallPos.size(), 600u * 4 * 3);
}

TEST(CityBuild, WallQuadsAreUnitSquaresInWorldCoordinates)
{
    const int n = 12;  // world = map - 6
    VlmCityGeometry city = build(n, mapWith(n, {{4, 4, 3, 3}}));
    ASSERT_TRUE(city.ok);
    // The left wall comes first: x = 4 - 6, z from -2, the first column rising from y = 0.
    const float first[12] = {-2, 0, -2, -2, 1, -2, -2, 1, -1, -2, 0, -1};
    for (int k = 0; k < 12; k++) EXPECT_EQ(city.wallPos[k], first[k]) << k;
    const float *top = &city.wallPos[(size_t)49 * 12];  // the 50th quad tops the column
    EXPECT_EQ(top[1], 49);
    EXPECT_EQ(top[4], 50);
    EXPECT_EQ(city.wallNormal[0], 1);  // walls along z face +x
    // The top wall (second segment, after 150 quads) runs along x at z = 4 - 6 and faces -z,
    // its second corner repeating the texture coordinate (0, 0).
    size_t q = 150;
    EXPECT_EQ(city.wallPos[q * 12 + 2], -2);
    EXPECT_EQ(city.wallNormal[q * 12 + 2], -1);
    const float tex[8] = {0, 0, 0, 0, 1, 1, 1, 0};
    for (int k = 0; k < 8; k++) EXPECT_EQ(city.wallTex[q * 8 + k], tex[k]) << k;
    // Roofs at height 50 over the block cells, ground at 0 elsewhere, all facing up.
    EXPECT_EQ(city.roofPos[1], 50);
    EXPECT_EQ(city.roofPos[0], 4 - 6);
    EXPECT_EQ(city.groundPos[1], 0);
    EXPECT_EQ(city.groundNormal[1], 1);
}

TEST(CityBuild, BlocksTouchingColumnsAndRowsZeroAndOneGetNoWallsFromThoseCorners)
{
    const int n = 12;
    // Top-left and bottom-left corners in column 0: only the right wall's corner (x = 2) counts.
    VlmCityGeometry left = build(n, mapWith(n, {{0, 4, 3, 3}}));
    ASSERT_EQ(left.segments.size(), 1u);
    expectSegment(left.segments[0], 3, 4, 3, 7);
    // Top corners in row 1: only the bottom wall's corner (y = 3) counts.
    VlmCityGeometry top = build(n, mapWith(n, {{4, 1, 3, 3}}));
    ASSERT_EQ(top.segments.size(), 1u);
    expectSegment(top.segments[0], 4, 4, 7, 4);
}

TEST(CityBuild, BlocksOnTheLastRowAndColumnAreClosedByTheImageEdge)
{
    const int n = 10;
    // The cells past the edge count as empty (the map buffer is exactly n x n: under the
    // address sanitizer any read beyond it fails the test).
    VlmCityGeometry city = build(n, mapWith(n, {{7, 7, 3, 3}}));
    ASSERT_TRUE(city.ok);
    ASSERT_EQ(city.segments.size(), 4u);
    expectSegment(city.segments[2], 7, 10, 10, 10);  // bottom, on the edge
    expectSegment(city.segments[3], 10, 7, 10, 10);  // right, on the edge
    EXPECT_EQ(city.wallUnits, 600);
}

TEST(CityBuild, MoreThanAThousandSegmentsAllBecomeWalls)
{
    // 17 x 17 blocks of 2 x 2 cells, one street apart: 1156 segments.
    const int n = 2 + 17 * 3 + 1;
    std::vector<float> values((size_t)n * n * 3, 0.0f);
    for (int by = 0; by < 17; by++)
        for (int bx = 0; bx < 17; bx++)
            for (int k = 0; k < 4; k++) {
                int x = 2 + bx * 3 + k % 2, y = 2 + by * 3 + k / 2;
                values[3 * ((size_t)y * n + x)] = 1;
            }
    VlmCityGeometry city = build(n, values);
    ASSERT_TRUE(city.ok) << city.messages;
    EXPECT_EQ(city.segments.size(), 17u * 17 * 4);
    EXPECT_EQ(city.wallUnits, 17 * 17 * 4 * 2 * 50);
    EXPECT_EQ(city.roofQuads, 17 * 17 * 4);
    // The last wall quad is written: the top of the last block's right wall, x = z = 52 - 27.
    const float *last = &city.wallPos[((size_t)city.wallUnits - 1) * 12];
    EXPECT_EQ(last[6], 25);
    EXPECT_EQ(last[7], 50);
    EXPECT_EQ(last[8], 25);
}

TEST(CityBuild, MapsItCannotBuildAreRefusedWithAMessageNamingTheFile)
{
    std::vector<float> cells(5 * 7 * 3, 0.0f);
    struct Case {
        const char *what;
        VlmCityGeometry city;
        const char *message;
    } cases[] = {
        {"non-square", vlm_buildCity(5, 7, cells.data(), "wide.png"),
         "[!] wide.png: map of 5 x 7 cells is not square\n"},
        {"too large", vlm_buildCity(2000, 2000, nullptr, "big.png"),
         "[!] big.png: map of 2000 x 2000 cells is larger than the city allows\n"},
        {"value 0.5", [] {
             std::vector<float> half = mapWith(4, {});
             half[3 * 5] = 0.5f;
             return vlm_buildCity(4, 4, half.data(), "half.png");
         }(),
         "[!] half.png: cell (1, 1) holds a value other than 0 or 1\n"},
    };
    for (const Case &c : cases) {
        EXPECT_FALSE(c.city.ok) << c.what;
        EXPECT_EQ(c.city.messages, c.message) << c.what;
    }
}

TEST(CityBuild, TooMuchWallEndsWithTheWallMemoryMessageBeforeAllocatingAnything)
{
    // 2 x 2 blocks one street apart over 1024 x 1024 cells: about 46 million wall quads.
    const int n = VLM_CITY_MAX_SIDE;
    std::vector<float> values((size_t)n * n * 3, 0.0f);
    for (int y = 2; y + 1 < n; y++)
        for (int x = 2; x + 1 < n; x++)
            if ((x - 2) % 3 != 2 && (y - 2) % 3 != 2) values[3 * ((size_t)y * n + x)] = 1;
    VlmCityGeometry city = build(n, values);
    EXPECT_FALSE(city.ok);
    EXPECT_EQ(city.messages, "[!] vlm_drawCity() couldn't allocate wallmemory\n");
    EXPECT_TRUE(city.groundPos.empty());
    EXPECT_TRUE(city.wallPos.empty());
}

// ---------------------------------------------------------------- map decoding

TEST(CityMap, OnlyAComponentOfExactly255CountsAsOne)
{
    std::string png = pngOf(2, 2, [](int x, int y) {
        return x == 0 && y == 0 ? gdTrueColor(254, 255, 0) : gdTrueColor(255, 128, 255);
    });
    VlmProcMapResult map = parse(png);
    ASSERT_TRUE(map.ok) << map.messages;
    EXPECT_EQ(map.messages, "2, 2\n");
    const std::vector<float> expected = {0, 1, 0, 1, 0, 1, 1, 0, 1, 1, 0, 1};
    EXPECT_EQ(map.values, expected);
}

TEST(CityMap, PaletteImagesReadTheirColoursFromThePalette)
{
    gdImagePtr im = gdImageCreate(3, 3);
    int black = gdImageColorAllocate(im, 0, 0, 0), white = gdImageColorAllocate(im, 255, 255, 255);
    gdImageFilledRectangle(im, 0, 0, 2, 2, black);
    gdImageSetPixel(im, 2, 1, white);
    int size = 0;
    void *data = gdImagePngPtr(im, &size);
    VlmProcMapResult map = parse(std::string((const char *)data, (size_t)size));
    gdFree(data);
    gdImageDestroy(im);
    ASSERT_TRUE(map.ok);
    for (int cell = 0; cell < 9; cell++)
        EXPECT_EQ(map.values[3 * cell], cell == 1 * 3 + 2 ? 1 : 0) << cell;
}

TEST(CityMap, NonSquareAndUndecodableImagesAreRefused)
{
    VlmProcMapResult wide = parse(pngOf(5, 3, [](int, int) { return 0; }), "wide.png");
    EXPECT_FALSE(wide.ok);
    EXPECT_EQ(wide.messages, "5, 3\n[!] wide.png: map of 5 x 3 pixels is not square\n");

    std::string good = pngOf(4, 4, [](int, int) { return 0; });
    // A PNG header declaring 100000 x 100000 pixels is refused before anything is decoded.
    std::string huge = good.substr(0, 24);
    huge[16] = 0, huge[17] = 1, huge[18] = (char)0x86, huge[19] = (char)0xa0;
    const std::string undecodable[] = {"", "not a png at all", good.substr(0, good.size() / 2),
                                       good.substr(0, 30)};
    for (const std::string &bytes : undecodable) {
        VlmProcMapResult map = parse(bytes, "bad.png");
        EXPECT_FALSE(map.ok) << bytes.size();
        EXPECT_EQ(map.messages, "[!] bad.png: not a PNG image that can be decoded\n");
    }
    VlmProcMapResult big = parse(huge, "huge.png");
    EXPECT_EQ(big.messages, "[!] huge.png: map of 100000 x 4 pixels is larger than the city allows\n");
}

TEST(CityMapDeathTest, FileFaultsEndWithTheirMessagesAndStatus255)
{
    enterTempDir();
    writeFile("garbage.png", "this is no image");
    writeFile("tall.png", pngOf(2, 3, [](int, int) { return 0; }));
    vlm_procMap map;
    EXPECT_EXIT((dup2(2, 1), vlm_genProcFromImage(&map, "missing.png")),
                testing::ExitedWithCode(255), "\\[! missing.png\\] file not found.");
    EXPECT_EXIT((dup2(2, 1), vlm_genProcFromImage(&map, "garbage.png")),
                testing::ExitedWithCode(255), "\\[!\\] garbage.png: not a PNG image");
    EXPECT_EXIT((dup2(2, 1), vlm_genProcFromImage(&map, "tall.png")),
                testing::ExitedWithCode(255), "2, 3\n\\[!\\] tall.png: map of 2 x 3 pixels is not square");
}

TEST(CityMap, AFileFillsTheRecordAndPrintsItsSize)
{
    enterTempDir();
    writeFile("map.png", pngOf(3, 3, [](int x, int y) { return x == y ? 0xffffff : 0; }));
    vlm_procMap map = {0, 0, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(vlm_genProcFromImage(&map, "map.png"), &map);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "3, 3\n");
    ASSERT_EQ(map.width, 3);
    ASSERT_EQ(map.height, 3);
    for (int cell = 0; cell < 9; cell++) EXPECT_EQ(map.values[3 * cell], cell % 4 == 0 ? 1 : 0);
    free(map.values);
}

// ---------------------------------------------------------------- generated data

TEST(CityData, TheGeneratorWritesTheSameBytesEveryTimeAndAMapTheBuilderReads)
{
    std::string tool = std::string(VLM_TOOLS_DIR) + "/gen_effects_data";
    char a[] = "/tmp/vlm-city-a-XXXXXX", b[] = "/tmp/vlm-city-b-XXXXXX";
    ASSERT_TRUE(mkdtemp(a) && mkdtemp(b));
    ASSERT_EQ(system((tool + " " + a + " > /dev/null").c_str()), 0);
    ASSERT_EQ(system((tool + " " + b + " > /dev/null").c_str()), 0);
    for (const char *file : {"data/procedural/city.png", "data/textures/ground.png",
                             "data/textures/wall.png", "data/font.tga"}) {
        std::string bytes = readFile(std::string(a) + "/" + file);
        EXPECT_FALSE(bytes.empty()) << file;
        EXPECT_EQ(bytes, readFile(std::string(b) + "/" + file)) << file;
    }

    VlmProcMapResult map = parse(readFile(std::string(a) + "/data/procedural/city.png"));
    ASSERT_TRUE(map.ok) << map.messages;
    int n = map.width;
    auto cell = [&](int x, int y) { return map.values[3 * ((size_t)y * n + x)] != 0; };
    // An empty border of two cells at least, so every corner is looked at.
    for (int i = 0; i < n; i++)
        for (int k : {0, 1, n - 2, n - 1}) EXPECT_FALSE(cell(i, k) || cell(k, i)) << i << "," << k;
    // Every block is a filled rectangle of at least 2 x 2 cells and yields exactly its four walls.
    std::vector<bool> seen((size_t)n * n, false);
    int blocks = 0, perimeter = 0;
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            if (!cell(x, y) || seen[(size_t)y * n + x]) continue;
            int w = 0, h = 0;
            while (cell(x + w, y)) w++;
            while (cell(x, y + h)) h++;
            EXPECT_GE(w, 2);
            EXPECT_GE(h, 2);
            for (int yy = y - 1; yy <= y + h; yy++)
                for (int xx = x - 1; xx <= x + w; xx++) {
                    bool inside = xx >= x && xx < x + w && yy >= y && yy < y + h;
                    bool corner = (xx == x - 1 || xx == x + w) && (yy == y - 1 || yy == y + h);
                    if (!corner) {
                        EXPECT_EQ(cell(xx, yy), inside) << "block at " << x << "," << y;
                    }
                    if (inside) seen[(size_t)yy * n + xx] = true;
                }
            blocks++;
            perimeter += 2 * (w + h);
        }
    EXPECT_GT(blocks, 20);
    VlmCityGeometry city = vlm_buildCity(n, n, map.values.data(), "city.png");
    ASSERT_TRUE(city.ok);
    EXPECT_EQ(city.segments.size(), (size_t)blocks * 4);
    EXPECT_EQ(city.wallUnits, perimeter * 50);
}

// ---------------------------------------------------------------- drawing

namespace {

const int kSide = 320;  // the window, square

class CityDraw : public testing::Test {
protected:
    static GLuint solidTexture(unsigned char r, unsigned char g, unsigned char b)
    {
        const unsigned char texel[4] = {r, g, b, 255};
        GLuint texture;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        return texture;
    }

    void SetUp() override
    {
        vlmTestGLContext(kSide, kSide);
        glViewport(0, 0, kSide, kSide);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
        glColor4f(1, 1, 1, 1);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (!ground) ground = solidTexture(0, 255, 0), wall = solidTexture(255, 0, 0);
    }

    // Looking straight down on a city of half side `half`: screen x = world x, up = -z.
    static void topView(float half)
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-half, half, -half, half, 1, 200);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 100, 0, 0, 0, 0, 0, 0, -1);
    }

    // The pixel over the centre of map cell (x, y) in topView of an n-cell map.
    static void cellPixel(int n, int x, int y, unsigned char rgba[4])
    {
        float perCell = (float)kSide / n;
        vlmTestReadPixel((int)((x + 0.5f) * perCell), (int)((n - y - 0.5f) * perCell), rgba);
    }

    static GLuint ground, wall;
};
GLuint CityDraw::ground = 0, CityDraw::wall = 0;

}  // namespace

TEST_F(CityDraw, RoofsShowTheWallTextureAndTheRestTheGround)
{
    const int n = 12;
    VlmCityGeometry city = build(n, mapWith(n, {{4, 4, 3, 3}}));
    topView(n / 2.0f);
    vlm_drawCityGeometry(&city, ground, wall);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            unsigned char p[4];
            cellPixel(n, x, y, p);
            bool roof = x >= 4 && x < 7 && y >= 4 && y < 7;
            EXPECT_EQ(p[0], roof ? 255 : 0) << x << "," << y;
            EXPECT_EQ(p[1], roof ? 0 : 255) << x << "," << y;
        }
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
}

TEST_F(CityDraw, WallsStandFiftyUnitsHighAlongTheBlockEdges)
{
    const int n = 12;
    VlmCityGeometry city = build(n, mapWith(n, {{4, 4, 3, 3}}));
    // From +x: screen x = -world z (-30..30), screen y = world y (-5..55).
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-30, 30, -5, 55, 1, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(100, 0, 0, 0, 0, 0, 0, 1, 0);
    vlm_drawCityGeometry(&city, ground, wall);
    auto at = [](float z, float y) {
        unsigned char p[4];
        vlmTestReadPixel((int)((-z + 30) / 60 * kSide), (int)((y + 5) / 60 * kSide), p);
        return std::vector<int>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(at(-0.5f, 25), (std::vector<int>{255, 0, 0}));  // the block's walls, z -2..1
    EXPECT_EQ(at(-0.5f, 52), (std::vector<int>{0, 0, 0}));   // above the roof
    EXPECT_EQ(at(4, 25), (std::vector<int>{0, 0, 0}));       // beside the block
}

TEST_F(CityDraw, EachCallDrawsTheWholeRoomOfGroundAndRoofsAndEveryWallQuad)
{
    auto primitives = [](const std::function<void()> &draw) {
        GLuint query, count = 0;
        glGenQueries(1, &query);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        draw();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
        glDeleteQueries(1, &query);
        return count;
    };
    GLuint perQuad = primitives([] {
        glBegin(GL_QUADS);
        glVertex2f(0, 0), glVertex2f(1, 0), glVertex2f(1, 1), glVertex2f(0, 1);
        glEnd();
    });
    const int n = 12;
    VlmCityGeometry city = build(n, mapWith(n, {{4, 4, 3, 3}}));
    topView(n / 2.0f);
    EXPECT_EQ(primitives([&] { vlm_drawCityGeometry(&city, ground, wall); }),
              perQuad * (2 * n * n + 600));
}

TEST_F(CityDraw, TheStagedCityShowsARoofOverEveryBlockCellOfItsMap)
{
    ASSERT_EQ(chdir(VLM_STAGE_DIR), 0);
    VlmProcMapResult map = parse(readFile("data/procedural/city.png"));
    ASSERT_TRUE(map.ok);
    int n = map.width;
    ASSERT_EQ(kSide % n, 0) << "whole pixels per cell";
    topView(n / 2.0f);
    testing::internal::CaptureStdout();
    vlm_drawCity();
    testing::internal::GetCapturedStdout();
    // Roof cells show the middle of the wall texture, a window (blue); ground is grey.
    int roofs = 0;
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            unsigned char p[4];
            cellPixel(n, x, y, p);
            bool block = map.values[3 * ((size_t)y * n + x)] != 0;
            EXPECT_EQ(p[2] - p[0] > 30, block) << x << "," << y;
            roofs += block;
        }
    EXPECT_GT(roofs, 0);
}
