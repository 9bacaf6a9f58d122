// MD5 drawing on a real GL context: the generated rig in its bind pose and in animated poses,
// its skeleton and its lighting, checked by reading pixels back where the skinned positions say.
#include "gl_context.h"
#include "models.h"
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include <string>

namespace {

const int kWidth = 320, kHeight = 180;

struct Rgb { int r, g, b; };

class MD5Draw : public testing::Test {
protected:
    static int model, walk;

    static void SetUpTestSuite()
    {
        vlmTestGLContext(kWidth, kHeight);
        // The player loads its textures by relative path, as the demo does from its stage.
        ASSERT_EQ(chdir(VLM_STAGE_DIR), 0);
        testing::internal::CaptureStdout();
        model = vlm_loadMD5("data/md5/rig.md5mesh");
        walk = vlm_loadMD5Animation("data/md5/rig_walk.md5anim");
        testing::internal::GetCapturedStdout();
    }

    // An orthographic view of the framework's y-up space: x -6..6, y -0.5..6.25, 26.7 px a unit;
    // the rig's drawing scale of 0.2 puts its point (x, y, z) at (0.2 x, 0.2 z) on screen.
    void SetUp() override
    {
        glViewport(0, 0, kWidth, kHeight);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-6, 6, -0.5, 6.25, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 1, 1);
        glReadBuffer(GL_BACK);
    }

    // The colour drawn at the rig's point (x, 0, z) in MD5 space.
    static Rgb at(float x, float z)
    {
        glFinish();
        int px = (int)((0.2f * x + 6) / 12 * kWidth), py = (int)((0.2f * z + 0.5f) / 6.75f * kHeight);
        unsigned char p[4];
        vlmTestReadPixel(px, py, p);
        return {p[0], p[1], p[2]};
    }
    static bool drawn(float x, float z)
    {
        Rgb c = at(x, z);
        return c.r + c.g + c.b > 0;
    }
};

int MD5Draw::model = -1, MD5Draw::walk = -1;

// Body box x -4..4, z 0..30; flag x 10..18, z 22..28 in the bind pose.
TEST_F(MD5Draw, BindPoseDrawsBodyAndFlagWhereTheirVerticesAre)
{
    vlm_renderMD5(model);
    EXPECT_TRUE(drawn(0, 15));
    EXPECT_TRUE(drawn(-3.5f, 1));
    EXPECT_TRUE(drawn(3.5f, 29));
    EXPECT_TRUE(drawn(14, 25));
    EXPECT_TRUE(drawn(10.5f, 22.5f));
    EXPECT_FALSE(drawn(-5, 15));   // left of the body
    EXPECT_FALSE(drawn(7, 25));    // between body and flag
    EXPECT_FALSE(drawn(14, 29.5f));  // above the flag
    EXPECT_FALSE(drawn(13, 18));   // where the flag hangs at frame 9
    EXPECT_FALSE(drawn(0, 31));    // above the head
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
}

TEST_F(MD5Draw, EachMeshDrawsOnlyItsOwnTriangles)
{
    // 12 body triangles, then 2 flag triangles from the shared, larger scratch arrays.
    GLuint query;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    vlm_renderMD5(model);
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint primitives = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
    glDeleteQueries(1, &query);
    EXPECT_EQ(primitives, 14u);
}

TEST_F(MD5Draw, LitFrontFacesFaceTheViewer)
{
    // Light from the viewer; the body's front (MD5 -y) is counter-clockwise on screen, so back
    // faces are culled and what shows is lit by its computed normal: 0.2 x 0.2 + 0.8 = 0.84.
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glDisable(GL_COLOR_MATERIAL);
    const GLfloat towardsViewer[4] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    vlm_renderMD5(model);
    Rgb body = at(0, 15), flag = at(14, 25);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    EXPECT_NEAR(body.r, 214, 3);
    EXPECT_NEAR(flag.g, 214, 3);
}

TEST_F(MD5Draw, SkeletonDrawsJointCubesAndBonesInModelSpace)
{
    // View the model space from the front: x across, z up, 5 px a unit.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-32.1, 31.9, -2.1, 33.9, -50, 50);
    glMatrixMode(GL_MODELVIEW);
    glRotatef(-90, 1, 0, 0);
    vlm_md5_renderSkeleton(model);
    glFinish();
    auto pinkNear = [](float x, float z) {
        int px = (int)((x + 32.1f) * 5), py = (int)((z + 2.1f) * 5);
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++) {
                unsigned char p[4];
                vlmTestReadPixel(px + dx, py + dy, p);
                if (p[0] == 255 && p[1] >= 177 && p[1] <= 180 && p[2] >= 177 && p[2] <= 180)
                    return true;
            }
        return false;
    };
    EXPECT_TRUE(pinkNear(0, 0));     // joint cubes
    EXPECT_TRUE(pinkNear(0, 15));
    EXPECT_TRUE(pinkNear(8, 25));
    EXPECT_TRUE(pinkNear(0, 30));
    EXPECT_TRUE(pinkNear(0, 7.5f));  // bone origin - spine
    EXPECT_TRUE(pinkNear(4, 20));    // bone spine - arm
    EXPECT_FALSE(pinkNear(-8, 20));
    EXPECT_FALSE(pinkNear(20, 10));
}

