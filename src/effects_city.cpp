// Procedural city: map decoding, the one-time build of ground, roof and wall quads, drawing.
//   map:   vlm_parseProcMap (bytes -> 0/1 values), vlm_genProcFromImage (file, messages, exit)
//   build: findWalls, countWallUnits, emitWalls, emitGroundAndRoofs -> vlm_buildCity
//   draw:  vlm_drawCityGeometry, vlm_drawCity
#include "effects_city.h"
#include "textures.h"
#include <GL/glew.h>
#include <gd.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char *CITY_MAP_PATH = "data/procedural/city.png";
static const float BLOCK_HEIGHT = 50;  // world units of height per unit of map value

static void cityFatal(const std::string &message)
{
    fputs(message.c_str(), stdout);
    fflush(stdout);
    exit(-1);
}

__attribute__((format(printf, 1, 2))) static std::string formatted(const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// ---------------------------------------------------------------- map

// The size a PNG declares in its header, read before decoding so that a huge declared image
// is refused without being allocated. False when the bytes do not start like a PNG.
static bool pngDeclaredSize(const unsigned char *bytes, size_t size, unsigned *width,
                            unsigned *height)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size < 24 || memcmp(bytes, signature, 8) != 0 || memcmp(bytes + 12, "IHDR", 4) != 0)
        return false;
    *width = (unsigned)bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19];
    *height = (unsigned)bytes[20] << 24 | bytes[21] << 16 | bytes[22] << 8 | bytes[23];
    return true;
}

static std::string undecodable(const char *path)
{
    return formatted("[!] %s: not a PNG image that can be decoded\n", path);
}

static VlmProcMapResult mapError(VlmProcMapResult result, const std::string &error)
{
    vlm_parseFail(&result, error);
    result.values.clear();
    return result;
}

VlmProcMapResult vlm_parseProcMap(const unsigned char *bytes, size_t size, const char *path)
{
    VlmProcMapResult result;
    unsigned declaredW, declaredH;
    if (!pngDeclaredSize(bytes, size, &declaredW, &declaredH))
        return mapError(result, undecodable(path));
    if (declaredW > VLM_CITY_MAX_SIDE || declaredH > VLM_CITY_MAX_SIDE)
        return mapError(result, formatted("[!] %s: map of %u x %u pixels is larger than the "
                                          "city allows\n", path, declaredW, declaredH));
    gdImagePtr image = size <= 0x7fffffff ? gdImageCreateFromPngPtr((int)size, (void *)bytes)
                                          : nullptr;
    if (!image) return mapError(result, undecodable(path));
    result.width = gdImageSX(image);
    result.height = gdImageSY(image);
    result.messages = formatted("%d, %d\n", result.width, result.height);
    if (result.width != result.height) {
        gdImageDestroy(image);
        return mapError(result, formatted("[!] %s: map of %d x %d pixels is not square\n", path,
                                          result.width, result.height));
    }
    // Rows are laid out with a stride of the height: the same as the width, since it is square.
    int n = result.width;
    bool trueColour = gdImageTrueColor(image);
    result.values.assign((size_t)n * n * 3, 0.0f);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            int c = gdImageGetPixel(image, x, y);
            int rgb[3] = {trueColour ? gdTrueColorGetRed(c) : gdImageRed(image, c),
                          trueColour ? gdTrueColorGetGreen(c) : gdImageGreen(image, c),
                          trueColour ? gdTrueColorGetBlue(c) : gdImageBlue(image, c)};
            float *out = &result.values[3 * ((size_t)y * n + x)];
            // Integer division: only a component of exactly 255 becomes 1.
            for (int k = 0; k < 3; k++) out[k] = (float)(rgb[k] / 255);
        }
    gdImageDestroy(image);
    return result;
}

