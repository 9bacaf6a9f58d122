// Framework runtime: start-up, command line, window and the 25 ms tick.
#include "vlm.h"
#include "fbo.h"
#include "live.h"
#include "system.h"
#include "textures.h"
#include "video.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <malloc.h>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const int kTickMs = 25;

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
        if (!strcmp(arg, "-live")) VLM_LIVE = 1;
        if (!strcmp(arg, "--help")) opts->help = 1;
    }
}

void vlm_printHelp(void)
{
    printf("usage: ./demo [options]\n"
           "  -w W -h H   size in pixels, both or neither (else a 640x480 window or 1280x800)\n"
           "  -nf         a window instead of full screen\n"
           "  -m          no sound: the demo runs on its own silent clock\n"
           "  -c LEVEL    frame capture: 25 ms per tick, each frame to capture/N.png (PNG 0-9)\n"
           "  -e FILE     camera edit mode: place the camera keys and write them to FILE\n"
           "  -s N        start at scene N\n"
           "  -live       reload shaders and camera tracks of data/ when their files are saved\n"
           "  --help      this text\n"
           "keys:\n"
           "  space pause / resume    left / right seek 1 s    0 screenshot.png    Escape quit\n"
           "  -live: l    hold the current scene in a loop / play on\n"
           "  -e: w / s held fly, a d r f move along x / y, left drag turns,\n"
           "      Enter records a key and writes FILE, q writes FILE\n");
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

// The video road is asked for by the renderer through the environment, not the command line,
// so that every argument is scanned as for any run: VLM_VIDEO_OUT=FILE (see video.h).
static void takeVideoRoad(void)
{
    const char *path = getenv("VLM_VIDEO_OUT");
    if (!path || !*path) return;
    VLM_VIDEO_PATH = strdup(path);
    CAPTURE = 1; // the capture clock, advanced per frame instead of per tick
}

static void (*DISPLAY)(void) = nullptr;

// One frame in the window, then the screenshot asked for by key, at the size it was drawn at.
// Before it, the render targets made at the window's size follow a size that has settled.
static void windowFrame(void)
{
    int width = (int)vlm_Get(VLM_GET_WIDTH), height = (int)vlm_Get(VLM_GET_HEIGHT);
    vlm_fboFollowWindow(width, height);
    DISPLAY();
    vlm_frameDrawn(width, height);
}

void vlm_init(int argc, char **argv, void (*display)(void))
{
    vlm_systemCheck(nullptr);
    // Past a file size limit a write then fails with EFBIG and is reported like a full disk,
    // instead of the signal ending the demo.
    signal(SIGXFSZ, SIG_IGN);
    // Render targets are remade when the window is resized, and a 2560x1600 colour texture is
    // 33 MB: with glibc's threshold left to rise, freed textures stay in the heap and the
    // memory held climbs with every large resize. Fixed, large blocks always go back.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    // The GL driver frees megabytes of per-frame data at every frame's end; given back to the
    // system at once, they are faulted in again, page by page, in the next frame (a sixth of a
    // software GL's drawing thread). Up to 32 MB free at the heap's top stay there.
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
    vlm_startOptions opts;
    vlm_scanOptions(argc, argv, &opts);
    if (opts.help) {
        vlm_printHelp();
        vlm_clean_exit();
    }
    takeVideoRoad();
    vlm_resolveResolution(&opts);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    openWindow(&opts);
    vlm_initRendering();
    if (VLM_VIDEO_PATH) vlm_startVideo(display);
    DISPLAY = display;
    glutDisplayFunc(VLM_VIDEO_PATH ? vlm_videoFrame : windowFrame);
    glutKeyboardFunc(vlm_handleKeypress);
    glutKeyboardUpFunc(vlm_handleKeyRelease);
    glutSpecialFunc(vlm_handleSpecialKeys);
    glutReshapeFunc(vlm_handleResize);
    if (VLM_EDIT_MODE) vlm_initEditMode();
    if (VLM_LIVE) vlm_liveStart();
    fflush(stdout);
    if (!VLM_VIDEO_PATH) glutTimerFunc(kTickMs, vlm_update, 0); // the video road needs no tick
    glutMainLoop();
}

// ---------------------------------------------------------------- tick

void vlm_update(int value)
{
    if (CAPTURE) {
        CAPTURE_TIMER += kTickMs;
        vlm_captureStep();
    }
    if (!SOUND_ON && SOUND_MUTE_START && !SOUND_MUTE_PAUSE) SOUND_MUTE_TIMER += kTickMs;
    vlm_moveEditCamera();
    if (VLM_LIVE) vlm_livePoll();
    glutPostRedisplay();
    glutTimerFunc(kTickMs, vlm_update, 0);
}
