// Test helper: one real OpenGL context per test process (Mesa under Xvfb).
#pragma once
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <functional>
#include <vector>

// Whether the X server shows the test window: freeglut only redraws a window it knows is shown,
// however often a redraw is asked for, so tests that count redraws start once it is.
inline bool vlmTestWindowShown = false;

// Handles window events until the server has shown the window (a deadline only for a server
// that never does).
inline void vlmTestWaitUntilShown()
{
    glutDisplayFunc([] {});  // freeglut wants a display routine once the window is shown
    glutWindowStatusFunc([](int state) {
        vlmTestWindowShown = state == GLUT_FULLY_RETAINED || state == GLUT_PARTIALLY_RETAINED;
    });
    for (int i = 0; i < 3000 && !vlmTestWindowShown; i++) {
        glutMainLoopEvent();
        if (!vlmTestWindowShown) usleep(10000);
    }
}

// Opens a double-buffered RGBA window of width x height once per process and makes it current.
inline void vlmTestGLContext(int width = 320, int height = 180)
{
    static bool open = false;
    if (open) return;
    int argc = 1;
    char name[] = "vlm-test";
    char *argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    glutCreateWindow("vlm-test");
    glewInit();
    glViewport(0, 0, width, height);
    open = true;
    vlmTestWaitUntilShown();
}

// Reads the RGBA pixel at (x, y) of the current read buffer, origin bottom left.
inline void vlmTestReadPixel(int x, int y, unsigned char rgba[4])
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

// Runs freeglut's event loop until `counter` passes `before`. The test window is shown before
// any test runs, so the first pass redraws; the ten seconds are only a net for a lost redraw.
inline bool vlmTestRunUntilPast(const int &counter, int before)
{
    for (int i = 0; i < 1000 && counter == before; i++) {
        glutMainLoopEvent();
        if (counter == before) usleep(10000);
    }
    return counter > before;
}

// GL's feedback of draw() of kind `type` (GL_3D, GL_3D_COLOR, ...), in a buffer of room for
// `room` values: the values GL wrote (none, and a failure, when they overflow it).
inline std::vector<GLfloat> vlmTestFeedback(GLenum type, size_t room, const std::function<void()> &draw)
{
    static std::vector<GLfloat> buffer;
    buffer.resize(room);
    glFeedbackBuffer((GLsizei)buffer.size(), type, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint n = glRenderMode(GL_RENDER);
    EXPECT_GE(n, 0) << "feedback buffer overflow";
    return std::vector<GLfloat>(buffer.begin(), buffer.begin() + (n > 0 ? n : 0));
}
