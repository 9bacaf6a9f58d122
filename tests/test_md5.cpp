// MD5 models without a GL context: quaternion routines, the mesh and animation parsers on
// hand-written text and on the generated rig, skinning, frame choice, and the loaders' exits.
#include "models.h"
#include "read_file.h"
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <string>

namespace {

const float kS45 = 0.70710678f;  // sin 45 deg = cos 45 deg

std::string stagePath(const char *relative) { return std::string(VLM_STAGE_DIR "/") + relative; }

// Writes `text` to a fresh file under /tmp and returns its path.
std::string tempFile(const std::string &text, const char *suffix)
{
    char path[] = "/tmp/md5testXXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, text.data(), text.size()), (ssize_t)text.size());
    close(fd);
    std::string named = std::string(path) + suffix;
    rename(path, named.c_str());
    return named;
}

VlmParseOutcome parseMesh(const std::string &text, md5_model_t *model)
{
    return md5_parseMesh("t.md5mesh", text.data(), text.size(), model);
}

VlmParseOutcome parseAnim(const std::string &text, md5_anim_t *anim)
{
    return md5_parseAnimation("t.md5anim", text.data(), text.size(), anim);
}

// Replaces the first `from` in `text` by `to`; the case is wrong if `from` is missing.
std::string edited(std::string text, const std::string &from, const std::string &to)
{
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

void expectQuat(const quat4 q, float x, float y, float z, float w, float tol = 1e-6f)
{
    EXPECT_NEAR(q[0], x, tol);
    EXPECT_NEAR(q[1], y, tol);
    EXPECT_NEAR(q[2], z, tol);
    EXPECT_NEAR(q[3], w, tol);
}

// A two-joint model with one triangle: the base for the malformed cases.
const std::string kMesh =
    "MD5Version 10\n"
    "commandline \"\"\n"
    "numJoints 2\n"
    "numMeshes 1\n"
    "joints {\n"
    "\t\"root\"\t-1 ( 0 0 0 ) ( 0 0 0 )\n"
    "\t\"tip\"\t0 ( 0 0 10 ) ( 0 0 0 )\n"
    "}\n"
    "mesh {\n"
    "\t// meshes: tri\n"
    "\tshader \"s\"\n"
    "\tnumverts 3\n"
    "\tvert 0 ( 0 0 ) 0 1\n"
    "\tvert 1 ( 1 0 ) 1 1\n"
    "\tvert 2 ( 0 1 ) 2 1\n"
    "\tnumtris 1\n"
    "\ttri 0 0 1 2\n"
    "\tnumweights 3\n"
    "\tweight 0 0 1.0 ( 0 0 0 )\n"
    "\tweight 1 0 1.0 ( 1 0 0 )\n"
    "\tweight 2 1 1.0 ( 0 0 0 )\n"
    "}\n";

// A matching two-frame animation: the root's x and the tip's qz are animated.
const std::string kAnim =
    "MD5Version 10\n"
    "numFrames 2\n"
    "numJoints 2\n"
    "frameRate 24\n"
    "numAnimatedComponents 2\n"
    "hierarchy {\n"
    "\t\"root\"\t-1 1 0\n"
    "\t\"tip\"\t0 32 1\n"
    "}\n"
    "bounds {\n"
    "\t( -1 -1 -1 ) ( 1 1 1 )\n"
    "\t( -2 -2 -2 ) ( 2 2 2 )\n"
    "}\n"
    "baseframe {\n"
    "\t( 0 0 0 ) ( 0 0 0 )\n"
    "\t( 0 0 10 ) ( 0 0 0 )\n"
    "}\n"
    "frame 0 {\n"
    "\t0 0\n"
    "}\n"
    "frame 1 {\n"
    "\t4 -0.70710678\n"
    "}\n";

// ---------------------------------------------------------------- quaternions

TEST(MD5Quaternion, ComputeWTakesTheNegativeRootAndClampsToZero)
{
    struct Case { float x, y, z, w; } cases[] = {
        {0, 0, 0, -1},
        {0.6f, 0, 0, -0.8f},
        {0, 0.48f, 0.64f, -0.6f},
        {1, 0, 0, 0},
        {0.8f, 0.6f, 0.1f, 0},  // x^2 + y^2 + z^2 = 1.01
        {3, 3, 3, 0},
    };
    for (const Case &c : cases) {
        quat4 q = {c.x, c.y, c.z, 123};
        quat_computeW(q);
        EXPECT_NEAR(q[3], c.w, 1e-6f) << c.x << " " << c.y << " " << c.z;
    }
}

TEST(MD5Quaternion, ProductsMatchHandWorkedValues)
{
    const quat4 i = {1, 0, 0, 0}, j = {0, 1, 0, 0}, a = {1, 2, 3, 4}, b = {5, 6, 7, 8};
    quat4 out;
    quat_multquat(i, j, out);
    expectQuat(out, 0, 0, 1, 0);  // i j = k
    quat_multquat(j, i, out);
    expectQuat(out, 0, 0, -1, 0);  // j i = -k
    quat_multquat(a, b, out);
    expectQuat(out, 24, 48, 48, -6);
    const float v[3] = {5, 6, 7};
    quat_multVec(a, v, out);
    expectQuat(out, 16, 32, 24, -38);
    EXPECT_FLOAT_EQ(quat_dotProduct(a, b), 70);
}

TEST(MD5Quaternion, NormalizeScalesToUnitAndLeavesZeroAlone)
{
    quat4 q = {0, 0, 3, 4};
    quat_normalize(q);
    expectQuat(q, 0, 0, 0.6f, 0.8f);
    quat4 zero = {0, 0, 0, 0};
    quat_normalize(zero);
    expectQuat(zero, 0, 0, 0, 0);
}

TEST(MD5Quaternion, RotatesPointsByNinetyDegrees)
{
    struct Case { quat4 q; float p[3], out[3]; } cases[] = {
        {{0, 0, kS45, kS45}, {1, 0, 0}, {0, 1, 0}},     // about z
        {{0, 0, -kS45, -kS45}, {1, 0, 0}, {0, 1, 0}},   // the same turn with w negative
        {{kS45, 0, 0, kS45}, {0, 1, 0}, {0, 0, 1}},     // about x
        {{0, kS45, 0, kS45}, {1, 0, 0}, {0, 0, -1}},    // about y
        {{0, 0, 0, -1}, {3, -4, 5}, {3, -4, 5}},        // identity as the format stores it
    };
    for (const Case &c : cases) {
        float out[3];
        quat_rotatePoint(c.q, c.p, out);
        for (int k = 0; k < 3; k++) EXPECT_NEAR(out[k], c.out[k], 1e-6f) << k;
    }
}

TEST(MD5Quaternion, SlerpEndsHalfwayShorterArcAndNearlyEqual)
{
    const quat4 id = {0, 0, 0, 1}, z90 = {0, 0, kS45, kS45}, z90neg = {0, 0, -kS45, -kS45};
    const float s225 = sinf(M_PI / 8), c225 = cosf(M_PI / 8);
    quat4 out;
    for (float t : {0.0f, -0.5f}) {
        quat_slerp(id, z90, t, out);
        expectQuat(out, 0, 0, 0, 1);
    }
    for (float t : {1.0f, 2.0f}) {
        quat_slerp(id, z90, t, out);
        expectQuat(out, 0, 0, kS45, kS45);
    }
    quat_slerp(id, z90, 0.5f, out);
    expectQuat(out, 0, 0, s225, c225);
    // -q is the same turn: the blend goes the short way, to 45 degrees, not round by 225.
    quat_slerp(id, z90neg, 0.5f, out);
    expectQuat(out, 0, 0, s225, c225);

    // Nearly equal: a plain linear blend, which is slightly shorter than unit length.
    const quat4 near = {0, 0, 0.01f, sqrtf(1 - 0.0001f)};
    quat_slerp(id, near, 0.5f, out);
    expectQuat(out, 0, 0, 0.005f, 0.5f + 0.5f * near[3], 1e-7f);
    EXPECT_LT(quat_dotProduct(out, out), 1 - 2e-5f);
}

TEST(MD5QuaternionDeath, SlerpOfQuaternionsFarFromUnitFailsItsAssertion)
{
    const quat4 big = {0, 0, 0, 1.1f};
    quat4 out;
    EXPECT_DEATH(quat_slerp(big, big, 0.5f, out), "cosOmega < 1.1f");
}

// ---------------------------------------------------------------- mesh parser

TEST(MD5Mesh, GeneratedRigKeepsQuotedNamesAndItsCounts)
{
    std::string text = readFile(stagePath("data/md5/rig.md5mesh"));
    md5_model_t m;
    VlmParseOutcome r = parseMesh(text, &m);
    ASSERT_TRUE(r.ok) << r.messages;
    EXPECT_EQ(r.messages, "");
    EXPECT_EQ(m.version, 10);
    ASSERT_EQ(m.num_joints, 4);
    const char *names[] = {"\"origin\"", "\"spine\"", "\"arm\"", "\"head\""};
    const int parents[] = {-1, 0, 1, 1};
    for (int i = 0; i < 4; i++) {
        EXPECT_STREQ(m.baseSkel[i].name, names[i]);
        EXPECT_EQ(m.baseSkel[i].parent, parents[i]);
        EXPECT_FLOAT_EQ(m.baseSkel[i].orient[3], -1);
    }
    EXPECT_FLOAT_EQ(m.baseSkel[2].pos[0], 8);
    EXPECT_FLOAT_EQ(m.baseSkel[2].pos[2], 25);
    ASSERT_EQ(m.num_meshes, 2);
    EXPECT_STREQ(m.meshes[0].name, "body");
    EXPECT_STREQ(m.meshes[0].shader, "\"data/textures/tex2.png\"");
    EXPECT_EQ(m.meshes[0].num_verts, 24);
    EXPECT_EQ(m.meshes[0].num_tris, 12);
    EXPECT_EQ(m.meshes[0].num_weights, 36);
    EXPECT_STREQ(m.meshes[1].name, "flag");
    EXPECT_EQ(m.meshes[1].num_verts, 4);
    EXPECT_EQ(m.meshes[1].num_tris, 2);
    EXPECT_EQ(m.meshes[1].colorTexture, 0u);
}

TEST(MD5Mesh, ReadsEveryFieldOfTheEntryLines)
{
    md5_model_t m;
    std::string text = edited(kMesh, "vert 1 ( 1 0 ) 1 1", "vert 1 ( 0.25 0.75 ) 1 1");
    text = edited(text, "weight 1 0 1.0 ( 1 0 0 )", "weight 1 0 0.5 ( 1 2 3 )");
    ASSERT_TRUE(parseMesh(text, &m).ok);
    const md5_mesh_t &mesh = m.meshes[0];
    EXPECT_FLOAT_EQ(mesh.vertices[1].st[0], 0.25f);
    EXPECT_FLOAT_EQ(mesh.vertices[1].st[1], 0.75f);
    EXPECT_EQ(mesh.vertices[1].start, 1);
    EXPECT_EQ(mesh.vertices[1].count, 1);
    EXPECT_EQ(mesh.triangles[0].index[2], 2);
    EXPECT_EQ(mesh.weights[1].joint, 0);
    EXPECT_FLOAT_EQ(mesh.weights[1].bias, 0.5f);
    EXPECT_FLOAT_EQ(mesh.weights[1].pos[2], 3);
    EXPECT_EQ(mesh.weights[2].joint, 1);
}

TEST(MD5Mesh, LongNamesAreCutToTheirFields)
{
    std::string joint(100, 'j'), label(300, 'm');
    std::string text = edited(kMesh, "\"tip\"", joint);
    text = edited(text, "// meshes: tri", "// meshes: " + label);
    text = edited(text, "shader \"s\"", "shader " + label);
    md5_model_t m;
    VlmParseOutcome r = parseMesh(text, &m);
    ASSERT_TRUE(r.ok) << r.messages;
    EXPECT_EQ(std::string(m.baseSkel[1].name), std::string(63, 'j'));
    EXPECT_EQ(m.baseSkel[1].parent, 0);  // the rest of the line still reads
    EXPECT_FLOAT_EQ(m.baseSkel[1].pos[2], 10);
    EXPECT_EQ(std::string(m.meshes[0].name), std::string(255, 'm'));
    EXPECT_EQ(std::string(m.meshes[0].shader), std::string(255, 'm'));
}

TEST(MD5Mesh, MalformedInputFailsNamingTheFile)
{
    struct Case { const char *from, *to, *message; } cases[] = {
        {"weight 2 1", "weight 3 1", "mesh 0: weight 3 outside numweights 3"},
        {"weight 2 1", "weight -1 1", "mesh 0: weight -1 outside numweights 3"},
        {"vert 2 (", "vert 7 (", "mesh 0: vert 7 outside numverts 3"},
        {"tri 0 0", "tri 1 0", "mesh 0: tri 1 outside numtris 1"},
        {"weight 2 1 1.0", "weight 2 2 1.0", "mesh 0: weight 2 refers to joint 2 of 2"},
        {"weight 2 1 1.0", "weight 2 -1 1.0", "mesh 0: weight 2 refers to joint -1 of 2"},
        {"vert 2 ( 0 1 ) 2 1", "vert 2 ( 0 1 ) 2 2", "mesh 0: vert 2 uses weights 2+2 of 3"},
        {"vert 2 ( 0 1 ) 2 1", "vert 2 ( 0 1 ) -1 1", "mesh 0: vert 2 uses weights -1+1 of 3"},
        {"tri 0 0 1 2", "tri 0 0 1 3", "mesh 0: tri 0 refers to vert 3 of 3"},
        {"\"tip\"\t0", "\"tip\"\t2", "joint 1 has parent 2 of 2 joints"},
        {"\"tip\"\t0", "\"tip\"\t-2", "joint 1 has parent -2 of 2 joints"},
        {"\tnumverts 3\n\tvert 0 ( 0 0 ) 0 1\n", "\tvert 0 ( 0 0 ) 0 1\n\tnumverts 3\n",
         "mesh 0: vert before numverts"},
        {"\tnumtris 1\n\ttri 0 0 1 2\n", "\ttri 0 0 1 2\n\tnumtris 1\n",
         "mesh 0: tri before numtris"},
        {"\tnumweights 3\n\tweight 0", "\tweight 0", "mesh 0: weight before numweights"},
        {"numJoints 2\nnumMeshes 1\n", "numJoints 2\n", "mesh block before numMeshes"},
        {"numJoints 2\n", "", "joints block before numJoints"},
        {"numMeshes 1", "numMeshes 0", "mesh 0 beyond numMeshes 0"},
        {"numverts 3", "numverts -3", "numverts -3 out of range"},
        {"numtris 1", "numtris 99999999", "numtris 99999999 out of range"},
        {"numJoints 2", "numJoints -1", "numJoints -1 out of range"},
    };
    for (const Case &c : cases) {
        md5_model_t m;
        VlmParseOutcome r = parseMesh(edited(kMesh, c.from, c.to), &m);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_EQ(r.exitStatus, -1);
        EXPECT_EQ(r.messages, std::string("[!] t.md5mesh, ") + c.message + "\n");
    }
}

TEST(MD5Mesh, AnUnclosedMeshBlockIsReportedAndTheLoadGoesOn)
{
    md5_model_t m;
    VlmParseOutcome r = parseMesh(kMesh.substr(0, kMesh.size() - 2), &m);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.messages, "[!] t.md5mesh, error when reading!\n");
    EXPECT_EQ(m.meshes[0].num_weights, 3);
}

TEST(MD5Mesh, ScratchIsSizedForTheLargestMeshAndSkinningFillsOnlyItsOwn)
{
    md5_model_t m;
    ASSERT_TRUE(parseMesh(readFile(stagePath("data/md5/rig.md5mesh")), &m).ok);
    md5_sizeScratch(&m);
    EXPECT_EQ(m.vertexArray.size(), 3u * 24);
    EXPECT_EQ(m.normalArray.size(), 3u * 24);
    EXPECT_EQ(m.texCoordArray.size(), 2u * 24);
    EXPECT_EQ(m.vertexIndices.size(), 3u * 12);

    md5_prepare_mesh(&m, 0, m.baseSkel.data());
    md5_prepare_mesh(&m, 1, m.baseSkel.data());
    // The flag quad in its bind pose, corners counter-clockwise from (10, 0, 22).
    const float corners[4][3] = {{10, 0, 22}, {18, 0, 22}, {18, 0, 28}, {10, 0, 28}};
    for (int v = 0; v < 4; v++)
        for (int c = 0; c < 3; c++) EXPECT_NEAR(m.vertexArray[3 * v + c], corners[v][c], 1e-4f);
    const unsigned indices[6] = {0, 1, 2, 0, 2, 3};
    for (int k = 0; k < 6; k++) EXPECT_EQ(m.vertexIndices[k], indices[k]);
    EXPECT_FLOAT_EQ(m.texCoordArray[2], 1);  // vertex 1: s = 1, t = 1
    EXPECT_FLOAT_EQ(m.texCoordArray[3], 1);
    for (int v = 0; v < 4; v++) {  // the flag faces -y
        EXPECT_NEAR(m.normalArray[3 * v + 0], 0, 1e-6f);
        EXPECT_NEAR(m.normalArray[3 * v + 1], -1, 1e-6f);
        EXPECT_NEAR(m.normalArray[3 * v + 2], 0, 1e-6f);
    }
}

TEST(MD5Mesh, SkinningSumsRotatedWeightsByBias)
{
    // Joint 1 is turned 90 degrees about z; vertex 0 is half on each joint.
    std::string text = edited(kMesh, "\"tip\"\t0 ( 0 0 10 ) ( 0 0 0 )",
                              "\"tip\"\t0 ( 0 0 10 ) ( 0 0 -0.70710678 )");
    text = edited(text, "vert 0 ( 0 0 ) 0 1", "vert 0 ( 0 0 ) 1 2");
    text = edited(text, "weight 2 1 1.0 ( 0 0 0 )", "weight 2 1 0.5 ( 2 0 0 )");
    text = edited(text, "weight 1 0 1.0 ( 1 0 0 )", "weight 1 0 0.5 ( 4 0 0 )");
    md5_model_t m;
    ASSERT_TRUE(parseMesh(text, &m).ok);
    md5_sizeScratch(&m);
    md5_prepare_mesh(&m, 0, m.baseSkel.data());
    // 0.5 * (4, 0, 0) + 0.5 * ((0, 0, 10) + (0, 2, 0)) = (2, 1, 5)
    EXPECT_NEAR(m.vertexArray[0], 2, 1e-5f);
    EXPECT_NEAR(m.vertexArray[1], 1, 1e-5f);
    EXPECT_NEAR(m.vertexArray[2], 5, 1e-5f);
}

TEST(MD5Mesh, AnEmptyMeshSkinsToNothing)
{
    md5_model_t m;
    ASSERT_TRUE(parseMesh("numJoints 0\nnumMeshes 1\nmesh {\n\tnumverts 0\n\tnumtris 0\n}\n", &m)
                     .ok);
    md5_sizeScratch(&m);
    md5_prepare_mesh(&m, 0, m.baseSkel.data());
    EXPECT_TRUE(m.vertexArray.empty());
    EXPECT_TRUE(m.vertexIndices.empty());
}

// ---------------------------------------------------------------- mesh loader and table

TEST(MD5MeshLoad, SecondModelNumbersItsMeshesFromZeroAndGetsTheNextId)
{
    std::string path = stagePath("data/md5/rig.md5mesh");
    int first = CURRENT_ID;
    testing::internal::CaptureStdout();
    int a = vlm_loadMD5(path.c_str());
    int b = vlm_loadMD5(path.c_str());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(a, first);
    EXPECT_EQ(b, first + 1);
    EXPECT_EQ(CURRENT_ID, first + 2);
    long size = (long)readFile(path).size();
    std::string once = "warning! vlm_loadmd5, fix some malloc code. maybe laters\n> md5 " + path +
                       " is " + std::to_string(size) + " bytes\n";
    EXPECT_EQ(out, once + once);
    EXPECT_EQ(MODEL[b].num_meshes, 2);
    EXPECT_STREQ(MODEL[b].meshes[0].name, "body");
    EXPECT_STREQ(MODEL[b].meshes[1].name, "flag");
    EXPECT_EQ(MODEL[b].vertexArray.size(), 3u * 24);
}

TEST(MD5MeshLoad, AnEmptyFileIsReportedAndLoadsAnEmptyModel)
{
    std::string path = tempFile("", ".md5mesh");
    testing::internal::CaptureStdout();
    int id = vlm_loadMD5(path.c_str());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("> md5 " + path + " is 0 bytes\n[!] " + path + ", invalid filesize!\n"),
              std::string::npos) << out;
    EXPECT_EQ(MODEL[id].num_meshes, 0);
    EXPECT_EQ(MODEL[id].num_joints, 0);
    unlink(path.c_str());
}

