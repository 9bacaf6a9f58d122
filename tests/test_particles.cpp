// Particle systems on a real GL context: cubes are counted and measured from GL's own
// feedback of what was drawn, and the picture is checked by reading pixels back.
#include "gl_context.h"
#include "effects_particles.h"
#include "noise.h"
#include <gtest/gtest.h>
#include <math.h>
#include <unistd.h>
#include <functional>
#include <vector>

// A failed allocation must reach our message, not the sanitizer's report.
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

const int kWidth = 320, kHeight = 180;
const float kPixelsPerUnit = 10; // the orthographic view below: 32 x 18 units

// Orthographic view centred on the origin, 10 pixels per unit, deep enough for any cube.
void orthoView()
{
    vlmTestGLContext(kWidth, kHeight);
    glViewport(0, 0, kWidth, kHeight);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-16, 16, -9, 9, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

struct Cube {
    float x, y;  // centre in world units
    float edge;  // edge length in world units, from the x extent
};

// The window-space polygons GL produced for draw(), in order.
std::vector<std::vector<float>> feedbackPolygons(const std::function<void()> &draw)
{
    std::vector<GLfloat> buffer = vlmTestFeedback(GL_3D, 1 << 22, draw);
    GLint n = (GLint)buffer.size();
    std::vector<std::vector<float>> polygons;
    for (GLint i = 0; i < n;) {
        GLint token = (GLint)buffer[i++];
        if (token == GL_POLYGON_TOKEN) {
            GLint vertices = (GLint)buffer[i++];
            polygons.emplace_back(buffer.begin() + i, buffer.begin() + i + 3 * vertices);
            i += 3 * vertices;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return polygons;
}

// Polygons GL makes of one glutSolidCube (faces may come as quads or as triangles).
size_t polygonsPerCube()
{
    static size_t count = feedbackPolygons([] { glutSolidCube(1); }).size();
    return count;
}

// The cubes of draw(), recovered from its feedback polygons in drawing order.
std::vector<Cube> drawnCubes(const std::function<void()> &draw)
{
    orthoView();
    size_t per = polygonsPerCube();
    std::vector<std::vector<float>> polygons = feedbackPolygons(draw);
    EXPECT_EQ(polygons.size() % per, 0u);
    std::vector<Cube> cubes;
    for (size_t c = 0; c + per <= polygons.size(); c += per) {
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (size_t p = c; p < c + per; p++)
            for (size_t v = 0; v < polygons[p].size(); v += 3) {
                minX = fminf(minX, polygons[p][v]);
                maxX = fmaxf(maxX, polygons[p][v]);
                minY = fminf(minY, polygons[p][v + 1]);
                maxY = fmaxf(maxY, polygons[p][v + 1]);
            }
        cubes.push_back({(minX + maxX) / 2 / kPixelsPerUnit - 16,
                         (minY + maxY) / 2 / kPixelsPerUnit - 9,
                         (maxX - minX) / kPixelsPerUnit});
    }
    return cubes;
}

// Life after `draws` draws, aged exactly as the module ages it.
float lifeAfter(int draws)
{
    float life = 1.0f;
    for (int i = 0; i < draws; i++) life = (float)(life - 0.05);
    return life;
}

// Finds k with vlm_noise(k, k, k) == value: where the shared random sequence stands.
int sequenceIndexOf(float value)
{
    for (int k = 0; k < 1000000; k++)
        if (vlm_noise(k, k, k) == value) return k;
    return -1;
}

// The index of the next vlm_random value (consumes one value to find it).
int nextRandomIndex()
{
    int k = sequenceIndexOf(vlm_random());
    EXPECT_GE(k, 0);
    return k + 1;
}

} // namespace

TEST(ParticleSystem, FirstDrawSpawnsSpawnLimitCubesOfFullSizeAtTheEmitter)
{
    unsigned id = vlm_genParticleSystem(500);
    std::vector<Cube> cubes = drawnCubes([&] {
        vlm_drawParticleSystem(id, 2, -3, 0, 0, 0, 0, 20, 7.25f);
    });
    ASSERT_EQ(cubes.size(), 20u);
    for (const Cube &c : cubes) {
        EXPECT_NEAR(c.edge, 0.7f, 1e-4);
        EXPECT_NEAR(c.x, 2, 1e-4);
        EXPECT_NEAR(c.y, -3, 1e-4);
    }
    for (unsigned j = 0; j < 500; j++) {
        const vlm_particle &p = PSYSTEM[id].particles[j];
        if (j < 20) {
            EXPECT_EQ(p.life, lifeAfter(1)) << j;
            EXPECT_EQ(p.spawnTime, 7.25f);
            EXPECT_EQ(p.landing.y, 0.0f);
        } else {
            EXPECT_EQ(p.life, -1.0f) << j;
        }
    }
}

TEST(ParticleSystem, SecondDrawSpawnsTheNextTwentyAndShrinksTheFirst)
{
    unsigned id = vlm_genParticleSystem(500);
    orthoView();
    vlm_drawParticleSystem(id, 0, 0, 0, 0, 0, 0, 20, 0);
    std::vector<Cube> cubes = drawnCubes([&] {
        vlm_drawParticleSystem(id, 0, 0, 0, 0, 0, 0, 20, 0);
    });
    ASSERT_EQ(cubes.size(), 40u);
    for (size_t i = 0; i < 40; i++)
        EXPECT_NEAR(cubes[i].edge, i < 20 ? 0.665f : 0.7f, 1e-4) << i;
}

TEST(ParticleSystem, ParticleIsDrawnTwentyTimesThenRespawnedFirstInIndexOrder)
{
    unsigned id = vlm_genParticleSystem(500);
    orthoView();
    for (int call = 1; call <= 20; call++)
        vlm_drawParticleSystem(id, 0, 0, 0, 0, 0, 0, 20, 0);
    // After call 20 particles 0..19 have been drawn 20 times and are dead again, while
    // 400..499 were never spawned: the dead in index order are 0..19 first.
    for (unsigned j = 0; j < 20; j++) EXPECT_LT(PSYSTEM[id].particles[j].life, 0) << j;
    for (unsigned j = 20; j < 400; j++) EXPECT_GT(PSYSTEM[id].particles[j].life, 0) << j;

    std::vector<Cube> cubes = drawnCubes([&] {
        vlm_drawParticleSystem(id, 0, 0, 0, 0, 0, 0, 20, 0.001f);
    });
    ASSERT_EQ(cubes.size(), 400u);
    for (unsigned j = 0; j < 400; j++) {
        int spawnCall = j < 20 ? 21 : (int)j / 20 + 1;
        float expectedLife = lifeAfter(21 - spawnCall);
        EXPECT_NEAR(cubes[j].edge, expectedLife * 0.7f, 1e-4) << j;
    }
    for (unsigned j = 0; j < 20; j++) EXPECT_EQ(PSYSTEM[id].particles[j].spawnTime, 0.001f);
    for (unsigned j = 400; j < 500; j++) EXPECT_EQ(PSYSTEM[id].particles[j].life, -1.0f);
}

TEST(ParticleSystem, SpawnDrawsLandingXThenLandingZThenHeightFromTheSharedSequence)
{
    unsigned id = vlm_genParticleSystem(3);
    orthoView();
    int k = nextRandomIndex();
    vlm_drawParticleSystem(id, 3, 4, 5, 0.25f, 99, -1.75f, 2, 0);
    for (int j = 0; j < 2; j++) {
        const vlm_particle &p = PSYSTEM[id].particles[j];
        int base = k + 3 * j;
        double r1 = vlm_noise(base, base, base), r2 = vlm_noise(base + 1, base + 1, base + 1),
               r3 = vlm_noise(base + 2, base + 2, base + 2);
        EXPECT_EQ(p.landing.x, (float)((r1 / 10 + 0.25) * 100 + 3)) << j;
        EXPECT_EQ(p.landing.y, 0.0f);
        EXPECT_EQ(p.landing.z, (float)((r2 / 10 - 0.75) * 100 + 5)) << j;
        EXPECT_EQ(p.control.x, p.landing.x);
        EXPECT_EQ(p.control.y, (float)((r3 + 1) * 50 + 4)) << j;
        EXPECT_EQ(p.control.z, p.landing.z);
        EXPECT_EQ(p.emitter.x, 3);
        EXPECT_EQ(p.emitter.z, 5);
    }
    EXPECT_EQ(PSYSTEM[id].particles[2].life, -1.0f) << "the spawn limit of 2 was passed";
    EXPECT_EQ(nextRandomIndex(), k + 7) << "two spawns take three values each";
}

TEST(ParticleSystem, OnlyTheFractionalPartOfTheOffsetsMovesTheLandingArea)
{
    struct Case { float offset, fraction; } cases[] = {
        {2.5f, 0.5f}, {0.5f, 0.5f}, {-2.5f, -0.5f}, {7.0f, 0.0f}, {-0.25f, -0.25f}};
    orthoView();
    for (const Case &c : cases) {
        unsigned id = vlm_genParticleSystem(1);
        int k = nextRandomIndex();
        vlm_drawParticleSystem(id, 1, 0, -2, c.offset, 0, c.offset, 1, 0);
        const vlm_particle &p = PSYSTEM[id].particles[0];
        double r1 = vlm_noise(k, k, k), r2 = vlm_noise(k + 1, k + 1, k + 1);
        EXPECT_EQ(p.landing.x, (float)((r1 / 10 + c.fraction) * 100 + 1)) << c.offset;
        EXPECT_EQ(p.landing.z, (float)((r2 / 10 + c.fraction) * 100 - 2)) << c.offset;
        EXPECT_NEAR(p.landing.x, 1 + 100 * c.fraction, 10.0001) << c.offset;
    }
}

TEST(ParticleSystem, SpawnLimitZeroOrNegativeSpawnsNothingAndEmptySystemDrawsNothing)
{
    unsigned id = vlm_genParticleSystem(10);
    unsigned empty = vlm_genParticleSystem(0);
    std::vector<Cube> cubes = drawnCubes([&] {
        vlm_drawParticleSystem(id, 0, 0, 0, 0, 0, 0, 0, 0);
        vlm_drawParticleSystem(id, 0, 0, 0, 0, 0, 0, -5, 0);
        vlm_drawParticleSystem(empty, 0, 0, 0, 0, 0, 0, 20, 0);
    });
    EXPECT_EQ(cubes.size(), 0u);
    EXPECT_EQ(PSYSTEM[empty].count, 0u);
}

// The arc in pixels: at spawn the cube covers the emitter, one time unit later the landing
// point, and halfway it is at the Bezier midpoint of emitter, control and landing.
TEST(ParticleSystem, CubeFliesFromEmitterToLandingPointInOneTimeUnit)
{
    unsigned id = vlm_genParticleSystem(1);
    orthoView();
    auto pixelAt = [](float x, float y) {
        unsigned char rgba[4];
        glReadBuffer(GL_BACK);
        vlmTestReadPixel((int)((x + 16) * kPixelsPerUnit), (int)((y + 9) * kPixelsPerUnit), rgba);
        return (int)rgba[0];
    };
    auto drawAt = [&](float time) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 1, 1);
        vlm_drawParticleSystem(id, -10, -5, 0, 0, 0, 0, 1, time);
        glFinish();
    };
    drawAt(3);
    EXPECT_EQ(pixelAt(-10, -5), 255);
    EXPECT_EQ(pixelAt(-10 + 0.6f, -5), 0) << "the cube is 0.7 wide";

    const vlm_particle &p = PSYSTEM[id].particles[0];
    vec3 landing = p.landing, control = p.control;
    drawAt(3.5f);
    float midX = 0.25f * landing.x + 0.5f * control.x + 0.25f * -10;
    float midY = 0.25f * 0 + 0.5f * control.y + 0.25f * -5;
    EXPECT_NEAR(p.position.x, midX, 1e-3);
    EXPECT_NEAR(p.position.y, midY, 1e-3);
    EXPECT_EQ(pixelAt(-10, -5), 0) << "the cube has left the emitter";

    drawAt(4);
    EXPECT_EQ(p.position.x, landing.x);
    EXPECT_EQ(p.position.y, 0.0f);
    if (fabsf(landing.x) < 15) {
        EXPECT_EQ(pixelAt(landing.x, 0), 255) << "landed";
    }
}

