// Textured cubes on a real GL context: size and face textures read back from the picture,
// the texture units each cube leaves behind.
#include "gl_context.h"
#include "effects_cubes.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

const int kWidth = 320, kHeight = 180;

enum Colour { RED, GREEN, BLUE, WHITE, BLACK };

GLuint makeTexture(int width, int height, const std::vector<unsigned char> &rgba)
{
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

class Cubes : public testing::Test {
protected:
    void SetUp() override
    {
        vlmTestGLContext(kWidth, kHeight);
        glViewport(0, 0, kWidth, kHeight);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2 * 16 / 9.0, 2 * 16 / 9.0, -2, 2, -10, 10);  // square pixels, 45 per unit
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (int unit = 2; unit >= 0; unit--) {
            glActiveTexture(GL_TEXTURE0 + unit);
            glDisable(GL_TEXTURE_2D);
        }
        if (!quadrants) {
            // Texture space (u, v): (0, 0) red, (1, 0) green, (0, 1) blue, (1, 1) white.
            quadrants = makeTexture(2, 2, {255, 0, 0, 255, 0, 255, 0, 255,  //
                                           0, 0, 255, 255, 255, 255, 255, 255});
            white = makeTexture(1, 1, {255, 255, 255, 255});
        }
    }

    // Colour of the pixel at world (x, y), the view's centre being the origin.
    static Colour at(float x, float y)
    {
        unsigned char p[4];
        vlmTestReadPixel((int)(kWidth / 2 + x * 45), (int)(kHeight / 2 + y * 45), p);
        if (p[0] == 255 && p[1] == 255 && p[2] == 255) return WHITE;
        if (p[0] == 255 && p[1] == 0 && p[2] == 0) return RED;
        if (p[0] == 0 && p[1] == 255 && p[2] == 0) return GREEN;
        if (p[0] == 0 && p[1] == 0 && p[2] == 255) return BLUE;
        EXPECT_TRUE(p[0] + p[1] + p[2] == 0) << "unexpected colour at " << x << "," << y;
        return BLACK;
    }

    // Bottom-left, bottom-right, top-right, top-left quarter of the face in front (s = 1).
    static std::vector<Colour> quarters()
    {
        return {at(-0.5f, -0.5f), at(0.5f, -0.5f), at(0.5f, 0.5f), at(-0.5f, 0.5f)};
    }

    static GLuint quadrants, white;
};
GLuint Cubes::quadrants = 0, Cubes::white = 0;

}  // namespace

TEST_F(Cubes, HalfEdgeOneSpansMinusOneToOne)
{
    vlm_drawTexturedCube(1, white);
    EXPECT_EQ(at(0.95f, 0), WHITE);
    EXPECT_EQ(at(-0.95f, 0.95f), WHITE);
    EXPECT_EQ(at(1.05f, 0), BLACK);
    EXPECT_EQ(at(0, -1.05f), BLACK);
    // Seen from the side the cube is as deep as it is wide.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glRotatef(90, 0, 1, 0);
    vlm_drawTexturedCube(0.5f, white);
    EXPECT_EQ(at(0.45f, 0), WHITE);
    EXPECT_EQ(at(0.55f, 0), BLACK);
}

TEST_F(Cubes, EveryFaceShowsTheWholeTextureTheBottomUprightTheOthersHalfTurned)
{
    struct Face {
        const char *name;
        float angle, ax, ay, az;  // turns the face towards the viewer (+z)
        std::vector<Colour> quarters;
    } faces[] = {
        {"front", 0, 0, 0, 1, {WHITE, BLUE, RED, GREEN}},
        {"back", 180, 0, 1, 0, {WHITE, BLUE, RED, GREEN}},
        {"top", 90, 1, 0, 0, {WHITE, BLUE, RED, GREEN}},
        {"bottom", -90, 1, 0, 0, {RED, GREEN, WHITE, BLUE}},
        {"right", -90, 0, 1, 0, {WHITE, BLUE, RED, GREEN}},
        {"left", 90, 0, 1, 0, {WHITE, BLUE, RED, GREEN}},
    };
    for (const Face &f : faces) {
        for (int multi = 0; multi < 2; multi++) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glLoadIdentity();
            glRotatef(f.angle, f.ax, f.ay, f.az);
            if (multi) vlm_drawMultiTexturedCube(1, quadrants, 0, 0);
            else vlm_drawTexturedCube(1, quadrants);
            EXPECT_EQ(quarters(), f.quarters) << f.name << (multi ? " (three units)" : "");
        }
    }
}

TEST_F(Cubes, TheMultiTexturedCubeGivesItsCoordinatesToEveryUnit)
{
    // A white texture on the other units multiplies nothing away: what shows is the unit's own.
    vlm_drawMultiTexturedCube(1, white, quadrants, 0);
    EXPECT_EQ(quarters(), (std::vector<Colour>{WHITE, BLUE, RED, GREEN}));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    vlm_drawMultiTexturedCube(1, white, white, quadrants);
    EXPECT_EQ(quarters(), (std::vector<Colour>{WHITE, BLUE, RED, GREEN}));
}

TEST_F(Cubes, TheMultiTexturedCubeDisablesTexturingOnAllThreeUnitsAndLeavesUnitTwoActive)
{
    // Unit 1 holds a black texture, not enabled; unit 2 is enabled with no texture bound.
    GLuint sentinel = makeTexture(1, 1, {0, 0, 0, 255});
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, sentinel);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);

    vlm_drawMultiTexturedCube(1, quadrants, 0, 0);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE2);
    for (int unit = 0; unit < 3; unit++) {
        glActiveTexture(GL_TEXTURE0 + unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "unit " << unit;
    }
    // Unit 1 had no texture given: its binding is left alone.
    glActiveTexture(GL_TEXTURE1);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, sentinel);
    // The picture is unit 0's texture alone: the black texture on unit 1 was never enabled.
    EXPECT_EQ(quarters(), (std::vector<Colour>{WHITE, BLUE, RED, GREEN}));
}

TEST_F(Cubes, TheTexturedCubeUsesUnitZeroWhicheverUnitWasActiveAndLeavesItActiveAndOff)
{
    // As the multi-textured cube leaves it: unit 2 active.
    glActiveTexture(GL_TEXTURE2);
    glColor4f(1, 0, 0, 1);
    vlm_drawTexturedCube(1, quadrants);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glActiveTexture(GL_TEXTURE2);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glActiveTexture(GL_TEXTURE0);
    // Textured, in white whatever the colour was before.
    EXPECT_EQ(quarters(), (std::vector<Colour>{WHITE, BLUE, RED, GREEN}));
}