TEST(MD5MeshLoadDeath, FatalFaultsExitWith255AndAMessage)
{
    std::string bad = tempFile(edited(kMesh, "tri 0 0 1 2", "tri 0 0 1 9"), ".md5mesh");
    std::string good = stagePath("data/md5/rig.md5mesh");
    EXPECT_EXIT((dup2(2, 1), vlm_loadMD5("/nonexistent/x.md5mesh")), testing::ExitedWithCode(255),
                "\\[!\\] Couldn't open /nonexistent/x.md5mesh");
    EXPECT_EXIT((dup2(2, 1), vlm_loadMD5(bad.c_str())), testing::ExitedWithCode(255),
                "\\[!\\] " + bad + ", mesh 0: tri 0 refers to vert 9 of 3");
    EXPECT_EXIT((dup2(2, 1), CURRENT_ID = MD5_MAX_MODELS, vlm_loadMD5(good.c_str())),
                testing::ExitedWithCode(255), "\\[!\\] " + good + ", no room for another MD5 model");
    EXPECT_EXIT((dup2(2, 1), vlm_renderMD5(CURRENT_ID)), testing::ExitedWithCode(255),
                "\\[!\\] vlm_renderMD5: no MD5 model");
    unlink(bad.c_str());
}

// ---------------------------------------------------------------- animation parser

