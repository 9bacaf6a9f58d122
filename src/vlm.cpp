// Framework runtime: start-up, command line, window, demo clock and tick (stubs being filled in).
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int SOUND_ON = 1, CAPTURE = 0, CAPTURE_CLEVEL = 0, S_SCENE = 0, VLM_EDIT_MODE = 0;
char *VLM_EDIT_TRACK_FILENAME = nullptr;
int VLM_EDIT_CAMERA_TRACK[7];
int VLM_EDIT_ACTIVE_TRACK = 0;
int vlm_globalX = 0, vlm_globalY = 0;
int CAPTURE_TIMER = 0, SOUND_MUTE_TIMER = 0, SOUND_MUTE_START = 0, SOUND_MUTE_PAUSE = 0;
int SOUND_PAUSED = 0;
unsigned int SONGLENGTH = 0;
float SCENE_TIME[100];
int sceneid = 0;
int DEMO_LENGTH = 0;

void vlm_scanOptions(int, char **, vlm_startOptions *opts) { *opts = vlm_startOptions{}; }
void vlm_resolveResolution(vlm_startOptions *) {}
void vlm_initRendering(void) {}
void vlm_handleResize(int width, int height) { vlm_globalX = width; vlm_globalY = height; }
void vlm_clean_exit(void) { exit(0); }
unsigned int vlm_getTime(void) { return 0; }
float vlm_Get(unsigned int) { return NAN; }
void vlm_setDemoLength(float) {}
void vlm_skipTo(int) {}
void vlm_update(int) { glutPostRedisplay(); glutTimerFunc(25, vlm_update, 0); }

void vlm_init(int argc, char **argv, void (*display)(void))
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    glutCreateWindow("vlm-framework");
    glewInit();
    glutDisplayFunc(display);
    glutTimerFunc(25, vlm_update, 0);
    glutMainLoop();
}
