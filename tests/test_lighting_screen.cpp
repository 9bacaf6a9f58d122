// Fixed-function lighting, screen quads, polygon text and the spline tube on a real GL
// context, checked by reading pixels back.
#include "gl_context.h"
#include "effects_screen.h"
#include "lighting.h"
#include "vlm_math.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <string>
#include <vector>
#include <GL/glu.h>

static const int W = 320, H = 180;

class Screen : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The staged font lives at tools/crounded.ttf of the stage.
        ASSERT_EQ(chdir(VLM_STAGE_DIR), 0);
        vlmTestGLContext(W, H);
    }
    void SetUp() override
    {
        glViewport(0, 0, W, H);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_DEPTH_TEST);
        glActiveTexture(GL_TEXTURE0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glReadBuffer(GL_BACK);
    }
};

static void pixel(int x, int y, unsigned char p[4])
{
    vlmTestReadPixel(x, y, p);
}

static void quadFacingViewer(float z = -1)
{
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glVertex3f(-1, -1, z);
    glVertex3f(1, -1, z);
    glVertex3f(1, 1, z);
    glVertex3f(-1, 1, z);
    glEnd();
}

// ------------------------------------------------------------------ lighting

TEST_F(Screen, AfterLightZeroTheColourSetsSpecularNotDiffuse)
{
    vlm_setLight0(1);
    GLint mode = 0;
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &mode);
    EXPECT_EQ(mode, GL_SPECULAR);
    glColor3f(0, 0, 1);
    quadFacingViewer();
    unsigned char p[4];
    pixel(W / 2, H / 2, p);
    // Diffuse stays grey (material 0.5 x light 0.5); the blue only adds specular light.
    EXPECT_GT(p[0], 40);
    EXPECT_NEAR(p[0], p[1], 1);
    EXPECT_GT(p[2], p[0] + 20);
    GLfloat v[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[2], 0.5f);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, v);
    EXPECT_FLOAT_EQ(v[0], 0.0f);
    EXPECT_FLOAT_EQ(v[2], 1.0f);
    vlm_setLight0(0);
}

TEST_F(Screen, LightZeroOffOnlySwitchesLightingOff)
{
    vlm_setLight0(1);
    vlm_setLight0(0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    glColor3f(1, 0.5f, 0);
    quadFacingViewer();
    unsigned char p[4];
    pixel(10, 10, p);
    EXPECT_EQ(p[0], 255);
    EXPECT_NEAR(p[1], 128, 1);
    EXPECT_EQ(p[2], 0);
}

TEST_F(Screen, OtherLightsAndTheAmbientColour)
{
    float record[13] = {0};
    vlm_setLightData(record + 3, 1, 0, 0, 1);  // diffuse red
    record[9] = 0; record[10] = 0; record[11] = 5;  // position
    vlm_enableLight(record, 2);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
    GLfloat v[4];
    glGetLightfv(GL_LIGHT2, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[0], 1.0f);
    glGetLightfv(GL_LIGHT2, GL_POSITION, v);
    EXPECT_FLOAT_EQ(v[2], 5.0f);
    EXPECT_FLOAT_EQ(v[3], 1.0f);
    vlm_setAmbientLight(0, 0.5f, 0, 1);
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, v);
    EXPECT_FLOAT_EQ(v[1], 0.5f);
    glDisable(GL_LIGHT2);
    glDisable(GL_LIGHTING);
    vlm_setAmbientLight(0.2f, 0.2f, 0.2f, 1);
}

// ------------------------------------------------------------------ screen quads

// 2 x 2 texture: bottom row (row 0) red, green; top row blue, white.
static GLuint quadrantTexture()
{
    const unsigned char texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    return texture;
}

static GLuint solidTexture(unsigned char r, unsigned char g, unsigned char b)
{
    const unsigned char texel[4] = {r, g, b, 255};
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return texture;
}