TEST(MD5Anim, GeneratedWalkBuildsEveryFrameInModelSpace)
{
    md5_anim_t a;
    VlmParseOutcome r = parseAnim(readFile(stagePath("data/md5/rig_walk.md5anim")), &a);
    ASSERT_TRUE(r.ok) << r.messages;
    EXPECT_EQ(r.messages, "");
    EXPECT_EQ(a.version, 10);
    EXPECT_EQ(a.num_frames, 40);
    EXPECT_EQ(a.num_joints, 4);
    EXPECT_EQ(a.frameRate, 24);
    ASSERT_EQ(a.skelFrames.size(), 160u);
    EXPECT_FLOAT_EQ(a.bboxes[9].min[0], 1);
    EXPECT_FLOAT_EQ(a.bboxes[9].max[0], 16);
    EXPECT_FLOAT_EQ(a.bboxes[9].max[2], 30);

    const md5_joint_t *f9 = &a.skelFrames[9 * 4];
    EXPECT_STREQ(f9[2].name, "\"arm\"");
    EXPECT_EQ(f9[2].parent, 1);
    // Frame 9: the root 5 along x, the arm turned 90 degrees about y.
    EXPECT_NEAR(f9[0].pos[0], 5, 1e-5f);
    EXPECT_NEAR(f9[2].pos[0], 13, 1e-5f);
    EXPECT_NEAR(f9[2].pos[2], 25, 1e-5f);
    EXPECT_NEAR(fabsf(f9[2].orient[1]), kS45, 1e-5f);
    EXPECT_NEAR(f9[2].orient[1] * f9[2].orient[3], 0.5f, 1e-5f);  // same sign: +90 degrees
    EXPECT_NEAR(f9[3].pos[2], 30, 1e-5f);
    // The cycle closes: frame 36 is frame 0 again.
    for (int j = 0; j < 4; j++)
        for (int c = 0; c < 3; c++)
            EXPECT_NEAR(a.skelFrames[36 * 4 + j].pos[c], a.skelFrames[j].pos[c], 1e-5f);
}

