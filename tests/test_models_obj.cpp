// OBJ models and MTL materials: the line rules, materials, failures, both sources, drawing.
#include "models_obj.h"
#include "gl_context.h"
#include "resource_files.h"
#include <gd.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

// In-memory MTL libraries by path; textures asked for get GL names 100, 101, ... in order.
struct Library {
    std::map<std::string, std::string> files;
    std::vector<std::string> textures;
};

unsigned textureFromLibrary(void *context, std::string *, const char *name)
{
    Library *library = (Library *)context;
    library->textures.push_back(name);
    return 99 + (unsigned)library->textures.size();
}

bool materialFromLibrary(void *context, const char *path, const char *name, OBJMaterial *material,
                         int firstTriangle, std::string *log, VlmParseOutcome *error)
{
    const std::string &text = ((Library *)context)->files[path];
    return mtlParse({.name = name, .material = material, .firstTriangle = firstTriangle,
                     .loadTexture = textureFromLibrary, .textureContext = context, .log = log,
                     .error = error},
                    text.data(), text.size());
}

struct Parsed {
    bool ok;
    OBJModel model;
    OBJMaterial material;
    std::string log;
    VlmParseOutcome error;
    Library library;
};

Parsed parseObj(const std::string &text, const std::string &mtl = "", const char *path = "m.obj")
{
    Parsed p;
    p.library.files["l.mtl"] = mtl;
    p.ok = objParse(path, text.data(), text.size(), &p.model, materialFromLibrary, &p.library,
                    &p.log, &p.error);
    return p;
}

Parsed parseMtl(const std::string &text, const char *name, bool packed = false)
{
    Parsed p;
    p.material = OBJMaterial();
    p.ok = mtlParse({.name = name, .material = &p.material, .firstTriangle = 7, .packed = packed,
                     .loadTexture = textureFromLibrary, .textureContext = &p.library,
                     .log = &p.log, .error = &p.error},
                    text.data(), text.size());
    return p;
}

const std::string SQUARE = "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nvn 0 0 1\n";

// Two materials, texture coordinates, a face before the first usemtl and a (null) use.
std::string twoMaterialModel(const std::string &library)
{
    return "# comment\nmtllib " + library + "\no thing\n" + SQUARE +
           "vn 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\ns off\n"
           "f 1/1/1 2/2/1 3/3/1\nusemtl Red\nf 1/1/1 3/3/1 4/4/1\nf 1/1/2 2/2/2 4/4/2\n"
           "usemtl (null)\nusemtl Blue\nf 2/2/1 3/3/1 4/4/1\n";
}
const char *TWO_MATERIALS_MTL = "newmtl Red\nNs 10\nKa 0.1 0 0\nKd 1 0 0\nKs 0.5 0.5 0.5\n"
                                "illum 2\nnewmtl Blue\nKd 0 0 1\nd 0.5\nNi 1.45\n";

// The tests run in a fresh directory whose data.vfile packs one model and its library;
// it is removed at exit, also by death-test children that end through exit().
std::string dir;

class ObjFiles : public ::testing::Environment {
public:
    void SetUp() override
    {
        char pattern[] = "/tmp/vlm-obj-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        dir = pattern;
        atexit([] { std::filesystem::remove_all(dir); });
        ASSERT_EQ(chdir(pattern), 0);
        ASSERT_EQ(mkdir("disk", 0755), 0);
        writeFile("./data.vfile", packedRecord("packed/thing.obj", twoMaterialModel("packed/thing.mtl")) +
                                      packedRecord("packed/thing.mtl", TWO_MATERIALS_MTL));
        writeFile("disk/thing.obj", twoMaterialModel("disk/thing.mtl"));
        writeFile("disk/thing.mtl", TWO_MATERIALS_MTL);
    }
};
::testing::Environment *const objFiles = ::testing::AddGlobalTestEnvironment(new ObjFiles);

} // namespace

// ================================================================ OBJ lines

