// The scenes: their per-frame values, the greetings line's layout, the counted geometry as GL
// received it (feedback of the primitives) and as it lands in pixels, and what the scenes'
// programs from data/shader make of it. The quad batches they record are tested in
// test_quad_batch.
#include "effects_screen.h"
#include "gl_context.h"
#include "loading.h"
#include "noise.h"
#include "post_chain.h"
#include "scene_kit.h"
#include "scenes.h"
#include "shader.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Value { float t, expected; };

void expectTable(float (*f)(float), const std::vector<Value> &table, const char *name)
{
    for (const Value &v : table) EXPECT_FLOAT_EQ(f(v.t), v.expected) << name << " at t = " << v.t;
}

// The number of polygons GL receives from draw() (filled, no culling, everything in view).
int feedbackPolygonCount(const std::function<void()> &draw)
{
    vlmTestGLContext();
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1000, 1000, -1000, 1000, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    std::vector<GLfloat> buffer = vlmTestFeedback(GL_3D, 1 << 24, draw);
    GLint n = (GLint)buffer.size();
    int polygons = 0;
    for (GLint i = 0; i < n;) {
        GLint token = (GLint)buffer[i++];
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        i += 1 + 3 * (GLint)buffer[i];
        polygons++;
    }
    return polygons;
}

int polygonsPerCube()
{
    static int count = feedbackPolygonCount([] { glutSolidCube(1); });
    return count;
}

// Polygons GL makes of one GL_QUADS quad (Mesa hands quads on as two triangles).
int polygonsPerQuad()
{
    static int count = feedbackPolygonCount([] {
        glBegin(GL_QUADS);
        glVertex3f(0, 0, 0);
        glVertex3f(0, 1, 0);
        glVertex3f(1, 1, 0);
        glVertex3f(1, 0, 0);
        glEnd();
    });
    return count;
}

} // namespace

TEST(SceneValues, FadesAtTheirBoundaryTimes)
{
    expectTable(scene2_fade, {{0, 11}, {0.5f, 6}, {0.99f, 1.1f}, {1, 5}, {29.9f, 5}, {-1, 21}},
                "scene 2");
    // Scene 3: the drop to 0 comes only once t is strictly past 6.
    expectTable(scene3_fade, {{0, 0}, {1, 0.4f}, {2.5f, 1}, {6, 1}, {6.001f, 0}, {7.5f, 0},
                              {-2, -0.8f}}, "scene 3");
    expectTable(scene4_fade, {{0, 0}, {0.5f, 5}, {1, 10}, {1.001f, 10}, {44, 10}, {-2, -20}},
                "scene 4");
    // Scene 5: t up to 10 s (10 itself is not below 1 after x 0.1), holds to 21, then falls.
    expectTable(scene5_fade, {{0, 0}, {9.99f, 9.99f}, {10, 10}, {21, 10}, {21.5f, 5}, {22, 0},
                              {22.5f, -5}, {-2.5f, -2.5f}}, "scene 5");
}

// Scene 3: no distortion at its start, one that grows with the scene time within 0.4 t of
// the noise's range, and just past 6 s the crash: every value flips sign and jumps eleven to
// twelve and a half times over. The colour split and the bend are one value.
TEST(SceneValues, CrashDistortionGrowsThenJumpsAndInvertsJustPastSixSeconds)
{
    scene3_screenEffects(0);
    EXPECT_EQ(VLM_SCREEN_DIST, 0.0f);
    for (float t = 0.05f; t <= 7.5f; t += 0.05f) {
        scene3_screenEffects(t);
        float bend = VLM_SCREEN_DIST, wobble = VLM_SCREEN_WOBBLE;
        EXPECT_EQ(VLM_SCREEN_RGBDIST, bend) << t;
        setScreenEffects(t, CALM_DISTORTION); // the same noise, unscaled in the wobble
        float noise = VLM_SCREEN_DIST / CALM_DISTORTION.dist, calmWobble = VLM_SCREEN_WOBBLE;
        if (t <= 6) {
            EXPECT_NEAR(bend, noise * 0.4f * t, 1e-5f) << t;
            EXPECT_EQ(wobble, calmWobble) << t;
        } else if (std::fabs(noise) > 0.05f) {
            EXPECT_GE(bend / (noise * 0.4f * t), -12.51f) << t;
            EXPECT_LE(bend / (noise * 0.4f * t), -10.99f) << t;
            EXPECT_NEAR(wobble / calmWobble, bend / (noise * 0.4f * t), 1e-3f) << t;
        }
    }
}

