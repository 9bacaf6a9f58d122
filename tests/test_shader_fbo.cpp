// Shader programs and render targets on a real GL context, checked by reading pixels back.
#include "gl_context.h"
#include "fbo.h"
#include "io.h"
#include "live.h"
#include "resource_files.h"
#include "shader.h"
#include "vlm.h"
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <zlib.h>
#include <string>

static const int W = 320, H = 180;

static const char *SOLID_FRAG = "void main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n";
static const char *PASS_VERT = "void main() { gl_Position = gl_Vertex; }\n";
static const char *UNIFORM_FRAG =
    "uniform float f1; uniform vec2 f2; uniform vec3 f3; uniform vec4 f4; uniform int which;\n"
    "void main() {\n"
    "  vec4 c = f4;\n"
    "  if (which == 1) c = vec4(f1, 0.0, 0.0, 1.0);\n"
    "  if (which == 2) c = vec4(f2, 0.0, 1.0);\n"
    "  if (which == 3) c = vec4(f3, 1.0);\n"
    "  gl_FragColor = c;\n"
    "}\n";
static const char *TWO_OUTPUTS_FRAG =
    "void main() { gl_FragData[0] = vec4(1.0, 0.0, 0.0, 1.0); gl_FragData[1] = vec4(0.0, 0.0, 1.0, 1.0); }\n";
static const char *BROKEN_FRAG = "void main() { gl_FragColor = vec4(1.0) + ; }\n";

// One GL window and one working directory for the whole process: shader sources on disk,
// one of them also packed into data.vfile.
class GLTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        enterTempDir();
        writeFile("solid.frag", SOLID_FRAG);
        writeFile("pass.vert", PASS_VERT);
        writeFile("uniform.frag", UNIFORM_FRAG);
        writeFile("two.frag", TWO_OUTPUTS_FRAG);
        writeFile("broken.frag", BROKEN_FRAG);
        writeFile("disk.frag", SOLID_FRAG);
        writeFile("data.vfile", packedRecord("packed.frag", SOLID_FRAG));
        vlmTestGLContext(W, H);
        vlm_handleResize(W, H);
    }
    void SetUp() override
    {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
        glViewport(0, 0, W, H);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        vlm_disableShader();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
};

// A quad over the whole viewport at depth z (device coordinates).
static void fullQuad(float z = 0)
{
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, z);
    glVertex3f(1, -1, z);
    glVertex3f(1, 1, z);
    glVertex3f(-1, 1, z);
    glEnd();
}

static void expectPixel(int x, int y, int r, int g, int b, const char *what)
{
    unsigned char p[4];
    vlmTestReadPixel(x, y, p);
    EXPECT_NEAR(p[0], r, 2) << what;
    EXPECT_NEAR(p[1], g, 2) << what;
    EXPECT_NEAR(p[2], b, 2) << what;
}

// ------------------------------------------------------------------ shader programs

TEST_F(GLTest, FragmentOnlyProgramColoursAQuad)
{
    int program = vlm_loadShader(nullptr, "solid.frag");
    vlm_enableShader(program);
    glColor3f(1, 0, 1);  // the fixed-function colour would be magenta
    fullQuad();
    vlm_disableShader();
    expectPixel(W / 2, H / 2, 0, 255, 0, "green from the fragment shader");
    glColor3f(1, 0, 1);
    fullQuad();
    expectPixel(W / 2, H / 2, 255, 0, 255, "fixed function after vlm_disableShader");
}

TEST_F(GLTest, UniformCountsOneToFourSetThatManyComponents)
{
    int program = vlm_loadShader("pass.vert", "uniform.frag");
    vlm_enableShader(program);
    const float values[4] = {0.2f, 0.4f, 0.6f, 0.8f};
    struct Case {
        int count;
        int rgb[3];
    } cases[] = {{1, {51, 0, 0}}, {2, {51, 102, 0}}, {3, {51, 102, 153}}, {4, {51, 102, 153}}};
    for (const Case &c : cases) {
        vlm_shader_sendUniformInt(program, "which", c.count);
        const char *name[] = {"", "f1", "f2", "f3", "f4"};
        vlm_shader_sendUniformValue(program, name[c.count], values, c.count);
        fullQuad();
        expectPixel(5, 5, c.rgb[0], c.rgb[1], c.rgb[2], name[c.count]);
    }
    vlm_disableShader();
}