TEST(ParticleSystemDeathTest, SixtyFifthCreationEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            unsigned first = vlm_genParticleSystem(1);
            for (unsigned i = first + 1; i < 64; i++) vlm_genParticleSystem(1);
            printf("sixty-four made\n");
            fflush(stdout);
            vlm_genParticleSystem(1);
        },
        testing::ExitedWithCode(255),
        "sixty-four made\n\\[!\\] no go, can't create that many particle systems\\. system will "
        "def go capoof\\. :\\( and\\.\\. kittens will cry");
}

TEST(ParticleSystemDeathTest, PoolThatCannotBeAllocatedEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            vlm_genParticleSystem(0xffffffffu);
        },
        testing::ExitedWithCode(255),
        "\\[!\\] particlesystem\\(\\) Couldn't allocate enuff memoryzorz\\. is bad\\.");
}

TEST(ParticleSystemDeathTest, IdThatNoCreationReturnedEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int id : {-1, 5, 64, 1 << 30}) {
        EXPECT_EXIT(
            {
                dup2(2, 1);
                for (int i = 0; i < 5; i++) vlm_genParticleSystem(1);
                vlm_drawParticleSystem(id, 0, 0, 0, 0, 0, 0, 1, 0);
            },
            testing::ExitedWithCode(255), "\\[!\\] .*particle system.*id")
            << id;
    }
}