// The colour split follows the bend (400 times it in the calm scenes, 100 in the paper
// corridors); the wobble is the same slow noise in both and barely moves.
TEST(SceneValues, ScreenDistortionSplitFollowsTheBendAndTheWobbleDriftsSlowly)
{
    // Within float rounding of the product.
    auto follows = [](float split, float bend, float gain) {
        return std::fabs(split - gain * bend) <= 1e-4f * std::max(1.0f, std::fabs(split));
    };
    for (float t = 0; t < 66; t += 0.37f) {
        setScreenEffects(t, CALM_DISTORTION);
        float wobble = VLM_SCREEN_WOBBLE;
        EXPECT_TRUE(follows(VLM_SCREEN_RGBDIST, VLM_SCREEN_DIST, 400)) << t;
        setScreenEffects(t, STRONG_DISTORTION);
        EXPECT_TRUE(follows(VLM_SCREEN_RGBDIST, VLM_SCREEN_DIST, 100)) << t;
        EXPECT_EQ(VLM_SCREEN_WOBBLE, wobble) << t;
        setScreenEffects(t + 0.1f, CALM_DISTORTION);
        EXPECT_LT(std::fabs(VLM_SCREEN_WOBBLE - wobble), 0.01f) << t;
    }
}

// Still at the scene's start; later each cube has its own height, within the noise's range
// (under 2) times t.
TEST(SceneValues, CrashCubesShakeWithAnAmplitudeGrowingFromNothing)
{
    for (float t : {0.0f, 1.0f, 5.01f}) {
        float low = 1e9f, high = -1e9f;
        for (float x = -100; x < 100; x += 1) {
            float h = scene3_cubeHeight(t, x);
            EXPECT_LE(std::fabs(h), 2 * t) << t << " " << x;
            low = std::min(low, h), high = std::max(high, h);
        }
        if (t == 0) EXPECT_EQ(high - low, 0.0f);
        else EXPECT_GT(high - low, 0.2f * t) << t;
    }
}

// The tunnel keeps the scene time's pace with a small pulse: never more than 0.1 ahead or
// behind, and never backwards.
TEST(SceneValues, TunnelTravelPulsesAroundTheSceneTime)
{
    EXPECT_EQ(scene6_travel(0), 0.0f);
    float before = scene6_travel(-3.01f);
    for (float t = -3; t < 66; t += 0.01f) {
        float now = scene6_travel(t);
        EXPECT_NEAR(now, t, 0.1001f) << t;
        EXPECT_GT(now, before) << t;
        before = now;
    }
}

TEST(SceneValues, WanderPointDependsOnTheSceneTimeOnly)
{
    vec3 a = scene2_wanderPoint(12.34f);
    vlm_random(); // the particles' sequence does not move it
    vec3 b = scene2_wanderPoint(12.34f);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, 0.0f);
    EXPECT_EQ(a.x, vlm_perlin2DNoise(12.34f, 0, 32) + 3);
    EXPECT_EQ(a.y, vlm_perlin2DNoise(12.34f, 0, 44));
}

TEST(Greetings, OneLineOf225CharactersInTheLayoutOfHeadingNamesAndCredits)
{
    std::string line = SCENE6_GREETINGS;
    ASSERT_EQ(line.size(), 225u);
    EXPECT_EQ(line.find('\n'), std::string::npos);

    std::string heading = line.substr(0, 18);
    EXPECT_NE(heading[0], ' ');
    EXPECT_NE(heading[17], ' ');
    EXPECT_EQ(line.substr(18, 6), std::string(6, ' '));
    EXPECT_NE(line[24], ' ');

    // Split the rest into fields at runs of three or more blanks, remembering each gap.
    std::vector<std::string> fields;
    std::vector<size_t> gaps;
    size_t i = 24;
    while (i < line.size()) {
        size_t gap = line.find("   ", i);
        if (gap == std::string::npos) {
            fields.push_back(line.substr(i));
            break;
        }
        fields.push_back(line.substr(i, gap - i));
        size_t next = line.find_first_not_of(' ', gap);
        gaps.push_back(next - gap);
        i = next;
    }
    ASSERT_EQ(fields.size(), 14u) << "twelve names and two credits";
    EXPECT_EQ(gaps[0], 4u);
    for (size_t g = 1; g < 11; g++) EXPECT_EQ(gaps[g], 3u) << "after name " << g + 1;
    EXPECT_EQ(gaps[11], 25u);
    EXPECT_EQ(fields[12].size(), 18u);
    EXPECT_EQ(fields[12].rfind("code", 0), 0u);
    EXPECT_EQ(gaps[12], 4u);
    EXPECT_EQ(fields[13].size(), 12u);
    EXPECT_EQ(fields[13].rfind("music", 0), 0u);
    for (size_t f = 0; f < 12; f++) EXPECT_EQ(fields[f].find("  "), std::string::npos) << f;
}

