// The generated models and textures of the stage: each parses with the model loader's own
// parser and loads and draws with the real loader, has normals, materials and the size its
// scene places it by; every texture decodes; and gen_models writes the same bytes every run.
// The drawing test also leaves pictures in build/model_previews/ for a look by eye.
#include "gl_context.h"
#include "models_obj.h"
#include "textures.h"
#include "read_file.h"

#include <gd.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kStage = VLM_STAGE_DIR;

// Expected extents of a model's bounding box, scene units.
struct Extent {
    float lo, hi;
};
struct ModelCase {
    const char *path;  // as the demo names it, relative to the stage
    Extent x[2], y[2], z[2];  // allowed range of the minimum and of the maximum per axis
    bool textured;
};

// Sizes the scenes rely on: the pillar stands 12 on the origin; the car body is about 14 long
// and 6 wide around axles at z = 0 and z = -9; the wheels (radius 2) sit at x = +-3.5 on the
// x axis; the reactor is 10 tall on y = 0 (its column on legs) and 3 in radius; a pipe spans
// exactly y = -2..2 so that rows 4 apart join; the ring is 2 across; the cube 1.5.
const ModelCase kModels[] = {
    {"data/models/spikepelare.obj", {{-4, -1.5f}, {1.5f, 4}}, {{0, 0}, {11, 13}}, {{-4, -1.5f}, {1.5f, 4}}, false},
    {"data/models/camera_body.obj", {{-3, -0.3f}, {0.3f, 3}}, {{-3, -0.3f}, {0.3f, 3}}, {{-4, -0.5f}, {0.5f, 4}}, false},
    {"data/models/camera_prop.obj", {{-2, -0.1f}, {0.1f, 2}}, {{-2, -0.5f}, {0.5f, 2}}, {{-2, -0.5f}, {0.5f, 2}}, false},
    {"data/models/smilecube.obj", {{-0.85f, -0.65f}, {0.65f, 0.85f}}, {{-0.85f, -0.65f}, {0.65f, 0.85f}}, {{-0.85f, -0.65f}, {0.65f, 0.85f}}, true},
    {"data/models/bug_body.obj", {{-3.6f, -2.6f}, {2.6f, 3.6f}}, {{-1.5f, -0.3f}, {3, 5}}, {{-12.5f, -11}, {2, 3.5f}}, false},
    {"data/models/bug_wheel.obj", {{-4.3f, -3.7f}, {3.7f, 4.3f}}, {{-2.2f, -1.8f}, {1.8f, 2.2f}}, {{-2.2f, -1.8f}, {1.8f, 2.2f}}, false},
    {"data/models/reactor.obj", {{-3.5f, -2.5f}, {2.5f, 3.5f}}, {{0, 0}, {9.5f, 10.5f}}, {{-3.5f, -2.5f}, {2.5f, 3.5f}}, false},
    {"data/models/pipe.obj", {{-1, -0.3f}, {0.3f, 1}}, {{-2, -2}, {2, 2}}, {{-1, -0.3f}, {0.3f, 1}}, false},
    {"data/models/ring.obj", {{-1.1f, -0.9f}, {0.9f, 1.1f}}, {{-0.4f, -0.05f}, {0.05f, 0.4f}}, {{-1.1f, -0.9f}, {0.9f, 1.1f}}, false},
};

// Material libraries are read from the stage; textures are decoded with the real decoder and
// get stand-in ids 1, 2, ... (the parser only stores them).
struct ParseContext {
    std::vector<std::string> textures;
    std::vector<std::string> textureErrors;
};

unsigned decodeTexture(void *context, std::string *, const char *name)
{
    auto *c = static_cast<ParseContext *>(context);
    std::string bytes = readFile(kStage + "/" + name);
    VlmImage im = vlm_decodePNG((const unsigned char *)bytes.data(), bytes.size(), name);
    if (!im.ok) c->textureErrors.push_back(std::string(name) + ": " + im.messages);
    c->textures.push_back(name);
    return (unsigned)c->textures.size();
}

bool readMaterial(void *context, const char *library, const char *name, OBJMaterial *material,
                  int firstTriangle, std::string *log, VlmParseOutcome *error)
{
    std::string bytes = readFile(kStage + "/" + library);
    if (bytes.empty()) return vlm_parseFail(error, std::string("missing library ") + library);
    return mtlParse({.name = name, .material = material, .firstTriangle = firstTriangle,
                     .loadTexture = decodeTexture, .textureContext = context, .log = log,
                     .error = error},
                    bytes.data(), bytes.size());
}

