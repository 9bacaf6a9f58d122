// bench_resources: prints timings of the resource paths on this machine.
//   bench_resources STAGE_DIR      (run under an X display, e.g. xvfb-run)
// Screenshots at 1280x720 for levels 0 and 6; packing the stage's files into a packed file;
// reading every record of the stage's data.vfile through the reader (first reads, then
// cached reads). Figures only: nothing here passes or fails.
#include "io.h"
#include "textures.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include <chrono>
#include <string>
#include <vector>

static double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

static void openWindow(int width, int height)
{
    int argc = 1;
    char name[] = "bench";
    char *argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    glutCreateWindow("bench");
    glewInit();
    glViewport(0, 0, width, height);
}

// A picture with some detail, so compression has work to do.
static void drawPicture()
{
    glClearColor(0.1f, 0.2f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 200; i++) {
        float x = (float)(i % 20) / 10 - 1, y = (float)(i / 20) / 5 - 1;
        glColor3f((i * 37 % 255) / 255.0f, (i * 91 % 255) / 255.0f, (i * 13 % 255) / 255.0f);
        glVertex2f(x, y);
        glVertex2f(x + 0.12f, y + 0.05f);
        glVertex2f(x + 0.03f, y + 0.2f);
    }
    glEnd();
    glutSwapBuffers();
    glFinish();
}

static void benchScreenshots()
{
    const int width = 1280, height = 720, repeats = 5;
    for (int level : {0, 6}) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < repeats; i++) vlm_screenshot(width, height, "/tmp/bench_shot.png", level);
        double each = secondsSince(start) / repeats;
        FILE *f = fopen("/tmp/bench_shot.png", "rb");
        fseek(f, 0, SEEK_END);
        long size = ftell(f);
        fclose(f);
        printf("vlm_screenshot 1280x720 level %d: %.1f ms per shot, %ld bytes\n", level, each * 1000, size);
    }
    unlink("/tmp/bench_shot.png");
}

// The names the stage's data.vfile holds, as the packer lists them ("OFFSET  NAME  ...").
static std::vector<std::string> packedNames(const std::string &tools)
{
    std::vector<std::string> names;
    FILE *list = popen((tools + "/vfile list data.vfile").c_str(), "r");
    char line[4096], name[4096];
    while (list && fgets(line, sizeof line, list))
        if (sscanf(line, "%*s %4095s", name) == 1) names.push_back(name);
    if (list) pclose(list);
    return names;
}

static void benchPacking(const std::string &tools, const std::vector<std::string> &names)
{
    const char *listPath = "/tmp/bench-vfile.list";
    FILE *list = fopen(listPath, "w");
    if (!list) return;
    for (const std::string &name : names) fprintf(list, "%s\n", name.c_str());
    fclose(list);
    std::string command = tools + "/vfile pack /tmp/bench.vfile < " + listPath + " > /dev/null";
    auto start = std::chrono::steady_clock::now();
    int status = system(command.c_str());
    printf("vfile pack of the stage's %zu files: %.1f ms (status %d)\n", names.size(),
           secondsSince(start) * 1000, status);
    unlink("/tmp/bench.vfile");
    unlink(listPath);
}

static void benchReading(const std::vector<std::string> &names)
{
    unsigned size = 0;
    size_t bytes = 0;
    fflush(stdout);
    int stdoutCopy = dup(1);
    if (!freopen("/dev/null", "w", stdout)) return;  // the reader reports every lookup
    auto start = std::chrono::steady_clock::now();
    for (const std::string &name : names) {
        char *data = vlm_io_uncompress(name.c_str(), &size);
        if (data) bytes += size;
        free(data);
    }
    double first = secondsSince(start);
    start = std::chrono::steady_clock::now();
    for (const std::string &name : names) free(vlm_io_uncompress(name.c_str(), &size));
    double cached = secondsSince(start);
    fflush(stdout);
    dup2(stdoutCopy, 1);
    close(stdoutCopy);
    printf("reading %zu records (%zu bytes inflated) from data.vfile: %.1f ms first time, "
           "%.2f ms from the cache\n", names.size(), bytes, first * 1000, cached * 1000);
}

int main(int argc, char **argv)
{
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (argc != 2 || length <= 0 || chdir(argv[1]) != 0) {
        fprintf(stderr, "usage: bench_resources STAGE_DIR\n");
        return 2;
    }
    self[length] = 0;
    std::string tools(self);
    tools = tools.substr(0, tools.find_last_of('/'));
    openWindow(1280, 720);
    drawPicture();
    benchScreenshots();
    FILE *packed = fopen("data.vfile", "rb");
    long packedSize = 0;
    if (packed) {
        fseek(packed, 0, SEEK_END);
        packedSize = ftell(packed);
        fclose(packed);
    }
    printf("stage data.vfile: %ld bytes\n", packedSize);
    std::vector<std::string> names = packedNames(tools);
    benchPacking(tools, names);
    benchReading(names);
    return 0;
}