TEST(SceneGeometry, CountsReachGLAsDrawn)
{
    int per = polygonsPerCube(), quad = polygonsPerQuad();
    ASSERT_GT(per, 0);
    ASSERT_GT(quad, 0);
    struct Case {
        const char *what;
        std::function<int()> draw;
        int count;    // what the function reports
        int polygons; // what GL receives
    } cases[] = {
        {"scene 2 boxes", [] { return scene2_drawBoxes(3.2f, 1.0f); }, 160, 160 * per},
        {"scene 2 rings", [] { return scene2_drawRings(3.2f, -2.5f); }, 2020, 2020 * per},
        {"scene 4 road", [] { return scene4_drawRoad(3.2f, 2.5f); }, 120, 120 * per},
        {"scene 4 grid", [] { return drawGround(2); }, 10000, 10000 * quad},
        {"scene 5 strip", [] { return scene5_drawStrip(0.01f); }, 501 * 21, 501 * 21 * quad},
        {"scene 6 strip", [] { return scene6_drawStrip(0.5f); }, 1600, 1600 * quad},
    };
    for (Case &c : cases) {
        int reported = 0;
        int polygons = feedbackPolygonCount([&] {
            glRotatef(90, 1, 0, 0); // the flat batches lie in y = 0: face the viewer
            reported = c.draw();
        });
        EXPECT_EQ(reported, c.count) << c.what;
        EXPECT_EQ(polygons, c.polygons) << c.what;
    }
}

// The 501st column and 21st row of the reactor strip are in the picture: the strip reaches
// past x = 2.5 and w = 0.1 to about 2.51 and 0.11.
TEST(SceneGeometry, ReactorStripReachesPastItsNominalEdges)
{
    vlmTestGLContext();
    glViewport(0, 0, 320, 180);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // x 2.4 .. 2.72 over 320 pixels (1000 px per unit); w 0 .. 0.18 over 180 pixels.
    glOrtho(2.4, 2.72, 0, 0.18, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90, 1, 0, 0); // the strip's w (z) turns to screen y
    glScalef(1, 1, -1);     // ... the right way up
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    scene5_drawStrip(0.01f);
    glFinish();
    glReadBuffer(GL_BACK);
    auto lit = [](float x, float w) {
        unsigned char p[4];
        vlmTestReadPixel((int)((x - 2.4f) * 1000), (int)(w * 1000), p);
        return p[0] == 255;
    };
    EXPECT_TRUE(lit(2.45f, 0.05f));
    EXPECT_TRUE(lit(2.505f, 0.05f)) << "the 501st column";
    EXPECT_FALSE(lit(2.52f, 0.05f));
    EXPECT_TRUE(lit(2.45f, 0.105f)) << "the 21st row";
    EXPECT_FALSE(lit(2.45f, 0.12f));
}

