// The demo: its display routine and its entry point. drawScene draws one complete frame:
// loading while not loaded, then the current scene's block, the post chain, the
// accumulation step and the swap.
#include "director.h"
#include "effects_screen.h"
#include "scenes.h"
#include "shader.h"
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static void (*const SCENE_BLOCKS[DIRECTOR_SCENES])(void) = {
    sceneBlock0, sceneBlock1, sceneBlock2, sceneBlock3, sceneBlock4, sceneBlock5, sceneBlock6};

void sceneUniform(int program, const char *name, float value)
{
    vlm_shader_sendUniformValue(program, name, &value, 1);
}

void sceneMaterial(void)
{
    static const float ambient[4] = {0, 0.5f, 0.5f, 1}, grey[4] = {0.5f, 0.5f, 0.5f, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, grey);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, grey);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 96);
}

void drawScene()
{
    int W = (int)vlm_Get(1), H = (int)vlm_Get(2);
    glClearAccum(0, 0, 0, 1);
    glClearColor(gColor, gColor, gColor, gColor);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    if (!loaded && loadingFrame()) director_handOver();
    director_runBlocks(SCENE_BLOCKS);

    if (vlm_Get(6) != 0) {
        glColor3f(1, 0, 0);
        vlm_infoText(-35, -20);
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    if (loaded) director_postChain(W, H);
    director_accumulateAndSwap();
}

int main(int argc, char **argv)
{
    vlm_init(argc, argv, drawScene);
    return 0;
}