static std::string rgbAt(int x, int y)
{
    unsigned char p[4];
    pixel(x, y, p);
    char text[24];
    snprintf(text, sizeof text, "%d,%d,%d", p[0], p[1], p[2]);
    return text;
}

TEST_F(Screen, FullscreenQuadPutsTextureRowZeroAtTheBottom)
{
    GLuint texture = quadrantTexture();
    glColor3f(0.2f, 0.2f, 0.2f);  // must be replaced by white
    vlm_renderFullscreen(texture);
    EXPECT_EQ(rgbAt(5, 5), "255,0,0");
    EXPECT_EQ(rgbAt(W - 5, 5), "0,255,0");
    EXPECT_EQ(rgbAt(5, H - 5), "0,0,255");
    EXPECT_EQ(rgbAt(W - 5, H - 5), "255,255,255");
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
}

TEST_F(Screen, FullscreenQuadRestoresBothMatrixStacksWhateverTheModeOnEntry)
{
    GLuint texture = quadrantTexture();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(3, 4, 5);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glScalef(2, 2, 2);
    GLint depthModel = 0, depthProjection = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthModel);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthProjection);
    vlm_renderFullscreen(texture);  // entered with GL_PROJECTION current
    GLint mode = 0, afterModel = 0, afterProjection = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &afterModel);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &afterProjection);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(afterModel, depthModel);
    EXPECT_EQ(afterProjection, depthProjection);
    GLfloat m[16], p[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_EQ(m[12], 3.0f);
    EXPECT_EQ(p[0], 2.0f);
    // The quad covered the viewport despite the matrices set on entry.
    EXPECT_EQ(rgbAt(W - 5, H - 5), "255,255,255");
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

TEST_F(Screen, DoubleAndTripleQuadsModulateTheirUnits)
{
    GLuint a = solidTexture(255, 128, 255), b = solidTexture(128, 255, 255), c = solidTexture(255, 255, 0);
    glColor3f(1, 1, 1);
    vlm_renderFullscreenDouble(a, b);
    unsigned char p[4];
    pixel(W / 2, H / 2, p);
    EXPECT_NEAR(p[0], 128, 2);
    EXPECT_NEAR(p[1], 128, 2);
    EXPECT_EQ(p[2], 255);
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));  // unit 1
    glActiveTexture(GL_TEXTURE0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));  // unit 0 stays on, as the routine leaves it
    glDisable(GL_TEXTURE_2D);

    vlm_renderFullscreenTriple(a, b, c);
    pixel(W / 2, H / 2, p);
    EXPECT_NEAR(p[0], 128, 2);
    EXPECT_NEAR(p[1], 128, 2);
    EXPECT_EQ(p[2], 0);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE2);
    for (GLenum u : {GL_TEXTURE2, GL_TEXTURE1, GL_TEXTURE0}) {
        glActiveTexture(u);
        glDisable(GL_TEXTURE_2D);
    }
}

TEST_F(Screen, TexturedRectangleIsTurnedUpsideDown)
{
    GLuint texture = quadrantTexture();
    glColor3f(1, 1, 1);
    vlm_draw2DTexture(0, 0, 0, 0.5f, 0.5f, texture);  // covers the middle of the viewport
    // Coordinate (0, 0) is given at the top-left corner; the half turn about x takes it to
    // the bottom: row 0 (red, green) ends up at the bottom, row 1 (blue, white) on top.
    struct Probe {
        int x, y;
        bool r, g, b;
    } probes[] = {{W / 2 - W / 8, H / 2 - H / 8, true, false, false},
                  {W / 2 + W / 8, H / 2 - H / 8, false, true, false},
                  {W / 2 - W / 8, H / 2 + H / 8, false, false, true},
                  {W / 2 + W / 8, H / 2 + H / 8, true, true, true}};
    for (const Probe &q : probes) {
        unsigned char p[4];
        pixel(q.x, q.y, p);
        EXPECT_EQ(p[0] > 200, q.r) << q.x << "," << q.y << " red " << (int)p[0];
        EXPECT_EQ(p[1] > 200, q.g) << q.x << "," << q.y << " green " << (int)p[1];
        EXPECT_EQ(p[2] > 200, q.b) << q.x << "," << q.y << " blue " << (int)p[2];
    }
    EXPECT_EQ(rgbAt(3, 3), "0,0,0");
}