TEST_F(GLTest, UniformCountAboveFourPrintsAndSendsNothingNegativeDoesNothing)
{
    int program = vlm_loadShader("pass.vert", "uniform.frag");
    vlm_enableShader(program);
    vlm_shader_sendUniformInt(program, "which", 4);
    const float blue[4] = {0, 0, 1, 1}, red[5] = {1, 0, 0, 1, 1};
    vlm_shader_sendUniformValue(program, "f4", blue, 4);
    testing::internal::CaptureStdout();
    vlm_shader_sendUniformValue(program, "f4", red, 5);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[!] The velmor framework only supports float4\n Any complains? Go to hell.\n");
    testing::internal::CaptureStdout();
    vlm_shader_sendUniformValue(program, "f4", red, -1);
    vlm_shader_sendUniformValue(program, "no_such_uniform", red, 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    fullQuad();
    expectPixel(5, 5, 0, 0, 255, "still the blue sent before");
    vlm_disableShader();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(GLTest, PackedSourceIsReadOnceAndCompiledForEachProgram)
{
    testing::internal::CaptureStdout();
    int a = vlm_loadShader(nullptr, "packed.frag");
    int b = vlm_loadShader(nullptr, "packed.frag");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "File packed.frag found in data.vfile\n");
    EXPECT_NE(vlm_shaderProgram(a), vlm_shaderProgram(b));
    vlm_enableShader(b);
    fullQuad();
    vlm_disableShader();
    expectPixel(1, 1, 0, 255, 0, "program from packed source");
}

TEST_F(GLTest, PackedAndDiskSourcesGiveTheSameText)
{
    testing::internal::CaptureStdout();
    char *packed = loadFile("packed.frag");
    char *disk = loadFile("disk.frag");
    testing::internal::GetCapturedStdout();
    EXPECT_STREQ(packed, disk);
    EXPECT_STREQ(packed, SOLID_FRAG);
    free(packed);
    free(disk);
}

TEST_F(GLTest, CompileFailurePrintsTheLogAsAWarningAndGoesOn)
{
    testing::internal::CaptureStdout();
    int program = vlm_loadShader("pass.vert", "broken.frag");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[/] shader compile failed for broken.frag:\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[/] program link failed for pass.vert + broken.frag:"), std::string::npos) << out;
    EXPECT_GE(program, 0);
    EXPECT_EQ(vlm_loadShader(nullptr, "solid.frag"), program + 1);
}

// Draws a full quad with each program and checks the colour it leaves.
static void expectPrograms(std::initializer_list<int> programs, int r, int g, int b, const char *what)
{
    for (int program : programs) {
        vlm_enableShader(program);
        fullQuad();
        vlm_disableShader();
        expectPixel(W / 2, H / 2, r, g, b, what);
    }
}

TEST_F(GLTest, LiveRebuildRecoloursEveryProgramOfTheFileUnderItsIndexAndKeepsTheLastGoodBuild)
{
    writeFile("live.frag", SOLID_FRAG);
    int a = vlm_loadShader(nullptr, "live.frag");
    int b = vlm_loadShader("pass.vert", "live.frag");
    int other = vlm_loadShader(nullptr, "solid.frag");
    EXPECT_TRUE(vlm_shaderUsesFile("live.frag"));
    EXPECT_FALSE(vlm_shaderUsesFile("data/shader/live.frag"));

    testing::internal::CaptureStdout();
    EXPECT_EQ(vlm_reloadShaderSource("live.frag", "void main() { gl_FragColor = vec4(1, 0, 0, 1); }\n"), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    expectPrograms({a, b}, 255, 0, 0, "rebuilt red");
    expectPrograms({other}, 0, 255, 0, "a program of another file stays");

    // A compile error (reported once for both programs) and a link error (no main) keep red.
    testing::internal::CaptureStdout();
    EXPECT_EQ(vlm_reloadShaderSource("live.frag", "void main() {\n  gl_FragColor = vec4(1.0) + ;\n}\n"), 0);
    EXPECT_EQ(vlm_reloadShaderSource("live.frag", "void helper() {}\n"), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("[/] live.frag line 2: shader compile failed; the programs built from it keep "
                       "their last good build:\n"), 0u) << out;
    EXPECT_EQ(out.find("[/] live.frag line 2", 1), std::string::npos) << out;
    EXPECT_NE(out.find("[/] live.frag: program link failed"), std::string::npos) << out;
    expectPrograms({a, b}, 255, 0, 0, "last good build kept");

    EXPECT_EQ(vlm_reloadShaderSource("live.frag", "void main() { gl_FragColor = vec4(0, 0, 1, 1); }\n"), 2);
    expectPrograms({a, b}, 0, 0, 255, "the next good save takes effect");

    // A value given once at loading (as each scene's post program gets its paper) survives.
    const char *given = "uniform float green;\nvoid main() { gl_FragColor = vec4(0, green, 0, 1); }\n";
    EXPECT_EQ(vlm_reloadShaderSource("live.frag", given), 2);
    float one = 1;
    for (int program : {a, b}) {
        vlm_enableShader(program);
        vlm_shader_sendUniformValue(program, "green", &one, 1);
        vlm_disableShader();
    }
    EXPECT_EQ(vlm_reloadShaderSource("live.frag", given), 2);
    expectPrograms({a, b}, 0, 255, 0, "a uniform given before the rebuild is kept");
}

TEST_F(GLTest, LiveLooseSourceWinsOverItsPackedCopy)
{
    writeFile("packed.frag", "// edited on disk\n");
    testing::internal::CaptureStdout();
    VLM_LIVE = 1;
    char *live = loadFile("packed.frag");
    VLM_LIVE = 0;
    char *packed = loadFile("packed.frag");
    testing::internal::GetCapturedStdout();
    unlink("packed.frag");
    EXPECT_STREQ(live, "// edited on disk\n");
    EXPECT_STREQ(packed, SOLID_FRAG);
    free(live);
    free(packed);
}

TEST_F(GLTest, GeometryProgramExpandsPointsIntoQuads)
{
    writeFile("g.vert", "#version 150 compatibility\nvoid main() { gl_Position = gl_Vertex; }\n");
    writeFile("g.geom",
              "#version 150 compatibility\n"
              "layout(points) in; layout(triangle_strip, max_vertices = 16) out;\n"
              "void main() {\n"
              "  vec4 c = gl_in[0].gl_Position;\n"
              "  gl_Position = c + vec4(-0.2, -0.2, 0, 0); EmitVertex();\n"
              "  gl_Position = c + vec4(0.2, -0.2, 0, 0); EmitVertex();\n"
              "  gl_Position = c + vec4(-0.2, 0.2, 0, 0); EmitVertex();\n"
              "  gl_Position = c + vec4(0.2, 0.2, 0, 0); EmitVertex();\n"
              "  EndPrimitive();\n"
              "}\n");
    writeFile("g.frag", "#version 150 compatibility\nvoid main() { gl_FragColor = vec4(1, 1, 0, 1); }\n");
    testing::internal::CaptureStdout();
    int program = vlm_loadG80Shader("g.vert", "g.geom", "g.frag");
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("[/]"), std::string::npos);
    vlm_enableShader(program);
    glBegin(GL_POINTS);
    glVertex2f(0.5f, 0.5f);
    glEnd();
    vlm_disableShader();
    expectPixel(W * 3 / 4, H * 3 / 4, 255, 255, 0, "inside the emitted quad");
    expectPixel(W / 4, H / 4, 0, 0, 0, "outside it");
}

static void sendZeroCount()
{
    const float v[4] = {0, 0, 0, 0};
    vlm_shader_sendUniformValue(0, "x", v, 0);
}

TEST(ShaderDeathTest, FatalLoadsAndUniformCountZero)
{
    EXPECT_EXIT(
        { dup2(2, 1); vlm_loadShader(nullptr, nullptr); },
        testing::ExitedWithCode(255), "^\\[!\\] No files given to function loadShader\\(\\)");
    EXPECT_EXIT(
        { dup2(2, 1); vlm_loadShader(nullptr, "/nonexistent/x.frag"); },
        testing::ExitedWithCode(255), "\\[!\\] Couldn't load shaderfile /nonexistent/x.frag\n");
    EXPECT_EXIT(
        { dup2(2, 1); vlm_loadG80Shader("a.vert", nullptr, "a.frag"); },
        testing::ExitedWithCode(255),
        "^\\[!\\] vlm_loadG80Shader\\(\\) required at least one vertex and one geometry shader");
    EXPECT_EXIT(
        { dup2(2, 1); sendZeroCount(); },
        testing::ExitedWithCode(255),
        "^\\[!\\] vlm_shader_sendUniformValue was given an invalid count-value check argument 4 "
        "and redo.. \\*sadface\\* :\\(");
}

TEST(ShaderDeathTest, The64thProgramOverflowsTheTable)
{
    EXPECT_EXIT(
        {
            dup2(2, 1);
            enterTempDir();
            writeFile("s.frag", SOLID_FRAG);
            vlmTestGLContext(W, H);
            int last = -1;
            for (int i = 0; i < 63; i++) last = vlm_loadShader(nullptr, "s.frag");
            printf("<last %d>", last);
            vlm_loadShader(nullptr, "s.frag");
            exit(7);
        },
        testing::ExitedWithCode(255), "<last 62>\\[!\\] Maximum amount of shaders reached.");
}

// ------------------------------------------------------------------ render targets

TEST_F(GLTest, TargetsAreNumberedInOrderAndClearToTheirColour)
{
    int a = vlm_loadFBO(W, H);
    int b = vlm_loadFBO(W, H);
    EXPECT_EQ(b, a + 1);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(bound, 0) << "the window is bound again after creation";
    unsigned texture = vlm_enableFBO(a, 0.25f, 0.5f, 1.0f);
    EXPECT_EQ(texture, vlm_fboTexture(a, 0));
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    expectPixel(3, 3, 64, 128, 255, "clear colour of the target");
    float depth = 0;
    glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
    vlm_disableFBO(1, 0, 0);
    glReadBuffer(GL_BACK);
    expectPixel(3, 3, 255, 0, 0, "window cleared by vlm_disableFBO");
}

TEST_F(GLTest, EnableSetsThe3DProjectionAndIdentityModelView)
{
    ASSERT_FALSE(std::isnan(vlm_Get(VLM_GET_WIDTH))) << "vlm_Get reports the window width";
    int target = vlm_loadFBO(W, H);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(5, 5, 5);
    vlm_enableFBO(target, 0, 0, 0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat m[16], p[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_EQ(m[12], 0.0f);
    float f = 1.0f / tanf(22.5f * (float)M_PI / 180.0f);
    EXPECT_NEAR(p[5], f, 1e-5);
    EXPECT_NEAR(p[0], f / ((float)W / H), 1e-5);
    EXPECT_NEAR(p[10], -(200.0f + 0.1f) / (200.0f - 0.1f), 1e-5);
    // A red triangle in front of the camera lands in the target.
    glColor3f(1, 0, 0);
    glBegin(GL_TRIANGLES);
    glVertex3f(-1, -1, -3);
    glVertex3f(1, -1, -3);
    glVertex3f(0, 1, -3);
    glEnd();
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    expectPixel(W / 2, H / 2, 255, 0, 0, "centre of the triangle");
    expectPixel(2, H - 2, 0, 0, 0, "corner");
    vlm_disableFBO(0, 0, 0);
}

static void readAttachment(GLenum attachment, unsigned char rgba[4])
{
    glReadBuffer(attachment);
    vlmTestReadPixel(W / 2, H / 2, rgba);
}

// The program over the whole bound target, with no projection.
static void drawFullQuadWith(int program)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    vlm_enableShader(program);
    fullQuad();
    vlm_disableShader();
}

TEST_F(GLTest, MultiTargetTakesBothOutputsOfATwoOutputShader)
{
    int target = vlm_loadFBO(W, H);
    int program = vlm_loadShader(nullptr, "two.frag");
    unsigned textures[2] = {0, 0};
    vlm_enableMultiTargetFBO(target, 0, 1, 0, textures);
    EXPECT_EQ(textures[0], vlm_fboTexture(target, 0));
    EXPECT_EQ(textures[1], vlm_fboTexture(target, 1));
    drawFullQuadWith(program);
    unsigned char p0[4], p1[4];
    readAttachment(GL_COLOR_ATTACHMENT0_EXT, p0);
    readAttachment(GL_COLOR_ATTACHMENT1_EXT, p1);
    EXPECT_EQ(p0[0], 255);
    EXPECT_EQ(p0[2], 0);
    EXPECT_EQ(p1[0], 0);
    EXPECT_EQ(p1[2], 255);

    // Bound again without the clear, the target keeps the green it was cleared to; with one
    // output asked, the shader's first output lands and the second texture stays green.
    vlm_enableMultiTargetFBO(target, 0, 1, 0, textures);
    vlm_disableFBO(0, 0, 0);
    unsigned again[2] = {0, 0};
    vlm_enableFBOUncleared(target, 1, again);
    EXPECT_EQ(again[0], textures[0]);
    EXPECT_EQ(again[1], textures[1]);
    readAttachment(GL_COLOR_ATTACHMENT0_EXT, p0);
    EXPECT_EQ(p0[1], 255) << "no clear";
    drawFullQuadWith(program);
    readAttachment(GL_COLOR_ATTACHMENT0_EXT, p0);
    readAttachment(GL_COLOR_ATTACHMENT1_EXT, p1);
    EXPECT_EQ(p0[0], 255);
    EXPECT_EQ(p1[1], 255);
    EXPECT_EQ(p1[2], 0);
    vlm_disableFBO(0, 0, 0);
}

// What a shader leaves unwritten in the second texture is up to the driver (Mesa copies the
// first output there), so the framework's part is the clear reaching both textures.
TEST_F(GLTest, MultiTargetClearReachesBothTextures)
{
    int target = vlm_loadFBO(W, H);
    unsigned textures[2];
    vlm_enableMultiTargetFBO(target, 0.5f, 0, 0.5f, textures);
    unsigned char p0[4], p1[4];
    readAttachment(GL_COLOR_ATTACHMENT0_EXT, p0);
    readAttachment(GL_COLOR_ATTACHMENT1_EXT, p1);
    for (unsigned char *p : {p0, p1}) {
        EXPECT_NEAR(p[0], 128, 1);
        EXPECT_EQ(p[1], 0);
        EXPECT_NEAR(p[2], 128, 1);
    }
    vlm_disableFBO(0, 0, 0);
}

// The value a target's first texture holds after a clear to (v, 2.5, -1).
static float clearedValue(int target, float v)
{
    vlm_enableFBO(target, v, 2.5f, -1.0f);
    float rgba[4];
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glReadPixels(1, 1, 1, 1, GL_RGBA, GL_FLOAT, rgba);
    EXPECT_FLOAT_EQ(rgba[1], 2.5f) << "above one";
    EXPECT_FLOAT_EQ(rgba[2], -1.0f) << "below zero";
    vlm_disableFBO(0, 0, 0);
    return rgba[0];
}

// Targets hold floats beyond 0..1: half floats by default (a third comes back with 11
// significant bits), full floats when asked for, always or on a software rasteriser (this test
// runs on one), as long as the target is no larger than the limit. (Sizes other than the
// window's: these targets do not follow it.)
static const float THIRD = 1.0f / 3, THIRD_IN_HALF = 0.333251953f;
TEST_F(GLTest, TargetsHoldHalfFloatsUnlessFullOnesAreAskedForAndFit)
{
    EXPECT_EQ(clearedValue(vlm_loadFBO(64, 32), THIRD), THIRD_IN_HALF) << "the default";
    vlm_fboFullFloat(VLM_FULL_FLOAT_ON_SOFTWARE_GL);
    EXPECT_EQ(clearedValue(vlm_loadFBO(64, 32), THIRD), THIRD) << "on this software GL";
    vlm_fboFullFloat(VLM_FULL_FLOAT_ALWAYS);
    EXPECT_EQ(clearedValue(vlm_loadFBO(64, 32), THIRD), THIRD) << "always";
    EXPECT_EQ(clearedValue(vlm_loadFBO(1921, 1200), THIRD), THIRD_IN_HALF) << "over the limit";
    vlm_fboFullFloat(VLM_FULL_FLOAT_NEVER);
    EXPECT_EQ(clearedValue(vlm_loadFBO(64, 32), THIRD), THIRD_IN_HALF) << "never";
}

// A target whose size is not the window's (one of another size, or one made at loading before
// it follows a resize) is drawn whole: a quad over the left half of the view fills exactly the
// left half of the target whether the window is now smaller or larger, and the window's own
// viewport comes back when the window is bound.
TEST_F(GLTest, ATargetIsDrawnWholeWhateverTheWindowSizeNow)
{
    int target = vlm_loadFBO(64, 32);
    for (int window : {16, 640}) {
        SCOPED_TRACE(window);
        glViewport(0, 0, window, window / 2);
        vlm_enableFBO(target, 0, 0, 1);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glColor3f(1, 0, 0);
        glBegin(GL_QUADS);
        glVertex2f(-1, -1);
        glVertex2f(0, -1);
        glVertex2f(0, 1);
        glVertex2f(-1, 1);
        glEnd();
        std::vector<unsigned char> rgba(64 * 32 * 4);
        glReadPixels(0, 0, 64, 32, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        int redLeft = 0, redRight = 0;
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 64; x++) {
                const unsigned char *p = &rgba[4 * (y * 64 + x)];
                if (p[0] == 255 && p[2] == 0) (x < 32 ? redLeft : redRight)++;
            }
        EXPECT_EQ(redLeft, 32 * 32) << "the left half, all of it red";
        EXPECT_EQ(redRight, 0) << "the right half, blue as cleared";
        vlm_disableFBO(0, 0, 0);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], window);
        EXPECT_EQ(viewport[3], window / 2);
    }
    glViewport(0, 0, W, H);
}