TEST(MD5Anim, BuildsAChildFromItsParentAndItsOwnComponents)
{
    // Root at (1, 2, 3) turned 90 degrees about z; the child's base offset (1, 0, 0) and its
    // own orientation about x come from the frame's values.
    md5_jointInfo_t info[2] = {{"root", -1, 1 | 2 | 4 | 32, 0}, {"child", 0, 8, 4}};
    md5_baseFrameJoint_t base[2] = {{{0, 0, 0}, {0, 0, 0, 0}}, {{1, 0, 0}, {0, 0, 0, 0}}};
    const float values[5] = {1, 2, 3, -kS45, -kS45};
    md5_joint_t out[2];
    anim_buildFrameSkeleton(info, base, values, out, 2);
    EXPECT_STREQ(out[1].name, "child");
    EXPECT_EQ(out[1].parent, 0);
    expectQuat(out[0].orient, 0, 0, -kS45, -kS45);
    EXPECT_NEAR(out[1].pos[0], 1, 1e-6f);
    EXPECT_NEAR(out[1].pos[1], 3, 1e-6f);
    EXPECT_NEAR(out[1].pos[2], 3, 1e-6f);
    // Child: z90 * x90 (both with w negative), normalised.
    quat4 expect;
    const quat4 z90 = {0, 0, -kS45, -kS45}, x90 = {-kS45, 0, 0, -kS45};
    quat_multquat(z90, x90, expect);
    expectQuat(out[1].orient, expect[0], expect[1], expect[2], expect[3], 1e-6f);
}

