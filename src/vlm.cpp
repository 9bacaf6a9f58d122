// Framework runtime: start-up, command line, window, the demo clock and the 25 ms tick.
#include "vlm.h"
#include "system.h"
#include "textures.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

static const int kTickMs = 25;
static const int kSceneSlots = (int)(sizeof(SCENE_TIME) / sizeof(SCENE_TIME[0]));

// ---------------------------------------------------------------- command line

// The option's value: the next argument, or null when there is none.
static const char *valueAfter(int argc, char **argv, int i)
{
    return i + 1 < argc ? argv[i + 1] : nullptr;
}

// A size counts only when positive: 0 (or text) means not given, and a negative window size
// would ask the window system for nonsense.
static void takeSize(int *size, const char *value)
{
    if (value && *size <= 0) *size = atoi(value) > 0 ? atoi(value) : 0;
}

static void takeEditFile(const char *name)
{
    if (!name) return;
    VLM_EDIT_MODE = 1;
    if (!*name) {
        printf("[!] You fecking fail, supply a feckin normal fecking feck filename.\n");
        fflush(stdout);
        exit(-1);
    }
    free(VLM_EDIT_TRACK_FILENAME);
    VLM_EDIT_TRACK_FILENAME = strdup(name);
}

void vlm_scanOptions(int argc, char **argv, vlm_startOptions *opts)
{
    memset(opts, 0, sizeof(*opts));
    opts->fullscreen = 1;
    VLM_EDIT_MODE = 0;
    // Every position is tested against every option, values included: a value that spells an
    // option acts as that option too.
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i], *value = valueAfter(argc, argv, i);
        if (!strcmp(arg, "-w")) takeSize(&opts->width, value);
        if (!strcmp(arg, "-h")) takeSize(&opts->height, value);
        if (!strcmp(arg, "-nf")) opts->fullscreen = 0;
        if (!strcmp(arg, "-m")) SOUND_ON = 0;
        if (!strcmp(arg, "-c") && value) {
            CAPTURE_CLEVEL = atoi(value);
            CAPTURE = 1;
        }
        if (!strcmp(arg, "-e")) takeEditFile(value);
        if (!strcmp(arg, "-s") && value) S_SCENE = atoi(value);
    }
}

void vlm_resolveResolution(vlm_startOptions *opts)
{
    if (opts->width > 0 && opts->height > 0) {
        snprintf(opts->gameMode, sizeof(opts->gameMode), "%dx%d:32@75", opts->width, opts->height);
        opts->defaulted = 0;
        return;
    }
    opts->width = 640;
    opts->height = 480;
    snprintf(opts->gameMode, sizeof(opts->gameMode), "1280x800:32@75");
    opts->defaulted = 1;
    printf("[*] Resolution set to default becouse nothing else was given\n");
}

// ---------------------------------------------------------------- window

// Game mode, or a full-screen window where the display cannot switch modes (no window may be
// left missing: the demo would run on with nothing to draw into).
static void openFullScreen(const vlm_startOptions *opts)
{
    glutGameModeString(opts->gameMode);
    if (glutEnterGameMode() > 0 && glutGetWindow() > 0) return;
    printf("[/] Game mode %s is not available: using a full-screen window instead.\n",
           opts->gameMode);
    glutInitWindowSize(opts->width, opts->height);
    glutCreateWindow("vlm-framework");
    glutFullScreen();
}

// freeglut never redraws a window one pixel wide or high, so the demo would wait on its
// first frame for ever: such a side is made 2 pixels, with a warning.
static int drawableSide(int pixels)
{
    return pixels < 2 ? 2 : pixels;
}

static void openWindow(const vlm_startOptions *opts)
{
    if (opts->fullscreen) {
        openFullScreen(opts);
        return;
    }
    int width = drawableSide(opts->width), height = drawableSide(opts->height);
    if (width != opts->width || height != opts->height)
        printf("[/] A %dx%d window is never drawn: opening %dx%d instead.\n", opts->width,
               opts->height, width, height);
    glutInitWindowSize(width, height);
    glutCreateWindow("vlm-framework");
}