struct Parsed {
    bool ok = false;
    OBJModel model{};
    std::string log;
    VlmParseOutcome error;
    ParseContext context;
};

Parsed parseStaged(const char *path)
{
    Parsed p;
    std::string bytes = readFile(kStage + "/" + path);
    p.ok = !bytes.empty() && objParse(path, bytes.data(), bytes.size(), &p.model, readMaterial,
                                      &p.context, &p.log, &p.error);
    return p;
}

void bounds(const OBJModel &m, float lo[3], float hi[3])
{
    for (int k = 0; k < 3; ++k) lo[k] = 1e30f, hi[k] = -1e30f;
    for (size_t i = 0; i < m.trianglePositions.size(); ++i) {
        int k = i % 3;
        lo[k] = std::min(lo[k], m.trianglePositions[i]);
        hi[k] = std::max(hi[k], m.trianglePositions[i]);
    }
}

void PrintTo(const ModelCase &c, std::ostream *os) { *os << c.path; }

class StagedModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(StagedModel, ParsesCleanlyWithUnitNormalsAndDrawableMaterials)
{
    const ModelCase &c = GetParam();
    Parsed p = parseStaged(c.path);
    ASSERT_TRUE(p.ok) << p.error.messages;
    EXPECT_EQ(p.log.find("[!]"), std::string::npos) << p.log;
    EXPECT_EQ(p.log.find("unable"), std::string::npos) << p.log;
    EXPECT_TRUE(p.context.textureErrors.empty()) << p.context.textureErrors.front();

    // The loader sorts lines by substring, not by first word: every line must land in the
    // kind its first word says (a material name holding "vt" would turn its usemtl into a
    // texture coordinate, say).
    const OBJModel &m = p.model;
    std::map<std::string, int> firstWords;
    std::stringstream lines(readFile(kStage + "/" + c.path));
    for (std::string l; std::getline(lines, l);) ++firstWords[l.substr(0, l.find(' '))];
    EXPECT_EQ(m.positionCount, firstWords["v"]);
    EXPECT_EQ(m.normalCount, firstWords["vn"]);
    EXPECT_EQ(m.texcoordCount, firstWords["vt"]);
    EXPECT_EQ(m.triangleCount, firstWords["f"]);
    EXPECT_EQ(m.materialCount, firstWords["usemtl"]);
    EXPECT_GE(m.triangleCount, 12);
    EXPECT_LE(m.triangleCount, 4000) << "the renderer is software GL";
    ASSERT_EQ(m.trianglePositions.size(), 9u * m.triangleCount);
    ASSERT_EQ(m.triangleNormals.size(), 9u * m.triangleCount);
    EXPECT_GT(m.normalCount, 0);
    EXPECT_EQ(m.noTexcoords, c.textured ? 0 : 1);
    if (c.textured) {
        EXPECT_GT(m.texcoordCount, 0);
    }

    // Every corner has a unit normal on the side its triangle faces (counter-clockwise front).
    int badNormals = 0, inward = 0;
    for (int t = 0; t < m.triangleCount; ++t) {
        const float *p0 = &m.trianglePositions[9 * t], *n = &m.triangleNormals[9 * t];
        float e1[3], e2[3], g[3];
        for (int k = 0; k < 3; ++k) e1[k] = p0[3 + k] - p0[k], e2[k] = p0[6 + k] - p0[k];
        g[0] = e1[1] * e2[2] - e1[2] * e2[1], g[1] = e1[2] * e2[0] - e1[0] * e2[2], g[2] = e1[0] * e2[1] - e1[1] * e2[0];
        float sum = 0;
        for (int corner = 0; corner < 3; ++corner) {
            const float *nc = n + 3 * corner;
            float len = std::sqrt(nc[0] * nc[0] + nc[1] * nc[1] + nc[2] * nc[2]);
            if (std::fabs(len - 1) > 2e-3f) ++badNormals;
            sum += nc[0] * g[0] + nc[1] * g[1] + nc[2] * g[2];
        }
        if (sum <= 0) ++inward;
    }
    EXPECT_EQ(badNormals, 0);
    EXPECT_EQ(inward, 0);