// ------------------------------------------------------------------ targets following the window

// Fragment program of a blur that goes by its source's own size, as the glow passes do.
static const char *SIZED_BLUR_FRAG =
    "#version 130\n"
    "uniform sampler2D source;\n"
    "void main() {\n"
    "  vec2 uv = gl_TexCoord[0].st;\n"
    "  vec2 d = vec2(1.0 / float(textureSize(source, 0).x), 0.0);\n"
    "  gl_FragColor = 0.5 * texture2D(source, uv)\n"
    "               + 0.25 * (texture2D(source, uv + d) + texture2D(source, uv - d));\n"
    "}\n";

// `texture` over the whole viewport, identity matrices.
static void texturedQuad(unsigned texture)
{
    static const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    for (const float *c : corners) {
        glTexCoord2f(c[0], c[1]);
        glVertex2f(2 * c[0] - 1, 2 * c[1] - 1);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

// A frame's chain in small: thin wire lines in perspective into `scene`, blurred through
// `program` into `blur`, shown over the window. The window's pixels, width x height RGB.
static std::vector<unsigned char> chainFrame(int scene, int blur, int program, int width, int height)
{
    vlm_enableFBO(scene, 0, 0, 0);
    glColor3f(1, 1, 1);
    glBegin(GL_LINES);
    for (int i = 0; i < 24; i++) {
        float x = -2.0f + 0.17f * i;
        glVertex3f(x, -1.5f, -3);
        glVertex3f(x + 0.6f, 1.5f, -5);
    }
    glEnd();
    unsigned picture = vlm_fboTexture(scene, 0);
    vlm_enableFBO(blur, 0, 0, 0);
    vlm_enableShader(program);
    texturedQuad(picture);
    vlm_disableShader();
    vlm_disableFBO(0, 0, 0);
    texturedQuad(vlm_fboTexture(blur, 0));
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

static void expectSize(int index, int width, int height, const char *what)
{
    int w = -1, h = -1;
    vlm_fboSize(index, &w, &h);
    EXPECT_EQ(w, width) << what;
    EXPECT_EQ(h, height) << what;
}

// Targets made at the window's size are made again at a new size once it has held for three
// frames, under the same index and texture names; the chain then shows exactly what targets
// made at that size from the start show. A drag (a new size every frame) and a 1x1 window
// remake nothing; a target of another size never follows.
TEST_F(GLTest, TargetsMadeAtTheWindowSizeFollowItOnceANewSizeHolds)
{
    writeFile("sized_blur.frag", SIZED_BLUR_FRAG);
    int program = vlm_loadShader(nullptr, "sized_blur.frag");
    vlm_handleResize(W / 2, H / 2); // loading in a small window
    int scene = vlm_loadFBO(W / 2, H / 2), blur = vlm_loadFBO(W / 2, H / 2);
    int fixed = vlm_loadFBO(64, 32);
    unsigned sceneTexture = vlm_fboTexture(scene, 0), blurTexture = vlm_fboTexture(blur, 1);

    vlm_handleResize(W, H); // then made larger
    std::vector<unsigned char> stretched = chainFrame(scene, blur, program, W, H);
    for (int frame = 0; frame < 6; frame++)
        EXPECT_EQ(vlm_fboFollowWindow(W + frame % 2, H), 0) << "a drag, frame " << frame;
    EXPECT_EQ(vlm_fboFollowWindow(W, H), 0);
    EXPECT_EQ(vlm_fboFollowWindow(W, H), 0);
    testing::internal::CaptureStdout();
    EXPECT_GE(vlm_fboFollowWindow(W, H), 2) << "the third frame at the same size";
    EXPECT_NE(testing::internal::GetCapturedStdout().find(" render targets remade at 320x180\n"),
              std::string::npos);
    EXPECT_EQ(vlm_fboFollowWindow(W, H), 0) << "nothing left to remake";
    expectSize(scene, W, H, "scene target");
    expectSize(blur, W, H, "blur target");
    expectSize(fixed, 64, 32, "a target of another size");
    EXPECT_EQ(vlm_fboTexture(scene, 0), sceneTexture);
    EXPECT_EQ(vlm_fboTexture(blur, 1), blurTexture);
    std::vector<unsigned char> remade = chainFrame(scene, blur, program, W, H);

    int sceneNative = vlm_loadFBO(W, H), blurNative = vlm_loadFBO(W, H);
    std::vector<unsigned char> native = chainFrame(sceneNative, blurNative, program, W, H);
    int lit = 0;
    for (unsigned char c : native) lit += c > 100;
    EXPECT_GT(lit, W * H / 20) << "the lines are there";
    EXPECT_TRUE(remade == native) << "after the remake, the picture of targets made at this size";
    EXPECT_FALSE(stretched == native) << "before it, the small targets stretched";

    for (int frame = 0; frame < 5; frame++) EXPECT_EQ(vlm_fboFollowWindow(1, 1), 0) << "1x1";
    expectSize(scene, W, H, "kept through a 1x1 window");

    vlm_handleResize(W, H / 2); // and smaller again, the height alone
    for (int frame = 0; frame < 3; frame++) vlm_fboFollowWindow(W, H / 2);
    expectSize(scene, W, H / 2, "scene target, smaller");
    std::vector<unsigned char> smaller = chainFrame(scene, blur, program, W, H / 2);
    int sceneSmall = vlm_loadFBO(W, H / 2), blurSmall = vlm_loadFBO(W, H / 2);
    EXPECT_TRUE(smaller == chainFrame(sceneSmall, blurSmall, program, W, H / 2));

    vlm_handleResize(W, H);
    for (int frame = 0; frame < 3; frame++) vlm_fboFollowWindow(W, H);
    EXPECT_TRUE(chainFrame(scene, blur, program, W, H) == native) << "back at the first size";
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

// A window that changes one side alone is followed all the same.
TEST_F(GLTest, TargetsFollowAChangeOfOneSideAlone)
{
    vlm_handleResize(W / 2, H / 2);
    int target = vlm_loadFBO(W / 2, H / 2);
    for (auto [w, h] : {std::pair{W, H / 2}, std::pair{W, H}}) { // wider alone, then taller
        vlm_handleResize(w, h);
        for (int frame = 0; frame < 3; frame++) vlm_fboFollowWindow(w, h);
        expectSize(target, w, h, "one side alone");
    }
}

// A target of full floats that follows the window chooses again at each size: half floats
// over the limit, full ones again below it.
TEST_F(GLTest, AFullFloatTargetFollowingTheWindowKeepsHalfFloatsOverTheLimit)
{
    vlm_fboFullFloat(VLM_FULL_FLOAT_ALWAYS);
    int target = vlm_loadFBO(W, H);
    vlm_fboFullFloat(VLM_FULL_FLOAT_NEVER);
    for (auto [w, h, value] : {std::tuple{2000, 1200, THIRD_IN_HALF}, std::tuple{W, H, THIRD}}) {
        vlm_handleResize(w, h);
        for (int frame = 0; frame < 3; frame++) vlm_fboFollowWindow(w, h);
        EXPECT_EQ(clearedValue(target, THIRD), value) << "following the window to " << w;
    }
}

TEST_F(GLTest, DepthTargetRecordsDepth)
{
    int target = vlm_loadDepthFBO(64, 64);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(bound, 0);
    GLint frame = 0;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    vlm_enableFBO(target, 0, 0, 0);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &frame);
    EXPECT_NE(frame, 0);
    glDrawBuffer(GL_NONE);
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    fullQuad(0.5f);  // window depth 0.75
    glDisable(GL_DEPTH_TEST);
    vlm_disableFBO(0, 0, 0);
    glViewport(0, 0, W, H);
    std::vector<float> depth(64 * 64);
    glBindTexture(GL_TEXTURE_2D, vlm_fboTexture(target, 0));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    EXPECT_NEAR(depth[32 * 64 + 32], 0.75f, 1e-3);
}

TEST(FboDeathTest, The65thTargetOverflowsTheTable)
{
    EXPECT_EXIT(
        {
            dup2(2, 1);
            vlmTestGLContext(W, H);
            int last = -1;
            for (int i = 0; i < 64; i++) last = vlm_loadFBO(8, 8);
            printf("<last %d>", last);
            vlm_loadFBO(8, 8);
            exit(7);
        },
        testing::ExitedWithCode(255), "<last 63>Maximum numbers of fbo's reached.. exiting");
}

TEST(FboDeathTest, AnIncompleteTargetIsFatal)
{
    EXPECT_EXIT(
        {
            dup2(2, 1);
            vlmTestGLContext(W, H);
            vlm_loadFBO(0, 0);
            exit(7);
        },
        testing::ExitedWithCode(255), "^\\[!\\] Error creating fbo #0 , errcode 0x8cd[0-9a-f]\n");
}
