// Framework runtime (placeholder until start-up lands).
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static void tick(int) { glutPostRedisplay(); glutTimerFunc(25, tick, 0); }

void vlm_init(int argc, char **argv, void (*display)(void))
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    glutCreateWindow("vlm-framework");
    glewInit();
    glutDisplayFunc(display);
    glutTimerFunc(25, tick, 0);
    glutMainLoop();
}