vlm_procMap *vlm_genProcFromImage(vlm_procMap *map, const char *path)
{
    VlmFile file = vlm_io_readFile(path, VLM_FROM_DISK);
    if (file.status == VLM_FILE_MISSING) cityFatal(formatted("[! %s] file not found.\n", path));
    if (file.status == VLM_FILE_NO_MEMORY)
        cityFatal("[!] vlm_genProcFromImage() error. couldn't allocate memory\n");
    VlmProcMapResult parsed = vlm_parseProcMap((const unsigned char *)file.bytes, file.size, path);
    free(file.bytes);
    vlm_reportOutcome(parsed);
    float *values = (float *)malloc(parsed.values.size() * sizeof(float) + 1);
    if (!values) cityFatal("[!] vlm_genProcFromImage() error. couldn't allocate memory\n");
    memcpy(values, parsed.values.data(), parsed.values.size() * sizeof(float));
    map->width = parsed.width;
    map->height = parsed.height;
    map->values = values;
    return map;
}

// ---------------------------------------------------------------- build

struct CityMap {
    const float *values;  // 3 per cell, red first
    int n;                // side in cells
};

// Red value of cell (x, y); cells outside the map are empty, so a block on the last row or
// column ends there as it would at an empty border.
static float cellValue(const CityMap &map, int x, int y)
{
    if (x < 0 || y < 0 || x >= map.n || y >= map.n) return 0;
    return map.values[3 * ((size_t)y * map.n + x)];
}

// First row l >= y of column x whose cell is empty.
static int runDown(const CityMap &map, int x, int y)
{
    int l = y;
    while (l < map.n && cellValue(map, x, l) != 0) l++;
    return l;
}

// First column l >= x of row y whose cell is empty.
static int runRight(const CityMap &map, int x, int y)
{
    int l = x;
    while (l < map.n && cellValue(map, l, y) != 0) l++;
    return l;
}

// Walls start at block corners: a top-right corner gives the right wall, a top-left corner the
// left and top walls, a bottom-left corner the bottom wall. Corners in columns and rows 0 and 1
// are not looked at. The list grows past its first 1024 segments as needed.
static void findWalls(const CityMap &map, std::vector<VlmCitySegment> *segments)
{
    segments->reserve(1024);
    for (int x = 0; x < map.n; x++)
        for (int y = 0; y < map.n; y++) {
            if (!(x > 1 && y > 1)) continue;
            float v = cellValue(map, x, y);
            bool on = v != 0;
            bool left = cellValue(map, x - 1, y) != 0, right = cellValue(map, x + 1, y) != 0;
            bool up = cellValue(map, x, y - 1) != 0, down = cellValue(map, x, y + 1) != 0;
            float fx = (float)x, fy = (float)y;
            if (on && left && down && !up && !right)
                segments->push_back({fx + 1, v, fy, fx + 1, v, (float)runDown(map, x, y)});
            bool topLeft = on && down && right && !up && !left;
            if (topLeft) segments->push_back({fx, v, fy, fx, v, (float)runDown(map, x, y)});
            if (topLeft) segments->push_back({fx, v, fy, (float)runRight(map, x, y), v, fy});
            if (on && right && up && !down && !left)
                segments->push_back({fx, v, fy + 1, (float)runRight(map, x, y), v, fy + 1});
        }
}

// Unit wall quads of all segments: length x height per segment, the running total truncated
// toward zero after each addition. False when the total passes the wall limit.
static bool countWallUnits(const std::vector<VlmCitySegment> &segments, int *units)
{
    int total = 0;
    for (const VlmCitySegment &s : segments) {
        float height = s.v0 * BLOCK_HEIGHT;
        float sum = (float)total;
        if (s.x0 != s.x1) sum += (s.x1 - s.x0) * height;
        if (sum > VLM_CITY_MAX_WALL_UNITS) return false;
        total = (int)sum;
        if (s.z0 != s.z1) sum = (float)total + (s.z1 - s.z0) * height;
        if (sum > VLM_CITY_MAX_WALL_UNITS) return false;
        total = (int)sum;
    }
    *units = total;
    return true;
}

