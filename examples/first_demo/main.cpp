// first_demo: five seconds of an amber crystal turning in the dark, seen from a camera track,
// with sparks rising around it and a line of text, then the program ends by itself.
//
// The framework owns the window, the 25 ms tick and the clock; a demo hands it one display
// routine, which draws a whole frame each time it is called. Everything is found by id: a
// loader returns an index into the framework's table for that kind of thing (programs, models,
// render targets, camera tracks, particle systems), and the demo keeps the ids it was given.
// Files are read relative to the working directory, the run folder (see CMakeLists.txt).
#include <vlm/vlm.h>
#include <vlm/camera.h>
#include <vlm/effects_particles.h>
#include <vlm/effects_screen.h>
#include <vlm/fbo.h>
#include <vlm/models_obj.h>
#include <vlm/shader.h>
#include <GL/glew.h>
#include <GL/freeglut.h>

static const float kLengthSeconds = 5.0f;

// The ids of what the first frame loads.
static int crystalShader = -1, crystal = -1, target = -1, sparks = -1;
static bool loaded = false;

// Loading: shaders and models come from data.vfile when it holds them, else from data/;
// camera tracks are always read from data/ (so -live can reload them while the demo plays).
static void load()
{
    crystalShader = vlm_loadShader("data/shader/crystal.vert", "data/shader/crystal.frag");
    crystal = vlm_loadOBJ("data/models/crystal.obj");
    // A render target of the window's size (it follows the window when that is resized).
    target = vlm_loadFBO((int)vlm_Get(VLM_GET_WIDTH), (int)vlm_Get(VLM_GET_HEIGHT));
    // Camera slot 0 follows this track: its key times are milliseconds of the demo clock.
    vlm_camera_useTrack(0, vlm_genCameraTrack(VLM_TRACK_LOADED, "data/camera/orbit.vtrack"));
    sparks = (int)vlm_genParticleSystem(400);
    // The scene lengths make the demo's length (DEMO_LENGTH, in ms): one scene here.
    vlm_setDemoLength(kLengthSeconds);
    // Starts the clock: the music, or (as here) the silent clock; in capture mode (-c) the
    // capture clock runs instead, 25 ms per frame whatever the machine's speed.
    vlm_startMusic();
    loaded = true;
}

// The scene, drawn into the render target: crystal and sparks as the camera sees them.
static void drawScene(float t)
{
    vlm_enableFBO(target, 0.05f, 0.08f, 0.2f); // binds, clears, sets a perspective view
    vlm_useCamera(0);                          // the view from the track at the current time

    glPushMatrix();
    glRotatef(t * 40, 0, 1, 0);
    vlm_enableShader(crystalShader);
    vlm_shader_sendUniformValue(crystalShader, "time", &t, 1);
    vlm_renderOBJ(crystal);
    vlm_disableShader();
    glPopMatrix();

    // Sparks fly along arcs about 20 units across and up to 100 high (the framework's scale),
    // so they are scaled down to the crystal's. Ten are spawned per frame; time is in arcs.
    glPushMatrix();
    glTranslatef(0, -3, 0);
    glScalef(0.15f, 0.15f, 0.15f);
    glColor3f(0.6f, 0.9f, 1.0f);
    vlm_drawParticleSystem(sparks, 0, 0, 0, 0, 0, 0, 10, t * 1.5f);
    glPopMatrix();
}

// The display routine: one frame.
static void display()
{
    if (!loaded) load();
    float t = vlm_getTime() / 1000.0f; // the demo clock, seconds
    // The demo's own end: the framework plays on until the demo says it is over. The frame at
    // exactly its length is drawn too (the last of 25 x N ms is frame N + 1 of a video).
    if (vlm_getTime() > (unsigned)DEMO_LENGTH) vlm_clean_exit();

    drawScene(t);
    // Back to the window, and the target's picture over all of it.
    vlm_disableFBO(0, 0, 0);
    glDisable(GL_DEPTH_TEST);
    vlm_renderFullscreen(vlm_fboTexture(target, 0));

    // Overlay text in screen coordinates (-1..1 both ways); a glyph is 4 units high.
    vlm_pushScreenMatrices();
    glMatrixMode(GL_MODELVIEW);
    glScalef(0.02f * 9 / 16, 0.02f, 0.02f); // undo the 16:9 stretch of the screen
    glColor3f(1, 1, 1);
    vlm_drawPolygonText("hello from first_demo", -85, -40, 0);
    vlm_popScreenMatrices();
    glEnable(GL_DEPTH_TEST);

    glutSwapBuffers();
}

int main(int argc, char **argv)
{
    SOUND_ON = 0; // no music in this demo: the silent clock keeps time (as -m does)
    vlm_init(argc, argv, display); // options, window, main loop; never returns
    return 0;
}