void vlm_initRendering(void)
{
    glutSetCursor(GLUT_CURSOR_NONE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_NORMALIZE);
    glewInit();
}

void vlm_handleResize(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glClear(GL_ACCUM_BUFFER_BIT);
    glLoadIdentity();
    vlm_globalX = width;
    vlm_globalY = height;
    // Fixed 16:9 whatever the window: the picture is letterboxed by the demo, not stretched here.
    gluPerspective(45.0, 1.7777777777777777, 1.0, 200.0);
}

void vlm_clean_exit(void)
{
    fflush(stdout);
    exit(0);
}

void vlm_init(int argc, char **argv, void (*display)(void))
{
    vlm_systemCheck(nullptr);
    // Past a file size limit a write then fails with EFBIG and is reported like a full disk,
    // instead of the signal ending the demo.
    signal(SIGXFSZ, SIG_IGN);
    vlm_startOptions opts;
    vlm_scanOptions(argc, argv, &opts);
    vlm_resolveResolution(&opts);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    openWindow(&opts);
    vlm_initRendering();
    glutDisplayFunc(display);
    glutKeyboardFunc(vlm_handleKeypress);
    glutKeyboardUpFunc(vlm_handleKeyRelease);
    glutSpecialFunc(vlm_handleSpecialKeys);
    glutReshapeFunc(vlm_handleResize);
    if (VLM_EDIT_MODE) vlm_initEditMode();
    fflush(stdout);
    glutTimerFunc(kTickMs, vlm_update, 0);
    glutMainLoop();
}

// ---------------------------------------------------------------- clock and tick

unsigned int vlm_getTime(void)
{
    // The position is asked for in every mode, as the music layer expects a steady caller.
    unsigned int position = 0;
    FMOD_Channel_GetPosition(channel0, &position, FMOD_TIMEUNIT_MS);
    if (CAPTURE) return (unsigned int)CAPTURE_TIMER;
    if (!SOUND_ON) return (unsigned int)SOUND_MUTE_TIMER;
    return position;
}

float vlm_Get(unsigned int key)
{
    switch (key) {
    case 1: return (float)vlm_globalX;
    case 2: return (float)vlm_globalY;
    case 3: return 1.7777778f;
    case 4: return (float)S_SCENE;
    case 5: return (float)vlm_getTime();
    case 6: return (float)(SOUND_ON ? SOUND_PAUSED : SOUND_MUTE_PAUSE);
    case 7: return (float)VLM_EDIT_MODE;
    case 8: return (float)VLM_EDIT_ACTIVE_TRACK;
    default: return NAN;
    }
}

void vlm_setDemoLength(float seconds)
{
    if (sceneid >= kSceneSlots) {
        printf("[/] Scene length %f ignored: the demo holds %d scene lengths at most.\n", seconds,
               kSceneSlots);
        return;
    }
    SCENE_TIME[sceneid] = seconds;
    // Truncated after every addition, so the sum matches the scenes' own millisecond counts.
    DEMO_LENGTH = 0;
    for (int i = 0; i <= sceneid; i++) DEMO_LENGTH = (int)(DEMO_LENGTH + SCENE_TIME[i] * 1000.0);
    sceneid++;
}

void vlm_skipTo(int ms)
{
    // The clocks are unsigned: a time before the start is the start.
    if (ms < 0) ms = 0;
    if (CAPTURE) return;
    if (!SOUND_ON) {
        SOUND_MUTE_TIMER = ms;
        return;
    }
    if (SONGLENGTH != 0) FMOD_Channel_SetPosition(channel0, (unsigned int)ms, FMOD_TIMEUNIT_MS);
}

void vlm_update(int value)
{
    if (CAPTURE) {
        CAPTURE_TIMER += kTickMs;
        vlm_captureStep();
    }
    if (!SOUND_ON && SOUND_MUTE_START && !SOUND_MUTE_PAUSE) SOUND_MUTE_TIMER += kTickMs;
    vlm_moveEditCamera();
    glutPostRedisplay();
    glutTimerFunc(kTickMs, vlm_update, 0);
}