// Appends one quad: four corners, one normal for all, four texture coordinates.
struct QuadArrays {
    std::vector<float> *pos, *normal, *tex;
};
static void appendQuad(QuadArrays arrays, size_t quad, const float corners[4][3],
                       const float normal[3], const float tex[4][2])
{
    for (int c = 0; c < 4; c++) {
        size_t vertex = quad * 4 + c;
        memcpy(&(*arrays.pos)[vertex * 3], corners[c], 3 * sizeof(float));
        memcpy(&(*arrays.normal)[vertex * 3], normal, 3 * sizeof(float));
        memcpy(&(*arrays.tex)[vertex * 2], tex[c], 2 * sizeof(float));
    }
}

// Walls as unit quads, each segment in the order found, columns of height H along its length.
// The normals are the normalised (P - Q) x (Q - R) of the first three corners: (1, 0, 0) for
// walls along z and (0, 0, -1) for walls along x, so both walls of a pair face the same way.
static void emitWalls(VlmCityGeometry *city)
{
    static const float alongZTex[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    static const float alongXTex[4][2] = {{0, 0}, {0, 0}, {1, 1}, {1, 0}};
    static const float alongZNormal[3] = {1, 0, 0}, alongXNormal[3] = {0, 0, -1};
    QuadArrays walls = {&city->wallPos, &city->wallNormal, &city->wallTex};
    float half = (float)(city->side / 2);
    size_t quad = 0, room = (size_t)city->wallUnits;
    for (const VlmCitySegment &s : city->segments) {
        float height = s.v0 * BLOCK_HEIGHT;
        if (s.z0 != s.z1) {
            float x = s.x0 - half;
            for (float zz = s.z0; zz < s.z1; zz += 1)
                for (float yy = 0; yy < height && quad < room; yy += 1) {
                    const float c[4][3] = {{x, yy, zz - half}, {x, yy + 1, zz - half},
                                           {x, yy + 1, zz + 1 - half}, {x, yy, zz + 1 - half}};
                    appendQuad(walls, quad++, c, alongZNormal, alongZTex);
                }
        } else if (s.x0 != s.x1) {
            float z = s.z0 - half;
            for (float xx = s.x0; xx < s.x1; xx += 1)
                for (float yy = 0; yy < height && quad < room; yy += 1) {
                    const float c[4][3] = {{xx - half, yy, z}, {xx - half, yy + 1, z},
                                           {xx + 1 - half, yy + 1, z}, {xx + 1 - half, yy, z}};
                    appendQuad(walls, quad++, c, alongXNormal, alongXTex);
                }
        }
    }
}

// One unit quad per cell, facing up, at the cell's height: roofs where it is not 0, else ground.
static void emitGroundAndRoofs(const CityMap &map, VlmCityGeometry *city)
{
    static const float up[3] = {0, 1, 0};
    static const float tex[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    QuadArrays ground = {&city->groundPos, &city->groundNormal, &city->groundTex};
    QuadArrays roofs = {&city->roofPos, &city->roofNormal, &city->roofTex};
    float half = (float)(map.n / 2);
    for (int x = 0; x < map.n; x++)
        for (int y = 0; y < map.n; y++) {
            float h = cellValue(map, x, y) * BLOCK_HEIGHT;
            float wx = (float)x - half, wz = (float)y - half;
            const float c[4][3] = {{wx, h, wz}, {wx, h, wz + 1}, {wx + 1, h, wz + 1}, {wx + 1, h, wz}};
            if (h != 0) appendQuad(roofs, city->roofQuads++, c, up, tex);
            else appendQuad(ground, city->groundQuads++, c, up, tex);
        }
}

static VlmCityGeometry cityError(VlmCityGeometry city, const std::string &error)
{
    vlm_parseFail(&city, error);
    return city;
}

VlmCityGeometry vlm_buildCity(int width, int height, const float *values, const char *path)
{
    VlmCityGeometry city = {};
    if (width != height || width < 0)
        return cityError(city, formatted("[!] %s: map of %d x %d cells is not square\n", path,
                                         width, height));
    if (width > VLM_CITY_MAX_SIDE)
        return cityError(city, formatted("[!] %s: map of %d x %d cells is larger than the city "
                                         "allows\n", path, width, height));
    CityMap map = {values, width};
    for (int y = 0; y < map.n; y++)
        for (int x = 0; x < map.n; x++) {
            float v = cellValue(map, x, y);
            if (v != 0 && v != 1)
                return cityError(city, formatted("[!] %s: cell (%d, %d) holds a value other "
                                                 "than 0 or 1\n", path, x, y));
        }
    city.side = map.n;
    // Walls are counted first so that a city with too much wall allocates nothing else.
    findWalls(map, &city.segments);
    if (!countWallUnits(city.segments, &city.wallUnits))
        return cityError(city, "[!] vlm_drawCity() couldn't allocate wallmemory\n");
    size_t room = (size_t)map.n * map.n * 4;  // vertices: N x N quads each, zero-filled
    city.groundPos.assign(room * 3, 0.0f), city.groundNormal.assign(room * 3, 0.0f);
    city.groundTex.assign(room * 2, 0.0f);
    city.roofPos.assign(room * 3, 0.0f), city.roofNormal.assign(room * 3, 0.0f);
    city.roofTex.assign(room * 2, 0.0f);
    size_t wallVertices = (size_t)city.wallUnits * 4;
    city.wallPos.assign(wallVertices * 3, 0.0f), city.wallNormal.assign(wallVertices * 3, 0.0f);
    city.wallTex.assign(wallVertices * 2, 0.0f);
    emitWalls(&city);
    emitGroundAndRoofs(map, &city);
    return city;
}

// ---------------------------------------------------------------- draw

static void drawQuadArrays(const std::vector<float> &pos, const std::vector<float> &normal,
                           const std::vector<float> &tex, int vertices)
{
    if (vertices <= 0) return;
    glVertexPointer(3, GL_FLOAT, 0, pos.data());
    glNormalPointer(GL_FLOAT, 0, normal.data());
    glTexCoordPointer(2, GL_FLOAT, 0, tex.data());
    glDrawArrays(GL_QUADS, 0, vertices);
}

void vlm_drawCityGeometry(const VlmCityGeometry *city, unsigned groundTexture,
                          unsigned wallTexture)
{
    static const GLfloat ambient[] = {0, 0, 0, 1}, diffuse[] = {0.64f, 0.64f, 0.64f, 1},
                         specular[] = {0.5f, 0.5f, 0.5f, 1}, shininess[] = {96};
    glPushMatrix();
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);

    // Ground and roofs draw their whole room of N x N quads; unfilled quads are all zero.
    int room = city->side * city->side * 4;
    glBindTexture(GL_TEXTURE_2D, groundTexture);
    drawQuadArrays(city->groundPos, city->groundNormal, city->groundTex, room);
    glBindTexture(GL_TEXTURE_2D, wallTexture);
    drawQuadArrays(city->roofPos, city->roofNormal, city->roofTex, room);
    drawQuadArrays(city->wallPos, city->wallNormal, city->wallTex, city->wallUnits * 4);

    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glPopMatrix();
}

void vlm_drawCity(void)
{
    static int loaded = 0;
    static vlm_procMap map;
    static unsigned groundTexture, wallTexture;
    static VlmCityGeometry city;
    if (loaded++ == 0) {
        vlm_genProcFromImage(&map, CITY_MAP_PATH);
        groundTexture = vlm_loadPNG("data/textures/ground.png");
        wallTexture = vlm_loadPNG("data/textures/wall.png");
        city = vlm_buildCity(map.width, map.height, map.values, CITY_MAP_PATH);
        vlm_reportOutcome(city);
    }
    vlm_drawCityGeometry(&city, groundTexture, wallTexture);
}
