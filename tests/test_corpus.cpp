// Regression corpus of malformed files: every file under tests/corpus/<loader>/ goes through its
// real vlm_ loader in a child process and must end as tests/corpus/expected.txt says (exit
// status and message), never by a signal or a sanitizer report. Cases too big to commit (names
// of 10 000 characters and the like) are generated here into a fresh directory.
#include "camera.h"
#include "io.h"
#include "models.h"
#include "models_obj.h"
#include "resource_files.h"
#include "textures.h"
#include <dirent.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <fstream>
#include <set>
#include <sstream>

namespace {

const std::string CORPUS = std::string(VLM_SOURCE_DIR) + "/tests/corpus";
const char *PACKED_NAME = "data/shader/post.frag";  // what the packed-file cases ask for
const char *MATERIAL = "Mat";                        // what the MTL cases ask for

// One case: which loader reads the file, and how it must end.
struct CorpusCase {
    std::string loader;   // directory name: obj, mtl, track, md5mesh, md5anim, tga, vfile
    std::string dir;      // where the file lies; the loader runs with this working directory
    std::string file;     // file name inside dir, as handed to the loader
    int status;           // exit status; kLoads when the loader must return
    std::string message;  // text standard output must hold
    std::string request;  // packed-file cases: the name asked for
};
const int kLoads = -1000;

// Failures name the case, not its bytes.
void PrintTo(const CorpusCase &c, std::ostream *os) { *os << c.loader << "/" << c.file; }

// ---------------------------------------------------------------- the loaders, as the demo calls them

void loadPacked(const CorpusCase &c)
{
    // The reader only knows "data.vfile" in the working directory.
    char dir[] = "/tmp/vlm-corpus-XXXXXX";
    if (!mkdtemp(dir)) _exit(90);
    std::ifstream in(c.dir + "/" + c.file, std::ios::binary);
    std::ofstream(std::string(dir) + "/data.vfile", std::ios::binary) << in.rdbuf();
    if (chdir(dir) != 0) _exit(91);
    unsigned size = 0;
    char *data = vlm_io_uncompress(c.request.c_str(), &size);
    if (data) printf("[corpus] loaded: %u bytes\n", size);
    else printf("[corpus] loaded: no record\n");
    free(data);
}

void loadByLoader(const CorpusCase &c)
{
    const char *path = c.file.c_str();
    if (c.loader == "obj") {
        int id = vlm_loadOBJ(path);
        printf("[corpus] loaded: %d triangles, %d materials\n", OBJMODELS[id].triangleCount,
               OBJMODELS[id].materialCount);
    } else if (c.loader == "mtl") {
        OBJMaterial m = {};
        loadMaterial(path, MATERIAL, &m, 0);
        printf("[corpus] loaded: flags %d, Kd %g %g %g, Ns %g\n", m.textureFlags, m.diffuse[0],
               m.diffuse[1], m.diffuse[2], m.shininess);
    } else if (c.loader == "track") {
        int id = vlm_genCameraTrack(VLM_TRACK_LOADED, path);
        printf("[corpus] loaded: %u keys\n", CAMERA_TRACK[id].keyCount);
    } else if (c.loader == "md5mesh") {
        int id = vlm_loadMD5(path);
        printf("[corpus] loaded: %d joints, %d meshes\n", MODEL[id].num_joints,
               MODEL[id].num_meshes);
    } else if (c.loader == "md5anim") {
        int id = vlm_loadMD5Animation(path);
        printf("[corpus] loaded: %d frames of %d joints\n", ANIMATION[id].num_frames,
               ANIMATION[id].num_joints);
    } else if (c.loader == "tga") {
        vlm_loadTGA(path);  // every corpus TGA is refused before anything reaches the GL
        printf("[corpus] loaded\n");
    } else {
        printf("[corpus] no loader for %s\n", c.loader.c_str());
        fflush(stdout);
        _exit(92);
    }
}

// The child's whole life: messages to standard error (where the death test reads them), the
// loader, and a plain exit when it returned.
void runCase(const CorpusCase &c)
{
    dup2(2, 1);
    if (c.loader == "vfile") {
        loadPacked(c);
    } else {
        if (chdir(c.dir.c_str()) != 0) _exit(93);
        loadByLoader(c);
    }
    fflush(stdout);
    _exit(0);
}

void expectCaseEnds(const CorpusCase &c)
{
    using ::testing::AllOf;
    using ::testing::HasSubstr;
    using ::testing::Not;
    int status = c.status == kLoads ? 0 : c.status;
    auto clean = AllOf(HasSubstr(c.message), Not(HasSubstr("runtime error")),
                       Not(HasSubstr("Sanitizer")));
    if (c.status == kLoads)
        EXPECT_EXIT(runCase(c), ::testing::ExitedWithCode(status),
                    AllOf(clean, HasSubstr("[corpus] loaded")));
    else
        EXPECT_EXIT(runCase(c), ::testing::ExitedWithCode(status),
                    AllOf(clean, Not(HasSubstr("[corpus] loaded"))));
}

// ---------------------------------------------------------------- the committed corpus

std::string trim(const std::string &s)
{
    size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// "\\n" in a manifest message stands for a line break.
std::string unescapeNewlines(std::string s)
{
    for (size_t at; (at = s.find("\\n")) != std::string::npos;) s.replace(at, 2, "\n");
    return s;
}

// Every line of expected.txt that is not a comment, a blank or a support file.
std::vector<CorpusCase> manifest(std::set<std::string> *support = nullptr)
{
    std::vector<CorpusCase> cases;
    std::ifstream in(CORPUS + "/expected.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (trim(line).empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string path, status;
        fields >> path >> status;
        std::string rest;
        std::getline(fields, rest);
        if (status == "support") {
            if (support) support->insert(path);
            continue;
        }
        size_t slash = path.find('/');
        CorpusCase c;
        c.loader = path.substr(0, slash);
        c.dir = CORPUS + "/" + c.loader;
        c.file = path.substr(slash + 1);
        c.status = status == "ok" ? kLoads : atoi(status.c_str());
        c.message = unescapeNewlines(trim(rest));
        c.request = PACKED_NAME;
        cases.push_back(c);
    }
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<CorpusCase> &info)
{
    std::string name = info.param.loader + "_" + info.param.file;
    for (char &ch : name)
        if (!isalnum((unsigned char)ch)) ch = '_';
    return name;
}

class Corpus : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(Corpus, EndsAsExpected) { expectCaseEnds(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Files, Corpus, ::testing::ValuesIn(manifest()), caseName);

// Files on disk and lines of the manifest must match one for one.
TEST(CorpusManifest, EveryFileHasALineAndEveryLineAFile)
{
    std::set<std::string> listed, support, found;
    for (const CorpusCase &c : manifest(&support)) listed.insert(c.loader + "/" + c.file);
    EXPECT_GT(listed.size(), 80u);
    DIR *root = opendir(CORPUS.c_str());
    ASSERT_TRUE(root);
    while (dirent *loader = readdir(root)) {
        std::string name = loader->d_name;
        if (name[0] == '.' || loader->d_type != DT_DIR) continue;
        DIR *dir = opendir((CORPUS + "/" + name).c_str());
        while (dirent *file = readdir(dir))
            if (file->d_name[0] != '.') found.insert(name + "/" + file->d_name);
        closedir(dir);
    }
    closedir(root);
    std::set<std::string> expected = listed;
    expected.insert(support.begin(), support.end());
    EXPECT_EQ(found, expected);
}

// ---------------------------------------------------------------- generated cases

std::string repeat(const std::string &s, int times)
{
    std::string out;
    for (int i = 0; i < times; i++) out += s;
    return out;
}

const std::string LONG = repeat("n", 10000);
const std::string TRIANGLE = "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nvn 0 0 1\n";

// About 100 KB of mesh blocks, each claiming 90 000 vertices: every count fits the file, but
// together they would ask for gigabytes.
std::string meshBomb()
{
    const std::string block = "mesh {\n\tnumverts 90000\n}\n";
    return "numJoints 0\nnumMeshes 3900\n" + repeat(block, 3900);
}

struct Generated {
    const char *name;
    const char *loader;
    const char *file;
    std::string bytes;
    int status;
    std::string message;
    std::string request = PACKED_NAME;
};

std::vector<Generated> generatedCases()
{
    const std::string md5Joint = "MD5Version 10\nnumJoints 1\nnumMeshes 0\njoints {\n\t\"";
    const std::string anim = "numFrames 1\nnumJoints 1\nnumAnimatedComponents 1\nhierarchy {\n\t";
    return {
        {"ObjLibraryName10000", "obj", "m.obj",
         "mtllib " + LONG + ".mtl\n" + TRIANGLE + "usemtl Mat\nf 1//1 2//1 3//1\n", 255,
         "[!] Couldn't open " + LONG + ".mtl"},
        {"ObjMaterialName10000", "obj", "m.obj",
         "mtllib m.obj\n" + TRIANGLE + "usemtl " + LONG + "\nf 1//1 2//1 3//1\n", kLoads,
         "[corpus] loaded: 1 triangles, 1 materials"},
        {"ObjFaceOf10000Corners", "obj", "m.obj", TRIANGLE + "f " + repeat("3//1 ", 10000) + "\n",
         kLoads, "[corpus] loaded: 1 triangles, 0 materials"},
        {"ObjIndexOf10000Digits", "obj", "m.obj", TRIANGLE + "f " + repeat("9", 10000) + "//1 1//1 2//1\n",
         255, "[!] Face index out of range in m.obj (line 5)"},
        {"MtlTextureName10000", "mtl", "m.mtl", "newmtl Mat\nmap_Kd " + LONG + ".png\n", 255,
         "[! " + LONG + ".png] file not found."},
        {"MtlBlockName10000", "mtl", "m.mtl", "newmtl " + LONG + "\nKd 0 1 0\n", kLoads,
         "[corpus] loaded: flags 0, Kd 0 1 0"},
        {"TrackTimeOf10000Digits", "track", "t.vtrack", repeat("7", 10000) + " 1 2 3 0 0 0\n",
         kLoads, "[corpus] loaded: 1 keys"},
        {"TrackLineOf10000Blanks", "track", "t.vtrack", "1000" + repeat(" ", 10000) + "1\n2000\n",
         kLoads, "[corpus] loaded: 2 keys"},
        {"Md5JointName10000", "md5mesh", "m.md5mesh",
         md5Joint + LONG + "\" -1 ( 0 0 0 ) ( 0 0 0 )\n}\n", kLoads,
         "[corpus] loaded: 1 joints, 0 meshes"},
        {"Md5MeshAndShaderName10000", "md5mesh", "m.md5mesh",
         "numJoints 0\nnumMeshes 1\nmesh {\n\t// meshes: " + LONG + "\n\tshader \"" + LONG +
             "\"\n}\n",
         kLoads, "[corpus] loaded: 0 joints, 1 meshes"},
        {"Md5MeshBlocksThatEachClaimTheFile", "md5mesh", "m.md5mesh", meshBomb(), 255,
         "[!] m.md5mesh, numverts 90000 out of range"},
        {"Md5AnimJointName10000", "md5anim", "a.md5anim",
         anim + "\"" + LONG + "\" -1 1 0\n}\nframe 0 {\n\t1\n}\n", kLoads,
         "[corpus] loaded: 1 frames of 1 joints"},
        {"Md5AnimFrameOf10000Values", "md5anim", "a.md5anim",
         anim + "\"a\" -1 1 0\n}\nframe 0 {\n" + repeat("\t1.5\n", 10000) + "}\n", kLoads,
         "[corpus] loaded: 1 frames of 1 joints"},
        {"PackedNameAsked10000", "vfile", "p.vfile", packedRecord(LONG, "abc"), 0,
         "Unable to get sizes.", LONG},
        {"PackedRecordName10000EndingInTheAskedName", "vfile", "p.vfile",
         packedRecord(LONG + PACKED_NAME, "void main() {}\n"), kLoads,
         "[corpus] loaded: 15 bytes"},
    };
}

void PrintTo(const Generated &g, std::ostream *os) { *os << g.name; }

class GeneratedCorpus : public ::testing::TestWithParam<Generated> {};

TEST_P(GeneratedCorpus, EndsAsExpected)
{
    const Generated &g = GetParam();
    char dir[] = "/tmp/vlm-corpus-XXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    std::ofstream(std::string(dir) + "/" + g.file, std::ios::binary) << g.bytes;
    expectCaseEnds({g.loader, dir, g.file, g.status, g.message, g.request});
}

INSTANTIATE_TEST_SUITE_P(Big, GeneratedCorpus, ::testing::ValuesIn(generatedCases()),
                         [](const ::testing::TestParamInfo<Generated> &info) {
                             return std::string(info.param.name);
                         });

}  // namespace