namespace {

// A program built from the demo's own shader sources (`vert` may be null).
int demoProgram(const char *vert, const char *frag)
{
    vlmTestGLContext();
    std::string v = vert ? std::string(VLM_SOURCE_DIR) + "/" + vert : "";
    std::string f = std::string(VLM_SOURCE_DIR) + "/" + frag;
    return vlm_loadShader(vert ? v.c_str() : nullptr, f.c_str());
}

// A `width` x 1 RGBA texture, nearest filtering, bound to unit 0.
GLuint rowTexture(const std::vector<unsigned char> &rgba)
{
    GLuint texture;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, (GLsizei)rgba.size() / 4, 1, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    return texture;
}

void clearToBlack()
{
    glViewport(0, 0, 320, 180);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Draws with `program` seen from straight above (world y towards the viewer) over x and z
// in -half..half, y in -2..2 mapped to depth 1..0. The height of the highest and lowest
// point drawn, from the depth buffer, and the share of the pixels drawn.
struct Heights { float low = 1e9f, high = -1e9f, covered = 0; bool centre = false; };
Heights heightsFromAbove(int program, float half, const std::function<void()> &draw)
{
    clearToBlack();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-half, half, -half, half, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90, 1, 0, 0); // y -> eye z
    vlm_enableShader(program);
    draw();
    vlm_disableShader();
    glFinish();
    std::vector<float> depth(320 * 180);
    glReadPixels(0, 0, 320, 180, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    glDisable(GL_DEPTH_TEST);
    Heights h;
    for (size_t i = 0; i < depth.size(); i++) {
        if (depth[i] >= 1) continue;
        float y = (0.5f - depth[i]) * 4; // eye z = world y; depth = 0.5 - z / 4
        h.low = std::min(h.low, y);
        h.high = std::max(h.high, y);
        h.covered += 1.0f / depth.size();
    }
    h.centre = depth[90 * 320 + 160] < 1;
    return h;
}

} // namespace

// Whole-frame ink (shade 1, no fog) is a dark line on light paper and bright teal on dark:
// each post program keeps the paper it was given at loading, whatever lies at the edges.
TEST(SceneShaders, EachPostProgramKeepsThePaperGivenAtLoading)
{
    int light = demoProgram(nullptr, "data/shader/post.frag");
    int dark = demoProgram(nullptr, "data/shader/post.frag");
    loading_setPaper(light, SCENES[1]->paper);
    loading_setPaper(dark, SCENES[2]->paper);
    GLuint ink = rowTexture({255, 0, 0, 0, 255, 0, 0, 0});
    for (int program : {light, dark}) {
        clearToBlack();
        vlm_enableShader(program);
        float fade = 1;
        vlm_shader_sendUniformValue(program, "fade", &fade, 1);
        vlm_renderFullscreen(ink);
        vlm_disableShader();
        glFinish();
        unsigned char p[4];
        vlmTestReadPixel(160, 90, p);
        if (program == light)
            EXPECT_LT(p[1], 40) << "light paper: ink is dark";
        else
            EXPECT_GT(p[1], 200) << "dark paper: ink glows";
    }
    glDeleteTextures(1, &ink);
}

// Scene 2's cube: with "textured" at 1 the ink's shade carries the texture's luminance; at
// 0 (its default) a bound texture changes nothing.
TEST(SceneShaders, InkCarriesTheTextureLuminanceOnlyWhenTextured)
{
    int program = demoProgram("data/shader/scene01.vert", "data/shader/scene01.frag");
    GLuint face = rowTexture({0, 0, 0, 255, 255, 255, 255, 255}); // black | white
    auto shades = [&](float textured) {
        clearToBlack();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        vlm_enableShader(program);
        vlm_shader_sendUniformValue(program, "textured", &textured, 1);
        glNormal3f(0, 0, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0), glVertex3f(-1, -1, -0.5f);
        glTexCoord2f(1, 0), glVertex3f(1, -1, -0.5f);
        glTexCoord2f(1, 1), glVertex3f(1, 1, -0.5f);
        glTexCoord2f(0, 1), glVertex3f(-1, 1, -0.5f);
        glEnd();
        float off = 0;
        vlm_shader_sendUniformValue(program, "textured", &off, 1);
        vlm_disableShader();
        glFinish();
        unsigned char left[4], right[4];
        vlmTestReadPixel(80, 90, left);
        vlmTestReadPixel(239, 90, right);
        return std::make_pair((int)left[0], (int)right[0]);
    };
    auto plain = shades(0), textured = shades(1);
    EXPECT_NEAR(plain.first, plain.second, 2) << "untextured: the texture is not read";
    EXPECT_GT(plain.first, 80);
    EXPECT_LT(textured.first, 8) << "black texels make no shade";
    EXPECT_NEAR(textured.second, plain.second, 2) << "white texels keep the shade";
    glDeleteTextures(1, &face);
}

// The cell plane of scene 0 and the strips of scene 5 lie flat at y = 0 at any time; their
// motion is in the shading.
TEST(SceneShaders, ThePlaneAndTheReactorStripsStayFlat)
{
    int plane = demoProgram("data/shader/scene0.vert", "data/shader/scene0.frag");
    int strip = demoProgram("data/shader/scene5_1.vert", "data/shader/scene5_1.frag");
    for (float t : {0.0f, 1.0f, 2.7f, 14.0f}) {
        Heights h = heightsFromAbove(plane, 10, [&] {
            sceneUniform(plane, "timer", t);
            sceneUniform(plane, "intensity", 0.3f);
            glBegin(GL_QUADS);
            for (float x = -10; x < 10; x += 0.3f)
                for (float z = -10; z < 10; z += 0.3f) {
                    glVertex3f(x, 0, z);
                    glVertex3f(x, 0, z + 0.3f);
                    glVertex3f(x + 0.3f, 0, z + 0.3f);
                    glVertex3f(x + 0.3f, 0, z);
                }
            glEnd();
        });
        EXPECT_GT(h.covered, 0.99f) << "plane at t = " << t;
        EXPECT_NEAR(h.low, 0, 0.01f) << "plane at t = " << t;
        EXPECT_NEAR(h.high, 0, 0.01f) << "plane at t = " << t;
        h = heightsFromAbove(strip, 4, [&] {
            sceneUniform(strip, "timer", t);
            sceneUniform(strip, "intensity", 0.01f);
            scene5_drawStrip(0.01f);
        });
        EXPECT_TRUE(h.centre) << "strip at t = " << t << " covers its own middle";
        EXPECT_NEAR(h.covered, 5.01f * 0.21f / 64, 0.01f) << "strip at t = " << t;
        EXPECT_NEAR(h.low, 0, 0.01f) << "strip at t = " << t;
        EXPECT_NEAR(h.high, 0, 0.01f) << "strip at t = " << t;
    }
}

// ---------------------------------------------------------------- scenes 0 and 1, and the values they share

TEST(SceneValues, SceneZeroFadesInOverFiveSecondsAndClimbsInItsLastFive)
{
    struct { float t, fade; } cases[] = {{0, 0},      {2.5f, 0.5f}, {5, 1},   {22.5f, 1},
                                          {25, 1},     {27, 3},      {30, 6},  {-1, -0.2f}};
    for (auto c : cases) EXPECT_NEAR(scene0_fade(c.t), c.fade, 1e-5) << c.t;
}

TEST(SceneValues, SceneOneFlashesInAndFadesBelowZeroAtItsEnd)
{
    struct { float t, fade; } cases[] = {{0, 11},  {0.5f, 6}, {1, 1}, {7, 1},
                                          {13, 1}, {14, 0},   {15, -1}, {-2, 31}};
    for (auto c : cases) EXPECT_NEAR(scene1_fade(c.t), c.fade, 1e-5) << c.t;
}

TEST(SceneValues, SwingSitsAtItsClampsAndCrossesBetweenThem)
{
    const float period = 2 * M_PI / 3.4;
    EXPECT_FLOAT_EQ(swing(period - 1), 2.5f);       // cos = 1
    EXPECT_FLOAT_EQ(swing(period * 1.5f - 1), -2.5f); // cos = -1
    EXPECT_NEAR(swing(period * 0.25f - 1), 0, 1e-4);  // cos = 0
    EXPECT_EQ(swing(-1), 2.5f);
    EXPECT_NEAR(swing(-0.6f), 1.04619372f, 1e-6);     // between the clamps: 5 cos(1.36)
    int clamped = 0, samples = 1000;
    for (int k = 0; k < samples; k++) {
        float M = swing(k * period / samples);
        ASSERT_LE(std::fabs(M), 2.5f);
        if (std::fabs(M) == 2.5f) clamped++;
    }
    EXPECT_NEAR(clamped / (float)samples, 2.0f / 3.0f, 0.01); // |cos| >= 0.5 two thirds of the time
}

TEST(SceneValues, RowsMoveAlongMinusZAndJumpBackOneSpacing)
{
    for (int i = -20; i < 20; i++) {
        EXPECT_FLOAT_EQ(rowDistance(0, 24, 10, i), 10.0f * i);
        EXPECT_NEAR(rowDistance(0.25f, 24, 10, i), 10.0f * i + 6, 1e-4);
    }
    // Negative scene times truncate toward zero: the shift lies in (-spacing, 0].
    struct Rows { float speed; int spacing; } kinds[] = {{24, 10}, {35, 10}, {24, 4}};
    for (Rows k : kinds)
        for (float t = -3; t < 0; t += 0.01f) {
            float shift = rowDistance(t, k.speed, k.spacing, 0);
            EXPECT_GT(shift, -k.spacing) << t << " at " << k.speed << " per s";
            EXPECT_LE(shift, 0.0f) << t << " at " << k.speed << " per s";
        }
    // The road (35 per s, 10 apart) and the tunnel (24 per s, 4 apart) at chosen times.
    struct At { float t, speed; int spacing, row; float z; } at[] = {
        {0, 35, 10, 3, 30},     {0.5f, 35, 10, 0, 7.5f},  {1, 35, 10, -2, -15},
        {-0.25f, 35, 10, 0, -8.75f}, {-1, 35, 10, 0, -5}, {-2.9f, 35, 10, 1, 8.5f},
        {0, 24, 4, -50, -200},  {0.1f, 24, 4, 0, 2.4f},   {-0.1f, 24, 4, 0, -2.4f},
        {-1, 24, 4, 0, 0},      {-0.2f, 24, 4, 2, 7.2f},
    };
    for (const At &a : at)
        EXPECT_NEAR(rowDistance(a.t, a.speed, a.spacing, a.row), a.z, 1e-4)
            << a.t << " at " << a.speed << " per s, row " << a.row;
    // Across a jump every inner row has a neighbour that moved by exactly 24 units/s.
    for (float t : {0.4f, -0.45f}) {
        float dt = 0.03f;
        for (int i = -15; i < 15; i++) {
            float later = rowDistance(t + dt, 24, 10, i);
            float best = 1e9f;
            for (int j = -20; j < 20; j++)
                best = std::fmin(best, std::fabs(later - (rowDistance(t, 24, 10, j) + 24 * dt)));
            EXPECT_LT(best, 1e-3) << "t " << t << " row " << i;
        }
    }
}

// ---------------------------------------------------------------- counted geometry of scenes 0 and 1 on real GL

// Draws with a top-down orthographic view of x, z in [-span, span] and returns the fraction of
// lit pixels in the window.
static float litFraction(void)
{
    const int w = 160, h = 90;
    std::vector<unsigned char> px(w * h * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    int lit = 0;
    for (int i = 0; i < w * h; i++) lit += px[i * 4] > 128;
    return lit / (float)(w * h);
}

static void topDownView(float span)
{
    glViewport(0, 0, 160, 90);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-span, span, -span, span, -500, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST(Geometry, ThePlaneIs667By667CellsAndCoversTheGroundFromMinus100To100)
{
    vlmTestGLContext();
    topDownView(100);
    glRotatef(90, 1, 0, 0); // look down the y axis
    EXPECT_EQ(drawGround(0.3f), 667 * 667);
    EXPECT_GT(litFraction(), 0.99f);

    topDownView(110); // a margin of 10 around the plane stays dark
    glRotatef(90, 1, 0, 0);
    drawGround(0.3f);
    float lit = litFraction();
    EXPECT_LT(lit, 0.87f);
    EXPECT_GT(lit, 0.80f); // (200 / 220)^2 = 0.826
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(Geometry, TwentyRingsOf101CubesWhoseRadiusBreathesWithTheSwing)
{
    vlmTestGLContext();
    for (float M : {-2.5f, 2.5f}) {
        topDownView(30);            // looking down the z axis at the rings (x, y plane)
        glTranslatef(-3, 0, 0);     // the rings' centre at the origin
        EXPECT_EQ(scene1_drawRings(0, M), 20 * 101);
        float r = 2 * M + 20;
        unsigned char p[4];
        // A cube sits on the ring at angle 0 (x = r) and none at the centre.
        int cx = 80, cy = 45;
        float pxPerUnit = 160 / 60.0f;
        vlmTestReadPixel(cx + (int)lround(r * pxPerUnit), cy, p);
        EXPECT_GT(p[0], 128) << "radius " << r;
        vlmTestReadPixel(cx, cy, p);
        EXPECT_LT(p[0], 128);
    }
}