TEST(ObjParse, DeindexesTrianglesAndStartsMaterialsAtTheirUsemtl)
{
    Parsed p = parseObj(twoMaterialModel("l.mtl"), TWO_MATERIALS_MTL);
    ASSERT_TRUE(p.ok) << p.error.messages;
    const OBJModel &m = p.model;
    EXPECT_EQ(p.log, "");
    EXPECT_EQ((std::vector<int>{m.positionCount, m.normalCount, m.texcoordCount, m.triangleCount,
                                m.noTexcoords}),
              (std::vector<int>{4, 2, 4, 4, 0}));
    // Triangle 2 (f 1/1/2 2/2/2 4/4/2): corners 1, 2, 4 with normal 2.
    EXPECT_EQ(std::vector<float>(&m.trianglePositions[18], &m.trianglePositions[27]),
              (std::vector<float>{-1, -1, 0, 1, -1, 0, -1, 1, 0}));
    EXPECT_EQ(std::vector<float>(&m.triangleNormals[18], &m.triangleNormals[21]),
              (std::vector<float>{0, 1, 0}));
    EXPECT_EQ(std::vector<float>(&m.triangleTexcoords[12], &m.triangleTexcoords[18]),
              (std::vector<float>{0, 0, 1, 0, 0, 1}));
    ASSERT_EQ(m.materialCount, 2);              // usemtl (null) makes no record
    EXPECT_EQ(m.materials[0].firstTriangle, 1); // the first face belongs to none
    EXPECT_EQ(m.materials[1].firstTriangle, 3);
    EXPECT_EQ(m.materials[1].diffuse[2], 1);
}

TEST(ObjParse, FourCornersMakeOneTriangleAndKeywordsCountAnywhere)
{
    // '#' hides a whole line; "off" keeps "f " out; no usemtl means nothing to draw.
    Parsed p = parseObj(SQUARE + "v 9 9 9 # hidden\ng leaf off\nf 1//1 2//1 3//1 4//1\n");
    ASSERT_TRUE(p.ok) << p.error.messages;
    EXPECT_EQ(p.model.positionCount, 4);
    EXPECT_EQ(p.model.noTexcoords, 1);
    ASSERT_EQ(p.model.triangleCount, 1);
    EXPECT_EQ(p.model.trianglePositions, (std::vector<float>{-1, -1, 0, 1, -1, 0, 1, 1, 0}));
    EXPECT_EQ(p.model.materialCount, 0);
    // A position//normal face among textured ones gets zero texture coordinates.
    Parsed mixed = parseObj(SQUARE + "vt 0.5 0.25\nf 1//1 2//1 3//1\nf 1/1/1 2/1/1 3/1/1\n");
    EXPECT_EQ(mixed.model.noTexcoords, 0); // the last face line decides
    EXPECT_EQ(mixed.model.triangleTexcoords,
              (std::vector<float>{0, 0, 0, 0, 0, 0, 0.5f, 0.25f, 0.5f, 0.25f, 0.5f, 0.25f}));
}