TEST_F(MD5Draw, AnimatedPoseMovesTheMeshesAndTheModelKeepsIt)
{
    // Frame 9 of the walk: root 5 along x, the flag turned down to x 10..16, z 15..23.
    vlm_renderAnimatedMD5(model, walk, 9 / 24.0f);
    EXPECT_TRUE(drawn(5, 15));
    EXPECT_TRUE(drawn(13, 18));
    EXPECT_TRUE(drawn(10.5f, 22.5f));
    EXPECT_FALSE(drawn(-3, 15));    // the body has left its bind place
    EXPECT_FALSE(drawn(14, 25));    // so has the flag
    EXPECT_FALSE(drawn(17, 18));

    // The colour map modulated by the normal map's texel at unit 1's texture coordinate (0, 0),
    // a flat normal (128, 128, 255): orange or teal checker squares, halved in red and green.
    Rgb c = at(5, 15);
    bool orange = abs(c.r - 128) <= 3 && abs(c.g - 85) <= 3 && abs(c.b - 60) <= 3;
    bool teal = abs(c.r - 35) <= 3 && abs(c.g - 105) <= 3 && abs(c.b - 200) <= 3;
    EXPECT_TRUE(orange || teal) << c.r << " " << c.g << " " << c.b;

    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glActiveTexture(GL_TEXTURE1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glActiveTexture(GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_NE(MODEL[model].meshes[1].colorTexture, 0u);
    EXPECT_NE(MODEL[model].meshes[1].normalTexture, MODEL[model].meshes[1].colorTexture);

    // The model keeps the last pose drawn: the plain renderer shows frame 9 too.
    glClear(GL_COLOR_BUFFER_BIT);
    vlm_renderMD5(model);
    EXPECT_TRUE(drawn(13, 18));
    EXPECT_FALSE(drawn(14, 25));
}

TEST_F(MD5Draw, TimeZeroDrawsFrameZeroExactly)
{
    vlm_renderAnimatedMD5(model, walk, 9 / 24.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    vlm_renderAnimatedMD5(model, walk, 0);
    const md5_joint_t *frame0 = ANIMATION[walk].skelFrames.data();
    for (int j = 0; j < 4; j++) {
        for (int c = 0; c < 3; c++) EXPECT_EQ(MODEL[model].baseSkel[j].pos[c], frame0[j].pos[c]);
        for (int c = 0; c < 4; c++)
            EXPECT_EQ(MODEL[model].baseSkel[j].orient[c], frame0[j].orient[c]);
    }
    EXPECT_TRUE(drawn(14, 25));  // frame 0 is the bind pose
    EXPECT_FALSE(drawn(13, 18));
}

TEST_F(MD5Draw, AnIncompatibleAnimationWarnsOnEveryCallAndStillDraws)
{
    std::string text;
    {
        FILE *f = fopen("data/md5/rig_walk.md5anim", "rb");
        ASSERT_TRUE(f);
        char buf[8192];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        fclose(f);
    }
    text.replace(text.find("\"arm\""), 5, "\"wing\"");
    char path[] = "/tmp/md5glXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, text.data(), text.size()), (ssize_t)text.size());
    close(fd);
    int other = vlm_loadMD5Animation(path);
    unlink(path);

    vlm_renderAnimatedMD5(model, walk, 0);  // the first call loads the textures
    testing::internal::CaptureStdout();
    vlm_renderAnimatedMD5(model, walk, 0);
    vlm_renderAnimatedMD5(model, other, 9 / 24.0f);
    vlm_renderAnimatedMD5(model, other, 9 / 24.0f);
    std::string out = testing::internal::GetCapturedStdout();
    std::string warning = "[/] Animation " + std::to_string(other) + " is not compatible with model " +
                          std::to_string(model) + "\n";
    EXPECT_EQ(out, warning + warning);
    EXPECT_TRUE(drawn(5, 15));
    EXPECT_TRUE(drawn(13, 18));
}

}  // namespace
