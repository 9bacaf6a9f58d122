// effects_gallery STAGE_DIR OUT_DIR: draws each effect of the toolkit into a window (run it
// under Xvfb) and writes one PNG per effect to OUT_DIR, so the effects can be looked at.
// Data paths are relative to the stage, as the demo has them.
#include "effects_city.h"
#include "effects_cubes.h"
#include "effects_cubetext.h"
#include "effects_gyro.h"
#include "fonts.h"
#include "textures.h"
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <stdio.h>
#include <unistd.h>
#include <chrono>
#include <string>

namespace {

const int kWidth = 640, kHeight = 360;
std::string outDir;

void clearTo(float r, float g, float b)
{
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void perspective(float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, (double)kWidth / kHeight, 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eyeX, eyeY, eyeZ, atX, atY, atZ, 0, 1, 0);
}

// x from left to right, y from bottom to top, in units; the height follows the window's aspect.
void ortho(float left, float right, float bottom)
{
    float top = bottom + (right - left) * kHeight / kWidth;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void sunLight(float x, float y, float z)
{
    const GLfloat position[] = {x, y, z, 0}, white[] = {1, 1, 1, 1}, dim[] = {0.25f, 0.25f, 0.25f, 1};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, dim);
    glEnable(GL_COLOR_MATERIAL);
}

void save(const char *name)
{
    glFinish();
    std::string path = outDir + "/" + name + ".png";
    vlm_screenshot(kWidth, kHeight, path.c_str(), 6);
    printf("[*] %s\n", path.c_str());
}

void city()
{
    clearTo(0.55f, 0.7f, 0.9f);
    perspective(70, 75, 85, 0, 10, 0);
    sunLight(1, 0.8f, -1);  // every wall faces +x or -z, so light them from there
    glDisable(GL_COLOR_MATERIAL);  // the city sets its own material
    // Figures, not checks: the first call builds, later calls only draw.
    auto start = std::chrono::steady_clock::now();
    vlm_drawCity();
    glFinish();
    auto built = std::chrono::steady_clock::now();
    const int frames = 5;
    for (int i = 0; i < frames; i++) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        vlm_drawCity();
        glFinish();
    }
    auto drawn = std::chrono::steady_clock::now();
    printf("[*] city: first call (build and draw) %.1f ms, then %.1f ms per draw\n",
           std::chrono::duration<double, std::milli>(built - start).count(),
           std::chrono::duration<double, std::milli>(drawn - built).count() / frames);
    glDisable(GL_LIGHTING);
    save("city");
}

void cubeText()
{
    clearTo(0.05f, 0.05f, 0.1f);
    ortho(-10, 210, -75);
    sunLight(0.3f, 0.5f, 1);
    glColor4f(1, 0.5f, 0.2f, 1);
    glPushMatrix();
    glTranslatef(0, 40, 0);
    vlm_drawCubeString("hello world", 8.5f);  // eight letters typed, the ninth half grown
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0, 0, 0);
    vlm_drawCubeString("abcdefghijk", 20);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0, -40, 0);
    vlm_drawCubeString("lmnopqrstuv", 20);
    glPopMatrix();
    glDisable(GL_LIGHTING);
    save("cubetext");
}

void gyroLoader()
{
    clearTo(0, 0, 0);
    ortho(-45, 45, -28);
    glDisable(GL_DEPTH_TEST);
    vlm_drawGyroLoader(0.65f, 1.3f);
    glEnable(GL_DEPTH_TEST);
    save("gyro");
}

// The typewriter follows the demo clock: the capture clock stands in for it here.
void typeWriter()
{
    clearTo(0, 0, 0.15f);
    ortho(-40, 80, -20);
    glDisable(GL_DEPTH_TEST);
    CAPTURE = 1;
    CAPTURE_TIMER = 1000;
    vlm_typeWriterText("typed one letter at a time", -35, 5, 0);  // starts it, draws nothing
    CAPTURE_TIMER = 1000 + 1250;  // 12 characters later
    glColor4f(0.6f, 1, 0.6f, 1);
    vlm_typeWriterText("typed one letter at a time", -35, 5, 0);
    glEnable(GL_DEPTH_TEST);
    save("typewriter");
}

void texturedCubes()
{
    clearTo(0.2f, 0.2f, 0.25f);
    perspective(0, 2.5f, 7, 0, 0, 0);
    unsigned wall = vlm_loadPNG("data/textures/wall.png");
    unsigned ground = vlm_loadPNG("data/textures/ground.png");
    glPushMatrix();
    glTranslatef(-1.7f, 0, 0);
    glRotatef(30, 0, 1, 0);
    vlm_drawTexturedCube(1, wall);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(1.7f, 0, 0);
    glRotatef(-30, 0, 1, 0);
    vlm_drawMultiTexturedCube(1, wall, ground, 0);  // fixed-function units multiply the two
    glPopMatrix();
    glActiveTexture(GL_TEXTURE0);
    save("cubes");
}

void stripFont()
{
    clearTo(0.1f, 0.1f, 0.3f);
    ortho(-3, 25, -6);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);  // the strips are white times coverage
    vlm_loadTextureFont("data/font.tga", 26);
    vlm_text("strip font", 2, 0, 4, 0, 0, 0, 0);
    vlm_text("abcdefghijklm", 1.8f, 0, 0, 0, 0, 0, 0);
    vlm_text("nopqrstuvwxyz", 1.8f, 0, -3, 0, 0, 0, 0);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    save("stripfont");
}

void fontImage()
{
    clearTo(0.3f, 0, 0);
    ortho(-1, 11, -1);
    vlm_testTextureFont();
    save("fontimage");
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: effects_gallery STAGE_DIR OUT_DIR\n");
        return 2;
    }
    char *resolved = realpath(argv[2], nullptr);
    outDir = resolved ? resolved : argv[2];
    if (chdir(argv[1]) != 0) {
        printf("[!] effects_gallery: no stage at %s\n", argv[1]);
        return 1;
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kWidth, kHeight);
    glutCreateWindow("effects gallery");
    glewInit();
    glViewport(0, 0, kWidth, kHeight);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    for (void (*draw)() : {city, cubeText, gyroLoader, typeWriter, texturedCubes, stripFont, fontImage})
        draw();
    return 0;
}