// A grandchild's offset is turned by its parent's own turn first and then by the root's: with
// turns that do not commute, the other order puts it elsewhere.
TEST(MD5Anim, AGrandchildsOffsetIsTurnedByTheNearestAncestorFirst)
{
    md5_jointInfo_t info[3] = {{"root", -1, 32, 0}, {"child", 0, 8, 1}, {"grandchild", 1, 0, 2}};
    md5_baseFrameJoint_t base[3] = {
        {{0, 0, 0}, {0, 0, 0, 0}}, {{1, 0, 0}, {0, 0, 0, 0}}, {{0, 1, 0}, {0, 0, 0, 0}}};
    const float values[2] = {-kS45, -kS45};  // the root 90 degrees about z, the child about x
    md5_joint_t out[3];
    anim_buildFrameSkeleton(info, base, values, out, 3);
    const quat4 z90 = {0, 0, -kS45, -kS45}, x90 = {-kS45, 0, 0, -kS45};
    float offset[3] = {0, 1, 0}, turned[3], world[3];
    quat_rotatePoint(x90, offset, turned);
    quat_rotatePoint(z90, turned, world);
    for (int c = 0; c < 3; c++) EXPECT_NEAR(out[2].pos[c], out[1].pos[c] + world[c], 1e-5f) << c;
}

