// The demo: its display routine and its entry point.
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

void drawScene()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

int main(int argc, char **argv)
{
    vlm_init(argc, argv, drawScene);
    return 0;
}