    // Materials: every triangle belongs to one (none before the first usemtl), values in the
    // ranges fixed-function GL takes, a colour map on every material of a textured model.
    ASSERT_GE(m.materialCount, 1);
    EXPECT_EQ(m.materials[0].firstTriangle, 0);
    for (const OBJMaterial &mat : m.materials) {
        EXPECT_GE(mat.shininess, 0);
        EXPECT_LE(mat.shininess, 128);
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(mat.diffuse[k], 0);
            EXPECT_LE(mat.diffuse[k], 1);
            EXPECT_GE(mat.ambient[k], 0);
            EXPECT_LE(mat.ambient[k], 1);
        }
        EXPECT_GT(mat.diffuse[0] + mat.diffuse[1] + mat.diffuse[2], 0) << "an unlit black material";
        EXPECT_EQ(mat.textureFlags, c.textured ? 1 : 0);
    }
}

TEST_P(StagedModel, HasTheSizeItsSceneExpects)
{
    const ModelCase &c = GetParam();
    Parsed p = parseStaged(c.path);
    ASSERT_TRUE(p.ok) << p.error.messages;
    float lo[3], hi[3];
    bounds(p.model, lo, hi);
    const Extent *axes[3] = {c.x, c.y, c.z};
    const char *names = "xyz";
    for (int k = 0; k < 3; ++k) {
        EXPECT_GE(lo[k], axes[k][0].lo - 1e-3f) << names[k] << " minimum";
        EXPECT_LE(lo[k], axes[k][0].hi + 1e-3f) << names[k] << " minimum";
        EXPECT_GE(hi[k], axes[k][1].lo - 1e-3f) << names[k] << " maximum";
        EXPECT_LE(hi[k], axes[k][1].hi + 1e-3f) << names[k] << " maximum";
    }
}

// The material reader finds a block by plain substring search and reads every scalar key on
// every line, so a name that shows up in any other line of its library would start the block
// early and take another material's textures and end. Each name must occur once, in its
// newmtl line, and every block must set all the keys that drawing uses.
TEST_P(StagedModel, MaterialNamesAreUniqueInTheirLibraryAndBlocksAreComplete)
{
    const ModelCase &c = GetParam();
    Parsed p = parseStaged(c.path);
    ASSERT_TRUE(p.ok) << p.error.messages;
    std::string mtl = readFile(kStage + "/" + p.model.materialLibrary);
    ASSERT_FALSE(mtl.empty()) << p.model.materialLibrary;
    std::vector<std::string> lines;
    std::stringstream in(mtl);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    std::vector<std::string> names;
    for (const std::string &l : lines)
        if (l.rfind("newmtl ", 0) == 0) names.push_back(l.substr(7));
    ASSERT_FALSE(names.empty());
    for (const std::string &name : names) {
        int hits = 0;
        for (const std::string &l : lines) hits += l.find(name) != std::string::npos;
        EXPECT_EQ(hits, 1) << name;
    }
    std::string block;
    for (size_t i = 0; i <= lines.size(); ++i) {
        bool blockEnds = i == lines.size() || lines[i].rfind("newmtl ", 0) == 0;
        if (blockEnds && !block.empty()) {
            for (const char *key : {"\nNs ", "\nKa ", "\nKd ", "\nKs "})
                EXPECT_NE(block.find(key), std::string::npos) << key + 1 << " in " << block;
            block.clear();
        }
        if (i < lines.size()) block += "\n" + lines[i];
    }
}

INSTANTIATE_TEST_SUITE_P(DataModels, StagedModel, ::testing::ValuesIn(kModels),
                         [](const ::testing::TestParamInfo<ModelCase> &info) {
                             std::string n = fs::path(info.param.path).stem().string();
                             return n;
                         });

// Scene 5 lays a strip (x -2.5..2.51, z -0.1..0.11 at y = 0) at each reactor's foot; it is
// only seen if the reactor stands clear of it: no triangle over the strip's footprint (with a
// margin) comes lower than 2 units, so the legs stand beside it and the column above it.
TEST(DataModels, TheReactorStandsClearOfTheStripAtItsFoot)
{
    Parsed p = parseStaged("data/models/reactor.obj");
    ASSERT_TRUE(p.ok) << p.error.messages;
    const OBJModel &m = p.model;
    int over = 0;
    float lowest = 1e30f;
    for (int t = 0; t < m.triangleCount; ++t) {
        const float *v = &m.trianglePositions[9 * t];
        float lo[3] = {v[0], v[1], v[2]}, hi[3] = {v[0], v[1], v[2]};
        for (int c = 1; c < 3; ++c)
            for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], v[3 * c + k]), hi[k] = std::max(hi[k], v[3 * c + k]);
        bool overStrip = hi[0] > -2.7f && lo[0] < 2.7f && hi[2] > -0.3f && lo[2] < 0.3f;
        if (!overStrip) continue;
        ++over;
        lowest = std::min(lowest, lo[1]);
    }
    EXPECT_GT(over, 0) << "the column stands over the strip";
    EXPECT_GE(lowest, 2.0f) << "a part of the reactor lies on or just above the strip";
}