TEST(MD5Anim, InterpolationBlendsPositionsAndSlerpsOrientations)
{
    md5_joint_t a = {"a", 3, {0, 0, 0}, {0, 0, 0, 1}};
    md5_joint_t b = {"b", 7, {10, -4, 2}, {0, 0, -kS45, -kS45}};
    md5_joint_t out = {"keep", 0, {0, 0, 0}, {0, 0, 0, 0}};
    anim_skel_interpolate(&a, &b, 1, 0.25f, &out);
    EXPECT_STREQ(out.name, "keep");
    EXPECT_EQ(out.parent, 3);
    EXPECT_FLOAT_EQ(out.pos[0], 2.5f);
    EXPECT_FLOAT_EQ(out.pos[1], -1);
    EXPECT_FLOAT_EQ(out.pos[2], 0.5f);
    expectQuat(out.orient, 0, 0, sinf(M_PI / 16), cosf(M_PI / 16));
}

TEST(MD5Anim, FrameChoiceCyclesEvery36FramesOrOverShortAnimations)
{
    md5_anim_t walk = {}, shortAnim = {}, single = {};
    walk.num_frames = 40;
    walk.frameRate = 24;
    shortAnim.num_frames = 5;
    shortAnim.frameRate = 10;
    single.num_frames = 1;
    single.frameRate = 10;
    struct Case { const md5_anim_t *anim; float seconds; int a, b; float t; } cases[] = {
        {&walk, 0, 0, 1, 0},
        {&walk, 9 / 24.0f, 9, 10, 0},
        {&walk, 35.5f / 24, 35, 36, 0.5f},
        {&walk, 1.5f, 0, 1, 0},             // frame position 36 starts again at 0
        {&walk, 72.25f / 24, 0, 1, 0.25f},
        {&walk, 3600.0f, 0, 1, 0},          // 86400 frames: past 999 cycles, still cycling
        {&walk, -0.5f / 24, 35, 36, 0.5f},  // before 0: the end of the cycle
        {&shortAnim, 0.35f, 3, 4, 0.5f},
        {&shortAnim, 0.4f, 0, 1, 0},        // 4 frames in: the short cycle restarts
        {&shortAnim, 0.9f, 1, 2, 0},
        {&single, 2.0f, 0, 0, 0},
    };
    for (const Case &c : cases) {
        int a = -1, b = -1;
        float t = -1;
        anim_framesAt(c.anim, c.seconds, &a, &b, &t);
        EXPECT_EQ(a, c.a) << c.anim->num_frames << " frames at " << c.seconds << " s";
        EXPECT_EQ(b, c.b) << c.anim->num_frames << " frames at " << c.seconds << " s";
        EXPECT_NEAR(t, c.t, 1e-3f) << c.anim->num_frames << " frames at " << c.seconds << " s";
    }
}

