// gen_effects_data STAGE_DIR: the effects toolkit's data, the same bytes on every run.
//   data/procedural/city.png  64 x 64 top-view map: white (red 255) blocks on black, an empty
//                             border of 4 cells, rectangular blocks at least 2 x 2 apart by streets
//   data/textures/ground.png  64 x 64 asphalt tile
//   data/textures/wall.png    64 x 64 facade unit: concrete frame around one window
//   data/font.tga             26 glyph strips "a".."z", 32 x 32 pixels each, 32-bit, bottom row first
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gd.h>
#include <stdint.h>
#include <stdio.h>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const int kMapSide = 64;    // cells
const int kLotSide = 8;     // cells per lot, a street included
const int kBorder = 4;      // empty cells around the lots
const int kTextureSide = 64;
const int kGlyphSide = 32;  // pixels per glyph strip, square
const int kGlyphs = 26;

// A small deterministic generator (32-bit LCG, upper bits), so the data never depends on libc.
struct Lcg {
    uint32_t state;
    int below(int n) { state = state * 1664525u + 1013904223u; return (int)((state >> 8) % (uint32_t)n); }
};

void fillBlock(gdImagePtr map, int x, int y, int w, int h)
{
    gdImageFilledRectangle(map, x, y, x + w - 1, y + h - 1, gdTrueColor(255, 255, 255));
}

// Each lot holds nothing (a square), one block, or two blocks with a street between them;
// a lot's last row and column stay empty, so blocks of neighbouring lots never touch.
gdImagePtr cityMap()
{
    gdImagePtr map = gdImageCreateTrueColor(kMapSide, kMapSide);
    gdImageFilledRectangle(map, 0, 0, kMapSide - 1, kMapSide - 1, gdTrueColor(0, 0, 0));
    Lcg random = {20240607u};
    int inner = kLotSide - 1;
    for (int ly = kBorder; ly + kLotSide <= kMapSide - kBorder; ly += kLotSide)
        for (int lx = kBorder; lx + kLotSide <= kMapSide - kBorder; lx += kLotSide) {
            int kind = random.below(8);
            if (kind == 0) continue;
            if (kind <= 2) {
                // Two blocks side by side: widths 2..(inner - 3) and the rest past a gap.
                int first = 2 + random.below(inner - 4);
                int h = 3 + random.below(inner - 2);
                fillBlock(map, lx, ly, first, h);
                fillBlock(map, lx + first + 1, ly, inner - first - 1, inner - random.below(3));
                continue;
            }
            int w = 3 + random.below(inner - 2), h = 3 + random.below(inner - 2);
            fillBlock(map, lx + random.below(inner - w + 1), ly + random.below(inner - h + 1), w, h);
        }
    return map;
}

int clampByte(int v) { return std::min(255, std::max(0, v)); }

gdImagePtr groundTexture()
{
    gdImagePtr im = gdImageCreateTrueColor(kTextureSide, kTextureSide);
    Lcg random = {77u};
    for (int y = 0; y < kTextureSide; y++)
        for (int x = 0; x < kTextureSide; x++) {
            int grain = random.below(24) - 12;
            bool seam = x == 0 || y == 0;  // a darker joint between tiles
            int g = clampByte((seam ? 52 : 78) + grain);
            gdImageSetPixel(im, x, y, gdTrueColor(g, g, clampByte(g + 4)));
        }
    return im;
}

gdImagePtr wallTexture()
{
    gdImagePtr im = gdImageCreateTrueColor(kTextureSide, kTextureSide);
    Lcg random = {4242u};
    const int frame = 12;  // concrete around the window, pixels
    for (int y = 0; y < kTextureSide; y++)
        for (int x = 0; x < kTextureSide; x++) {
            int grain = random.below(16) - 8;
            bool window = x >= frame && x < kTextureSide - frame && y >= frame &&
                          y < kTextureSide - frame;
            int colour;
            if (window) {
                // Glass: dark blue, lighter towards the top like a reflected sky.
                int sky = (kTextureSide - y) * 40 / kTextureSide;
                colour = gdTrueColor(clampByte(30 + sky / 2), clampByte(50 + sky), clampByte(90 + sky));
            } else {
                int c = clampByte(150 + grain);
                colour = gdTrueColor(c, clampByte(c - 6), clampByte(c - 14));
            }
            gdImageSetPixel(im, x, y, colour);
        }
    return im;
}

