// bench_models [STAGE_DIR] [WIDTH HEIGHT [SHOT_DIR]]: prints the median milliseconds per frame of
// the model draws each scene makes (the model part of the frame only), with the models of the
// stage loaded through the real loader; with SHOT_DIR it also writes each case's last frame
// there as case-N.png, for a look at the models in their scene's layout. Run under Xvfb.
#include "models_obj.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gd.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

int gWidth = 1280, gHeight = 720;

// Median of `frames` timed draws of `draw`, each finished with glFinish, in milliseconds.
double medianMs(const std::function<void()> &draw, int frames = 15)
{
    std::vector<double> ms;
    for (int i = 0; i < frames; ++i) {
        auto start = std::chrono::steady_clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
        glFinish();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Writes the back buffer, top row first, to `path`.
void writeShot(const std::string &path)
{
    std::vector<unsigned char> rgb(3 * gWidth * gHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, gWidth, gHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    gdImagePtr im = gdImageCreateTrueColor(gWidth, gHeight);
    for (int y = 0; y < gHeight; ++y)
        for (int x = 0; x < gWidth; ++x) {
            const unsigned char *p = &rgb[3 * ((gHeight - 1 - y) * gWidth + x)];
            gdImageSetPixel(im, x, y, gdTrueColor(p[0], p[1], p[2]));
        }
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        gdImagePngEx(im, f, 6);
        std::fclose(f);
    }
    gdImageDestroy(im);
}

void look(double ex, double ey, double ez, double cx, double cy, double cz)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, (double)gWidth / gHeight, 0.1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(ex, ey, ez, cx, cy, cz, 0, 1, 0);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && chdir(argv[1]) != 0) {
        std::printf("[!] bench_models: cannot enter %s\n", argv[1]);
        return 1;
    }
    if (argc >= 4) gWidth = std::atoi(argv[2]), gHeight = std::atoi(argv[3]);
    std::string shots = argc >= 5 ? argv[4] : "";
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(gWidth, gHeight);
    glutCreateWindow("bench_models");
    glewInit();
    glViewport(0, 0, gWidth, gHeight);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);

    int spike = vlm_loadOBJ("data/models/spikepelare.obj");
    int body = vlm_loadOBJ("data/models/bug_body.obj");
    int wheel = vlm_loadOBJ("data/models/bug_wheel.obj");
    int reactor = vlm_loadOBJ("data/models/reactor.obj");
    int pipe = vlm_loadOBJ("data/models/pipe.obj");
    int ring = vlm_loadOBJ("data/models/ring.obj");
    int smile = vlm_loadOBJ("data/models/smilecube.obj");

    auto wire = [](bool on) { glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL); };
    struct Case {
        const char *name;
        std::function<void()> draw;
    };
    std::vector<Case> cases = {
        {"scenes 1-2: 40 spike pillars, wireframe", [&] {
             look(6, 4, 20, 0, 3, -30), wire(true);
             for (int i = -20; i < 20; ++i) {
                 glPushMatrix(), glTranslatef(0, 0, -10.0f * i), vlm_renderOBJ(spike), glPopMatrix();
             }
         }},
        {"scene 2: smiling cube, filled", [&] { look(0, 1, 4, 0, 0, 0), wire(false), vlm_renderOBJ(smile); }},
        {"scene 4: body and two axles, wireframe", [&] {
             look(14, 8, 10, 0, 0, -4.5), wire(true), vlm_renderOBJ(body), vlm_renderOBJ(wheel);
             glPushMatrix(), glTranslatef(0, 0, -9), vlm_renderOBJ(wheel), glPopMatrix();
         }},
        {"scene 5: 20 reactors, wireframe", [&] {
             look(8, 6, 30, 0, 4, -20), wire(true);
             for (int z = -200; z < 200; z += 20) {
                 glPushMatrix(), glTranslatef(0, 0, (float)z), vlm_renderOBJ(reactor), glPopMatrix();
             }
         }},
        {"scene 6: 800 pipes and 800 rings, filled", [&] {
             look(0, 0, 0, 0, 0, -1), wire(false);
             for (int r = -50; r < 50; ++r)
                 for (int a = 0; a < 360; a += 45) {
                     glPushMatrix(), glTranslatef(0, 0, -4.0f * r), glRotatef(90, 1, 0, 0);
                     glRotatef((float)a, 0, 1, 0), glTranslatef(-6, 0, 0), vlm_renderOBJ(pipe), glPopMatrix();
                     glPushMatrix(), glTranslatef(0, 0, -4.0f * r), glRotatef(90, 1, 0, 0);
                     glRotatef((float)(a + r), 0, 1, 0), glTranslatef(-10, 0, 0), vlm_renderOBJ(ring), glPopMatrix();
                 }
         }},
    };
    std::printf("bench_models %dx%d, median of 15 frames\n", gWidth, gHeight);
    for (size_t i = 0; i < cases.size(); ++i) {
        std::printf("  %-45s %7.2f ms\n", cases[i].name, medianMs(cases[i].draw));
        if (!shots.empty()) writeShot(shots + "/case-" + std::to_string(i) + ".png");
    }
    return 0;
}