TEST(MD5Anim, ValidationComparesCountsParentsAndNamesAsStored)
{
    md5_model_t m;
    md5_anim_t a;
    ASSERT_TRUE(parseMesh(kMesh, &m).ok);
    ASSERT_TRUE(parseAnim(kAnim, &a).ok);
    EXPECT_EQ(anim_validate(&m, &a), 1);
    struct Case { const char *from, *to; } cases[] = {
        {"\"tip\"\t0 32 1", "tip\t0 32 1"},       // unquoted: another name as stored
        {"\"tip\"\t0 32 1", "\"tip\"\t-1 32 1"},  // another parent
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(parseAnim(edited(kAnim, c.from, c.to), &a).ok);
        EXPECT_EQ(anim_validate(&m, &a), 0) << c.to;
    }
    std::string three = edited(kAnim, "numJoints 2", "numJoints 3");
    three = edited(three, "}\nbounds", "\t\"x\"\t1 0 2\n}\nbounds");
    three = edited(three, "}\nframe 0", "\t( 0 0 1 ) ( 0 0 0 )\n}\nframe 0");
    ASSERT_TRUE(parseAnim(three, &a).ok) << parseAnim(three, &a).messages;
    EXPECT_EQ(anim_validate(&m, &a), 0);
}

TEST(MD5Anim, LongJointNamesAreCutLikeTheMeshes)
{
    md5_anim_t a;
    ASSERT_TRUE(parseAnim(edited(kAnim, "\"tip\"", std::string(80, 'n')), &a).ok);
    EXPECT_EQ(std::string(a.skelFrames[1].name), std::string(63, 'n'));
    EXPECT_EQ(a.skelFrames[1].parent, 0);
}