bool writePng(gdImagePtr im, const std::string &path)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    gdImagePngEx(im, f, 9);
    return fclose(f) == 0;
}

// The glyph strips, top row first: white with coverage as alpha (and grey, so the strips read
// without blending too), each glyph centred in its strip on a common baseline.
bool renderGlyphs(const std::string &fontPath, std::vector<uint8_t> *coverage)
{
    const int width = kGlyphSide * kGlyphs, baselineFromTop = 23;
    coverage->assign((size_t)width * kGlyphSide, 0);
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library)) return false;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) || FT_Set_Pixel_Sizes(face, 0, 26)) {
        FT_Done_FreeType(library);
        return false;
    }
    for (int k = 0; k < kGlyphs; k++) {
        if (FT_Load_Char(face, 'a' + k, FT_LOAD_RENDER)) continue;
        const FT_Bitmap &bitmap = face->glyph->bitmap;
        int left = k * kGlyphSide + (kGlyphSide - (int)bitmap.width) / 2;
        int top = baselineFromTop - face->glyph->bitmap_top;
        for (int r = 0; r < (int)bitmap.rows; r++)
            for (int c = 0; c < (int)bitmap.width; c++) {
                int x = left + c, y = top + r;
                if (x < k * kGlyphSide || x >= (k + 1) * kGlyphSide || y < 0 || y >= kGlyphSide)
                    continue;
                (*coverage)[(size_t)y * width + x] = bitmap.buffer[r * bitmap.pitch + c];
            }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return true;
}

// Uncompressed true-colour TGA, 32 bits (BGRA), origin at the bottom left.
bool writeFontTga(const std::vector<uint8_t> &coverage, const std::string &path)
{
    const int width = kGlyphSide * kGlyphs, height = kGlyphSide;
    uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                          (uint8_t)(width & 0xff), (uint8_t)(width >> 8),
                          (uint8_t)(height & 0xff), (uint8_t)(height >> 8), 32, 8};
    std::vector<uint8_t> bytes(header, header + 18);
    for (int y = height - 1; y >= 0; y--)
        for (int x = 0; x < width; x++) {
            uint8_t a = coverage[(size_t)y * width + x];
            bytes.insert(bytes.end(), {a, a, a, a});
        }
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// The staged overlay font, or the system's copy when run outside the stage.
std::string fontFile(const std::string &stage)
{
    std::string staged = stage + "/tools/crounded.ttf";
    if (std::filesystem::exists(staged)) return staged;
    return "/usr/share/fonts/truetype/comfortaa/Comfortaa-Regular.ttf";
}

bool writeImage(gdImagePtr (*paint)(), const std::string &stage, const char *path)
{
    gdImagePtr im = paint();
    bool ok = writePng(im, stage + "/" + path);
    gdImageDestroy(im);
    if (!ok) printf("[!] gen_effects_data: couldn't write %s\n", path);
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: gen_effects_data STAGE_DIR\n");
        return 2;
    }
    std::string stage = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(stage + "/data/procedural", ec);
    std::filesystem::create_directories(stage + "/data/textures", ec);
    if (!writeImage(cityMap, stage, "data/procedural/city.png") ||
        !writeImage(groundTexture, stage, "data/textures/ground.png") ||
        !writeImage(wallTexture, stage, "data/textures/wall.png"))
        return 1;
    std::vector<uint8_t> coverage;
    if (!renderGlyphs(fontFile(stage), &coverage)) {
        printf("[!] gen_effects_data: couldn't render the glyphs from %s\n", fontFile(stage).c_str());
        return 1;
    }
    if (!writeFontTga(coverage, stage + "/data/font.tga")) {
        printf("[!] gen_effects_data: couldn't write data/font.tga\n");
        return 1;
    }
    printf("[*] gen_effects_data: city map, ground and wall textures, font.tga\n");
    return 0;
}