// ------------------------------------------------------------------ text and spline

static int litPixels()
{
    std::vector<unsigned char> rgb(W * H * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int count = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) count += rgb[i] > 128;
    return count;
}

TEST_F(Screen, PolygonTextPutsGlyphsOnScreenAndEmptyTextNothing)
{
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 32, 0, 18, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glColor3f(1, 0, 0);
    GLint depth = 0, after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    vlm_drawPolygonText("", 2, 8, 0);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
    EXPECT_EQ(after, depth);
    EXPECT_EQ(litPixels(), 0);
    vlm_drawPolygonText("HELLO", 2, 8, 0);
    int lit = litPixels();
    EXPECT_GT(lit, 300);
    // One em is 4 units: the capitals stand within y 8..12 and start right of x = 2.
    EXPECT_EQ(rgbAt(W * 1 / 32, H * 10 / 18), "0,0,0");
    int inBand = 0;
    for (int x = W * 2 / 32; x < W * 12 / 32; x++) inBand += rgbAt(x, H * 10 / 18)[0] != '0';
    EXPECT_GT(inBand, 5);
    // Drawing again (the font is kept) gives the same picture.
    glClear(GL_COLOR_BUFFER_BIT);
    vlm_drawPolygonText("HELLO", 2, 8, 0);
    EXPECT_EQ(litPixels(), lit);
}

TEST(PolygonTextDeathTest, MissingFontIsFatal)
{
    EXPECT_EXIT(
        {
            dup2(2, 1);
            if (chdir("/") != 0) exit(7);
            vlmTestGLContext(W, H);
            vlm_drawPolygonText("x", 0, 0, 0);
            exit(7);
        },
        testing::ExitedWithCode(255), "^\\[!\\] Unable to open the font tools/crounded.ttf");
}

TEST_F(Screen, SplineTubeSkipsItsFirstSegments)
{
    // Straight "curve" along x in view: t = 0 at x = 8 (p2), t = 1 at x = 0 (p0).
    glMatrixMode(GL_PROJECTION);
    glOrtho(-1, 9, -2, 3, -5, 5);
    glMatrixMode(GL_MODELVIEW);
    glColor3f(1, 1, 1);
    vec3 p0 = {0, 0, 0}, p1 = {4, 0, 0}, p2 = {8, 0, 0};
    vlm_draw3DSpline(p0, p1, p2, 0.25f, 1.0f);
    // Segments are drawn from t = 0.5 (x = 4) to t = 1 (x = 0); x = 4..8 stays empty.
    int y = (int)(H * 2.5f / 5);  // y = 0.5, inside the unit tube
    EXPECT_EQ(rgbAt((int)(W * 3.0f / 10), y), "255,255,255");  // x = 2
    EXPECT_EQ(rgbAt((int)(W * 7.0f / 10), y), "0,0,0");        // x = 6

    // The threshold 3 x step is compared in double: with step 0.03 the float t after three
    // steps (0.0899999961) stays below it, so the first segment runs from t = 0.09 (x = 7.28)
    // to t = 0.12 (x = 7.04), and x = 7.28..7.52 stays empty. Viewed x = 6.8..7.8.
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(6.8, 7.8, -2, 3, -5, 5);
    glMatrixMode(GL_MODELVIEW);
    vlm_draw3DSpline(p0, p1, p2, 0.03f, 1.0f);
    EXPECT_EQ(rgbAt((int)(W * 0.2f), y), "255,255,255");  // x = 7.0
    EXPECT_EQ(rgbAt((int)(W * 0.6f), y), "0,0,0");        // x = 7.4
}
