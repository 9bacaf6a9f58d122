// The demo: its display routine and its entry point (`--timeline` prints the scene table's
// timeline and ends before any window opens). drawScene draws one complete frame:
// loading while not loaded, then the current scene's block, the post chain, the
// accumulation step and the swap.
#include "director.h"
#include "loading.h"
#include "post_chain.h"
#include "scene_kit.h"
#include <vlm/effects_screen.h>
#include <vlm/vlm.h>
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cstring>

void drawScene()
{
    int W = (int)vlm_Get(VLM_GET_WIDTH), H = (int)vlm_Get(VLM_GET_HEIGHT);
    glClearAccum(0, 0, 0, 1);
    glClearColor(gColor, gColor, gColor, gColor);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    if (!loaded && loadingFrame()) director_handOver();
    director_runBlocks(sceneBlock);

    if (vlm_Get(VLM_GET_PAUSED) != 0) {
        glColor3f(1, 0, 0);
        vlm_infoText(-35, -20);
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    if (loaded) postChain_toWindow(W, H);
    postChain_accumulateAndSwap();
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; i++)
        if (strcmp(argv[i], "--timeline") == 0) {
            director_printTimeline();
            return 0;
        }
    vlm_liveHoldWindowFrom(director_heldWindow);
    vlm_init(argc, argv, drawScene);
    return 0;
}