// ---------------------------------------------------------------------------------------------

VlmImage decodeStaged(const std::string &path)
{
    std::string bytes = readFile(kStage + "/" + path);
    return vlm_decodePNG((const unsigned char *)bytes.data(), bytes.size(), path.c_str());
}

const unsigned char *pixelAt(const VlmImage &im, int x, int y) { return &im.pixels[4 * (y * im.width + x)]; }

TEST(DataModels, EveryStagedTextureDecodes)
{
    int count = 0;
    for (const auto &entry : fs::directory_iterator(kStage + "/data/textures")) {
        if (entry.path().extension() != ".png") continue;
        VlmImage im = decodeStaged("data/textures/" + entry.path().filename().string());
        EXPECT_TRUE(im.ok) << entry.path() << ": " << im.messages;
        EXPECT_GT(im.width, 0);
        ++count;
    }
    EXPECT_GE(count, 2);
}

TEST(DataModels, TheSunIsOpaqueInTheMiddleAndClearInTheCorners)
{
    VlmImage im = decodeStaged("data/textures/sun_summer.png");
    ASSERT_TRUE(im.ok) << im.messages;
    const unsigned char *centre = pixelAt(im, im.width / 2, im.height / 2);
    const unsigned char *corner = pixelAt(im, 0, 0);
    EXPECT_EQ(centre[3], 255);
    EXPECT_GT(centre[0], 200);
    EXPECT_EQ(corner[3], 0);
}

TEST(DataModels, TheSmileIsAYellowFaceWithDarkEyesAboveItsMouth)
{
    VlmImage im = decodeStaged("data/textures/smilecube.png");
    ASSERT_TRUE(im.ok) << im.messages;
    auto isInk = [](const unsigned char *p) { return p[0] < 80 && p[1] < 80 && p[2] < 80; };
    auto isYellow = [](const unsigned char *p) { return p[0] > 180 && p[1] > 140 && p[2] < 90; };
    int w = im.width, h = im.height;
    EXPECT_TRUE(isYellow(pixelAt(im, w / 2, h / 2)));
    EXPECT_TRUE(isInk(pixelAt(im, w * 88 / 256, h * 92 / 256))) << "left eye, upper half (row 0 is the top)";
    EXPECT_TRUE(isInk(pixelAt(im, w * 168 / 256, h * 92 / 256))) << "right eye";
    EXPECT_TRUE(isInk(pixelAt(im, w / 2, h * 189 / 256))) << "bottom of the smile";
    EXPECT_TRUE(isYellow(pixelAt(im, w / 2, h * 60 / 256))) << "forehead";
    for (int i = 0; i < w * h; ++i) ASSERT_EQ(im.pixels[4 * i + 3], 255) << "opaque";
}

// ---------------------------------------------------------------------------------------------