TEST(ObjParse, AnUnreadablePositionIsReportedAndSkipped)
{
    Parsed p = parseObj("v 1 2\nv 5 6 7\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.log, "v 1 2\n\n[!] unable to read vertex in m.obj (line 1)\n");
    EXPECT_EQ(p.model.trianglePositions[0], 5); // later positions moved up one slot
}

TEST(ObjParse, FatalLinesGiveTheirMessageAndStatus)
{
    struct Case { std::string text, message; } cases[] = {
        {"vt 1\n", "line error: vt 1\n\n[!] unable to read texcoord in m.obj\n"},
        {"vn 1 2\n", "[!] unable to read normal in m.obj\n"},
        {"v 1 1 1\nvn 1 1 1\nf 1 2 3\n", "[!] unable to get faces in m.obj\n"},
        {"mtllib l.mtl\nusemtl \n", "[!] Unable to get materialname from line: \nusemtl \n\n"},
        {"usemtl Red\n", "[!] No material library (mtllib) in m.obj for material Red (line 1)\n"},
    };
    for (const Case &c : cases) {
        Parsed p = parseObj(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_EQ(p.error.messages, c.message);
        EXPECT_EQ(p.error.exitStatus, -1);
    }
}

TEST(ObjParse, FaceIndicesOutsideTheFileNameFileAndLine)
{
    const std::string lists = "vt 0 0\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n"; // lines 1-5
    for (const char *face : {"f 0//1 2//1 3//1", "f -1//1 2//1 3//1", "f 1//1 2//1 4//1",
                             "f 1//1 2//2 3//1", "f 1/2/1 2/1/1 3/1/1", "f 1/0/1 2/1/1 3/1/1",
                             "f 2147483647//1 1//1 2//1"}) {
        Parsed p = parseObj(lists + face + "\n", "", "bad.obj");
        EXPECT_FALSE(p.ok) << face;
        EXPECT_EQ(p.error.messages.rfind("[!] Face index out of range in bad.obj (line 6)", 0), 0u)
            << p.error.messages;
    }
    // A position line that cannot be read is dropped: a face naming it names nothing.
    Parsed dropped = parseObj("v 0 0 0\nv 1 0 0\nv x y z\nvn 0 0 1\nf 1//1 2//1 3//1\n");
    EXPECT_FALSE(dropped.ok);
    EXPECT_EQ(dropped.error.messages,
              "[!] Face index out of range in m.obj (line 5): f 1//1 2//1 3//1\n");
}

TEST(ObjParse, FacesMayNameEntriesOnLaterLines)
{
    Parsed early = parseObj("f 3//1 2//1 1//1\nvn 0 0 1\nv 0 0 0\nv 1 0 0\nv 0 1 0\n");
    ASSERT_TRUE(early.ok) << early.error.messages;
    EXPECT_EQ(early.model.trianglePositions, (std::vector<float>{0, 1, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(early.model.triangleNormals, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    Parsed past = parseObj("f 1//1 2//1 4//1\nvn 0 0 1\nv 0 0 0\nv 1 0 0\nv 0 1 0\n");
    EXPECT_EQ(past.error.messages,
              "[!] Face index out of range in m.obj (line 1): f 1//1 2//1 4//1\n");
}

TEST(ObjParse, LongNamesDoNotOverrunAnything)
{
    std::string name(5000, 'n');
    Parsed p = parseObj("mtllib l.mtl\n" + SQUARE + "usemtl " + name + "\nf 1//1 2//1 3//1\n",
                        "newmtl " + name + "\nmap_Kd " + name + ".png\nbump " + name + ".PNG\n");
    ASSERT_TRUE(p.ok) << p.error.messages;
    EXPECT_EQ(p.library.textures, (std::vector<std::string>{name + ".png", name + ".PNG"}));
    EXPECT_EQ(p.model.materials[0].textureFlags, 3);
}

// ================================================================ MTL blocks

TEST(MtlParse, UnsetValuesAreZeroAndMissingOnesComeFromEarlierMaterials)
{
    Parsed plain = parseMtl("newmtl Plain\nKd 0.5 0.25 1\n", "Plain");
    ASSERT_TRUE(plain.ok);
    const OBJMaterial &m = plain.material;
    EXPECT_EQ(m.diffuse[1], 0.25f);
    EXPECT_EQ(m.firstTriangle, 7);
    for (float v : {m.ambient[0], m.specular[1], m.shininess, m.opticalDensity, m.dissolve})
        EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(m.illum + m.colorMap + m.bumpMap + m.textureFlags, 0u);

    Parsed third = parseMtl("newmtl First\nNs 96\nillum 2\nnewmtl Second\nNs 12\n"
                            "newmtl Third\nKd 1 1 0\nnewmtl Fourth\nNs 3\n", "Third");
    EXPECT_EQ(third.material.shininess, 12); // the nearest earlier Ns, not a later one
    EXPECT_EQ(third.material.illum, 2);
}

TEST(MtlParse, AShorterNameAlsoMatchesTheLongerNamesBlock)
{
    const char *mtl = "newmtl Material\nKd 1 0 0\nmap_Kd a.png\nnewmtl Material.001\nKd 0 1 0\n"
                      "map_Kd b.png\nnewmtl Other\nKd 0 0 1\nmap_Kd c.png\n";
    Parsed shorter = parseMtl(mtl, "Material");
    EXPECT_EQ(shorter.material.diffuse[1], 1); // read on through Material.001
    EXPECT_EQ(shorter.library.textures, (std::vector<std::string>{"a.png", "b.png"}));
    EXPECT_EQ(shorter.material.textureFlags, 2);
    EXPECT_EQ(parseMtl(mtl, "Material.001").library.textures, (std::vector<std::string>{"b.png"}));
}

TEST(MtlParse, TextureLinesCountOncePerKindAndOnlyInTheBlock)
{
    struct Case { const char *lines; int flags; size_t textures; } cases[] = {
        {"map_Kd a.png\n", 1, 1}, {"map_bump n.png\n", 2, 1}, {"bump n.png\n", 2, 1},
        {"map_Kd a.png\nmap_bump n.PNG\n", 3, 2}, {"map_Kd a.png\nmap_Kd b.png\n", 2, 2},
    };
    for (const Case &c : cases) {
        Parsed p = parseMtl(std::string("newmtl Other\nmap_Kd x.png\nnewmtl M\n") + c.lines +
                            "newmtl After\nbump z.png\n", "M");
        ASSERT_TRUE(p.ok) << p.error.messages;
        EXPECT_EQ(p.material.textureFlags, c.flags) << c.lines;
        EXPECT_EQ(p.library.textures.size(), c.textures); // none from the other blocks
    }
}

// Every key the library reads, each with a value no other field holds: a value read into the
// wrong field, or not read, shows as a mismatch in the field it belongs to.
TEST(MtlParse, EveryKeyLandsInItsOwnField)
{
    const char *text = "newmtl M\nKa 0.11 0.12 0.13\nKd 0.21 0.22 0.23\nKs 0.31 0.32 0.33\n"
                       "Ns 41\nNi 1.51\nd 0.61\nillum 7\nmap_Kd tex.png\nmap_bump nrm.png\n";
    for (bool packed : {false, true}) {
        Parsed p = parseMtl(text, "M", packed);
        ASSERT_TRUE(p.ok) << p.error.messages;
        const OBJMaterial &m = p.material;
        struct Field { const char *name; double got, want; } fields[] = {
            {"Ka r", m.ambient[0], 0.11f},  {"Ka g", m.ambient[1], 0.12f},
            {"Ka b", m.ambient[2], 0.13f},  {"Kd r", m.diffuse[0], 0.21f},
            {"Kd g", m.diffuse[1], 0.22f},  {"Kd b", m.diffuse[2], 0.23f},
            {"Ks r", m.specular[0], 0.31f}, {"Ks g", m.specular[1], 0.32f},
            {"Ks b", m.specular[2], 0.33f}, {"Ns", m.shininess, 41},
            {"Ni", m.opticalDensity, 1.51f}, {"d", m.dissolve, 0.61f},
            {"illum", (double)m.illum, 7},  {"map_Kd", (double)m.colorMap, 100},
            {"map_bump", (double)m.bumpMap, 101}, {"texture flags", (double)m.textureFlags, 3},
            {"first triangle", (double)m.firstTriangle, 7},
        };
        for (const Field &f : fields) EXPECT_EQ(f.got, f.want) << f.name << (packed ? " packed" : "");
        EXPECT_EQ(p.library.textures, (std::vector<std::string>{"tex.png", "nrm.png"}));
        // The packed variant says more; the disk one says nothing.
        EXPECT_EQ(p.log, packed ? "[MODELS OBJ] loading material M...\ncolormap found!!!\n"
                                  "loading colormap tex.png\n" : "");
    }
}

TEST(MtlParse, FatalLinesGiveTheirMessage)
{
    struct Case { std::string text, message; } cases[] = {
        {"newmtl M\nmap_Kd tex.jpg\n", "[!] Error loading texture tex.jpg, needs to be png (.PNG .png) (obj)"},
        {"newmtl M\nmap_Kd\n", "[!] Couldn't read line into material (obj): \nmap_Kd\n\n"},
        {"newmtl M\nKs 1 1 x\n", "[!] Error loading Ks value from line (obj)\nKs 1 1 x\n\n"},
        // Scalars are read on every line, outside the wanted block too.
        {"newmtl B\nNs x\nnewmtl M\n", "[!] Error loading Ns value from line (obj)\nNs x\n\n"},
    };
    for (const Case &c : cases) {
        Parsed p = parseMtl(c.text, "M");
        EXPECT_FALSE(p.ok);
        EXPECT_EQ(p.error.messages, c.message);
        EXPECT_EQ(p.error.exitStatus, -1);
    }
}

// ================================================================ loaders: disk, packed, fatal

TEST(ObjLoad, IdsGoInLoadOrderAndBothSourcesGiveEqualModels)
{
    int first = CURRENT_OBJ_ID;
    testing::internal::CaptureStdout();
    int packed = vlm_loadOBJ("packed/thing.obj");
    int disk = vlm_loadOBJ("disk/thing.obj");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(packed, first);
    EXPECT_EQ(disk, first + 1); // the fall-back to disk used no id
    EXPECT_EQ(CURRENT_OBJ_ID, first + 2);
    size_t once = out.find("[*] loading disk/thing.obj\n");
    EXPECT_NE(out.find("[*] loading disk/thing.obj\n", once + 1), std::string::npos) << out;
    EXPECT_NE(out.find("[MODELS OBJ] loading material Red...\n"), std::string::npos) << out;

    const OBJModel &a = OBJMODELS[packed], &b = OBJMODELS[disk];
    EXPECT_EQ(a.triangleCount, 4);
    EXPECT_EQ(a.trianglePositions, b.trianglePositions);
    EXPECT_EQ(a.triangleNormals, b.triangleNormals);
    EXPECT_EQ(a.triangleTexcoords, b.triangleTexcoords);
    ASSERT_EQ(a.materialCount, b.materialCount);
    for (int i = 0; i < a.materialCount; i++)
        EXPECT_EQ(memcmp(&a.materials[i], &b.materials[i], sizeof(OBJMaterial)), 0) << i;
    EXPECT_EQ(a.materials[1].opticalDensity, 1.45f);
}

TEST(ObjLoadDeath, MissingModelBadIndexAndThe129thModelEndWith255)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT({ dup2(2, 1); vlm_loadOBJ("nowhere/gone.obj"); }, ::testing::ExitedWithCode(255),
                "\\[\\*\\] loading nowhere/gone.obj\n.*\\[\\*\\] loading nowhere/gone.obj\n"
                "\\[!\\] Couldn't open nowhere/gone.obj\n");
    writeFile("disk/bad.obj", "v 0 0 0\nvn 0 0 1\nf 1//1 1//1 9//1\n");
    EXPECT_EXIT({ dup2(2, 1); vlm_loadOBJ("disk/bad.obj"); }, ::testing::ExitedWithCode(255),
                "\\[!\\] Face index out of range in disk/bad.obj \\(line 3\\)");
    EXPECT_EXIT({
        dup2(2, 1);
        for (int i = 0; i <= VLM_OBJ_MAX_MODELS; i++) vlm_loadOBJ("disk/thing.obj");
    }, ::testing::ExitedWithCode(255), "\\[!\\] Can't load disk/thing.obj: the model table holds 128");
}

// ================================================================ drawing, read back

namespace {

int loadFromText(const char *path, const std::string &obj, const std::string &mtl)
{
    std::string library = std::string(path) + ".mtl";
    writeFile(path, "mtllib " + library + "\n" + obj);
    writeFile(library, mtl);
    testing::internal::CaptureStdout();
    int id = vlm_loadOBJ(path);
    testing::internal::GetCapturedStdout();
    return id;
}

// Draws model `id` into a black 320x180 frame with x and y from -1 to 1; lit from the front.
void drawModel(int id, bool lit = false)
{
    vlmTestGLContext();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1}, front[4] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glLightfv(GL_LIGHT0, GL_POSITION, front);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    if (lit) glEnable(GL_LIGHTING), glEnable(GL_LIGHT0);
    vlm_renderOBJ(id);
    glDisable(GL_LIGHTING);
    glFinish();
    glReadBuffer(GL_BACK);
}

std::vector<int> rgb(int x, int y)
{
    unsigned char p[4];
    vlmTestReadPixel(x, y, p);
    return {p[0], p[1], p[2]};
}

} // namespace

TEST(ObjDraw, OnlyTrianglesAfterTheFirstUsemtlAreDrawnInTheMaterial)
{
    // Left half: a square before any usemtl. Right half: a square in a green material.
    int id = loadFromText("disk/halves.obj",
                          "v -1 -1 0\nv 0 -1 0\nv 0 1 0\nv -1 1 0\nv 1 -1 0\nv 1 1 0\nvn 0 0 1\n"
                          "f 1//1 2//1 3//1\nf 1//1 3//1 4//1\nusemtl Green\n"
                          "f 2//1 5//1 6//1\nf 2//1 6//1 3//1\n",
                          "newmtl Green\nKd 0 1 0\n");
    drawModel(id);
    EXPECT_EQ(rgb(80, 90), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(rgb(240, 90), (std::vector<int>{255, 0, 0})); // unlit: the current colour, red
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    drawModel(id, true);
    EXPECT_EQ(rgb(240, 90), (std::vector<int>{0, 255, 0})); // lit: the diffuse green
}

TEST(ObjDraw, EveryOneOfThreeHundredMaterialsIsDrawn)
{
    // Material i covers column i of 300 across the frame.
    std::string obj = "vn 0 0 1\n", mtl;
    for (int i = 0; i <= 300; i++)
        obj += "v " + std::to_string(-1 + i / 150.0) + " -1 0\nv " + std::to_string(-1 + i / 150.0) + " 1 0\n";
    for (int i = 0, a = 1; i < 300; i++, a += 2) {
        auto corner = [](int index) { return " " + std::to_string(index) + "//1"; };
        obj += "usemtl M" + std::to_string(i) + "_\nf" + corner(a) + corner(a + 2) + corner(a + 3) +
               "\nf" + corner(a) + corner(a + 3) + corner(a + 1) + "\n";
        mtl += "newmtl M" + std::to_string(i) + "_\nKd 1 1 1\n";
    }
    int id = loadFromText("disk/many.obj", obj, mtl);
    ASSERT_EQ(OBJMODELS[id].materialCount, 300);
    drawModel(id);
    for (int x : {2, 160, 300, 317}) EXPECT_EQ(rgb(x, 90)[0], 255) << x;
}

TEST(ObjDraw, TexturedMaterialsBindTheirColourMapOnUnitZero)
{
    vlmTestGLContext(); // textures are made while loading
    gdImagePtr image = gdImageCreateTrueColor(4, 4);
    gdImageFilledRectangle(image, 0, 0, 3, 3, gdTrueColor(0, 0, 255));
    int size = 0;
    void *png = gdImagePngPtr(image, &size);
    writeFile("disk/blue.png", std::string((const char *)png, size));
    gdFree(png);
    gdImageDestroy(image);

    int id = loadFromText("disk/tex.obj", SQUARE + "vt 0 0\nvt 1 0\nvt 1 1\nusemtl T\nf 1/1/1 2/2/1 3/3/1\n",
                          "newmtl T\nmap_Kd disk/blue.png\nmap_bump disk/blue.png\n");
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    drawModel(id);
    EXPECT_EQ(rgb(300, 20), (std::vector<int>{0, 0, 255})); // inside the lower right triangle
    // Both units are switched off afterwards, and unit 1 is left active.
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glActiveTexture(GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}