TEST(MD5Anim, MalformedInputFailsWithItsMessage)
{
    struct Case { const char *from, *to, *message; } cases[] = {
        {"MD5Version 10", "xMD5Version 10", "[!] error loading t.md5anim, protocol mismatch (version)"},
        {"numFrames 2", "numFrames x", "[!] error loading t.md5anim, protocol mismatch (frames)"},
        {"numJoints 2", "numJoints", "[!] error loading t.md5anim, protocol mismatch (joints)"},
        {"frameRate 24", "frameRate ?", "[!] error loading t.md5anim, protocol mismatch (framerate)"},
        {"numAnimatedComponents 2", "numAnimatedComponents",
         "[!] error loading t.md5anim, protocol mismatch (components)"},
        {"numFrames 2", "numFrames 0", "[!] No frames in t.md5anim"},
        {"numFrames 2", "numFrames -2", "[!] t.md5anim, numFrames -2 out of range"},
        {"( -2 -2 -2 ) ( 2 2 2 )", "( -2 -2 -2 ) ( 2 2 )",
         "[!] t.md5anim, error reading bounding boxes!"},
        {"( 0 0 10 ) ( 0 0 0 )", "( 0 0 10 ) ( 0 0 )", "[!] t.md5anim, error reading baseframe!"},
        {"frame 1 {", "frame 2 {", "[!] t.md5anim, frame 2 outside numFrames 2"},
        {"frame 1 {", "frame -1 {", "[!] t.md5anim, frame -1 outside numFrames 2"},
        {"\"tip\"\t0 32 1", "\"tip\"\t0 32 2", "[!] t.md5anim, joint 1 reads components 2+1 of 2"},
        {"\"tip\"\t0 32 1", "\"tip\"\t0 32 -1", "[!] t.md5anim, joint 1 reads components -1+1 of 2"},
        {"\"tip\"\t0 32 1", "\"tip\"\t2 32 1", "[!] t.md5anim, joint 1 has parent 2 of 2 joints"},
        {"numJoints 2\nframeRate 24\nnumAnimatedComponents 2\nhierarchy {",
         "frameRate 24\nnumAnimatedComponents 2\nhierarchy {",
         "[!] t.md5anim, hierarchy block before numJoints"},
        {"numFrames 2\nnumJoints 2\n", "numJoints 2\nbounds {\n}\nnumFrames 2\n",
         "[!] t.md5anim, bounds block before numFrames"},
        {"numAnimatedComponents 2\n", "", "[!] t.md5anim, frame block before numAnimatedComponents"},
        {"frameRate 24", "frameRate 24\nnumFrames 3",
         "[!] t.md5anim, numFrames given again after the frames were made"},
        {"numFrames 2\nnumJoints 2", "numFrames 100000\nnumJoints 100000",
         "[!] t.md5anim, numFrames 100000 out of range"},
        {"\t\"tip\"\t0 32 1\n}\nbounds", "\t\"tip\"\t0 32 1\n}\nbounds",  // cut below
         "[!] t.md5anim, error when reading!"},
    };
    for (size_t k = 0; k < sizeof cases / sizeof cases[0]; k++) {
        const Case &c = cases[k];
        std::string text = edited(kAnim, c.from, c.to);
        if (k == sizeof cases / sizeof cases[0] - 1) text = text.substr(0, text.find("\t\"tip\""));
        md5_anim_t a;
        VlmParseOutcome r = parseAnim(text, &a);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_EQ(r.exitStatus, -1);
        EXPECT_EQ(r.messages, std::string(c.message) + "\n");
    }
}

TEST(MD5Anim, AFileThatNeverCountsItsFramesHasNone)
{
    md5_anim_t a;
    VlmParseOutcome r = parseAnim("MD5Version 10\nnumJoints 2\nframeRate 24\n", &a);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, "[!] No frames in t.md5anim\n");
}

TEST(MD5Anim, FrameSkeletonsBeyondTheLimitAreAnAllocationFailure)
{
    // 3000 frames of 3000 joints would take about 860 MB: refused like a failed malloc.
    std::string text = "numFrames 3000\nnumJoints 3000\n" + std::string(3000, '\n');
    md5_anim_t a;
    VlmParseOutcome r = parseAnim(text, &a);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, "[!] (t.md5anim) Unable to malloc :(\n");
}

TEST(MD5AnimLoad, LoadsFromDiskIntoTheNextSlot)
{
    int first = CURRENT_ANIMATION_ID;
    int id = vlm_loadMD5Animation(stagePath("data/md5/rig_short.md5anim").c_str());
    EXPECT_EQ(id, first);
    EXPECT_EQ(CURRENT_ANIMATION_ID, first + 1);
    EXPECT_EQ(ANIMATION[id].num_frames, 5);
    EXPECT_EQ(ANIMATION[id].frameRate, 10);
    EXPECT_NEAR(ANIMATION[id].skelFrames[4 * 4].pos[0], 8, 1e-5f);
}

TEST(MD5AnimLoadDeath, FatalFaultsExitWith255AndAMessage)
{
    std::string bad = tempFile(edited(kAnim, "numFrames 2", "numFrames 0"), ".md5anim");
    std::string good = stagePath("data/md5/rig_walk.md5anim");
    EXPECT_EXIT((dup2(2, 1), vlm_loadMD5Animation("/nonexistent/x.md5anim")),
                testing::ExitedWithCode(255), "\\[!\\] couldn't open /nonexistent/x.md5anim");
    EXPECT_EXIT((dup2(2, 1), vlm_loadMD5Animation(bad.c_str())), testing::ExitedWithCode(255),
                "\\[!\\] No frames in " + bad);
    EXPECT_EXIT((dup2(2, 1), CURRENT_ANIMATION_ID = MD5_MAX_ANIMATIONS,
                 vlm_loadMD5Animation(good.c_str())),
                testing::ExitedWithCode(255),
                "\\[!\\] " + good + ", no room for another MD5 animation");
    unlink(bad.c_str());
}

}  // namespace