std::map<std::string, std::string> filesUnder(const std::string &root)
{
    std::map<std::string, std::string> files;
    for (const auto &e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = readFile(e.path().string());
    return files;
}

TEST(DataModels, GeneratorWritesTheSameBytesEveryRunAndMatchesTheStage)
{
    std::string tool = std::string(VLM_BINARY_DIR) + "/tools/gen_models";
    std::string scratch = std::string(VLM_BINARY_DIR) + "/test_data_models_tmp";
    fs::remove_all(scratch);
    std::map<std::string, std::string> runs[2];
    for (int r = 0; r < 2; ++r) {
        std::string dir = scratch + "/run" + std::to_string(r);
        ASSERT_EQ(std::system((tool + " " + dir + " > /dev/null").c_str()), 0);
        runs[r] = filesUnder(dir);
    }
    fs::remove_all(scratch);
    ASSERT_FALSE(runs[0].empty());
    EXPECT_EQ(runs[0].size(), runs[1].size());
    for (const auto &[name, bytes] : runs[0]) {
        EXPECT_TRUE(runs[1].count(name) && runs[1][name] == bytes) << name << " differs between runs";
        EXPECT_EQ(readFile(kStage + "/" + name), bytes) << name << " differs from the stage";
    }
    for (const ModelCase &c : kModels) EXPECT_TRUE(runs[0].count(c.path)) << c.path;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Drawing through the real loader (packed data file first, then disk, as the demo does)

const int kView = 240;  // each model is drawn three times side by side, kView pixels square

// Frames the box lo..hi from azimuthDeg/elevationDeg in viewport `slot` with light from the eye.
void frameModel(int slot, const float lo[3], const float hi[3], double azimuthDeg, double elevationDeg)
{
    glViewport(slot * kView, 0, kView, kView);
    double c[3], r = 0;
    for (int k = 0; k < 3; ++k) c[k] = 0.5 * (lo[k] + hi[k]), r = std::max(r, 0.5 * (hi[k] - lo[k]));
    r = std::max(r * 1.75, 0.1);
    double az = azimuthDeg * M_PI / 180, el = elevationDeg * M_PI / 180, d = 3.2 * r;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(35, 1, 0.1 * r, 10 * r);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float light[4] = {0.4f, 0.8f, 1.0f, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    bool top = elevationDeg > 80;
    gluLookAt(c[0] + d * cos(el) * sin(az), c[1] + d * sin(el), c[2] + d * cos(el) * cos(az), c[0], c[1], c[2], 0,
              top ? 0 : 1, top ? -1 : 0);
}

// Pixels of viewport `slot` that differ from the background, and how many of them are yellow.
struct Coverage {
    int drawn = 0, yellow = 0;
};
Coverage coverage(const std::vector<unsigned char> &rgb, int width, int slot, const unsigned char bg[3])
{
    Coverage c;
    for (int y = 0; y < kView; ++y)
        for (int x = slot * kView; x < (slot + 1) * kView; ++x) {
            const unsigned char *p = &rgb[3 * (y * width + x)];
            if (std::abs(p[0] - bg[0]) + std::abs(p[1] - bg[1]) + std::abs(p[2] - bg[2]) > 24) ++c.drawn;
            if (p[0] > 90 && p[1] > 0.55 * p[0] && p[2] < 0.45 * p[1]) ++c.yellow;  // lit or shaded yellow
        }
    return c;
}

void writePreview(const std::vector<unsigned char> &rgb, int width, int height, const std::string &path)
{
    gdImagePtr im = gdImageCreateTrueColor(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char *p = &rgb[3 * ((height - 1 - y) * width + x)];
            gdImageSetPixel(im, x, y, gdTrueColor(p[0], p[1], p[2]));
        }
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        gdImagePngEx(im, f, 6);
        std::fclose(f);
    }
    gdImageDestroy(im);
}

TEST(DataModels, EveryModelLoadsAndDrawsLitAndAsWireframe)
{
    const int width = 3 * kView, height = kView;
    vlmTestGLContext(width, height);
    std::string previews = std::string(VLM_BINARY_DIR) + "/model_previews";
    fs::create_directories(previews);
    char oldDir[4096];
    ASSERT_NE(getcwd(oldDir, sizeof oldDir), nullptr);
    ASSERT_EQ(chdir(kStage.c_str()), 0);
    const unsigned char bg[3] = {26, 26, 34};
    for (const ModelCase &c : kModels) {
        SCOPED_TRACE(c.path);
        int id = vlm_loadOBJ(c.path);
        float lo[3], hi[3];
        bounds(OBJMODELS[id], lo, hi);
        glClearColor(bg[0] / 255.f, bg[1] / 255.f, bg[2] / 255.f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glDisable(GL_COLOR_MATERIAL);
        const double views[3][2] = {{35, 25}, {-90, 4}, {0, 89}};
        for (int slot = 0; slot < 3; ++slot) {
            frameModel(slot, lo, hi, views[slot][0], views[slot][1]);
            glPolygonMode(GL_FRONT_AND_BACK, slot == 1 ? GL_LINE : GL_FILL);
            vlm_renderOBJ(id);
        }
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glActiveTexture(GL_TEXTURE0);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glFinish();
        std::vector<unsigned char> rgb(3 * width * height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        writePreview(rgb, width, height, previews + "/" + fs::path(c.path).stem().string() + ".png");
        for (int slot = 0; slot < 3; ++slot) {
            Coverage cov = coverage(rgb, width, slot, bg);
            EXPECT_GT(cov.drawn, kView * kView / 100) << "view " << slot << " is nearly empty";
            EXPECT_LT(cov.drawn, kView * kView * 9 / 10) << "view " << slot << " is filled: framing is off";
            if (c.textured && slot == 0) {
                EXPECT_GT(cov.yellow, cov.drawn / 4) << "the smile texture is not on the cube";
            }
        }
    }
    ASSERT_EQ(chdir(oldDir), 0);
}
