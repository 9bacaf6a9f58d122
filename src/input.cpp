// Keyboard, mouse and the camera editor: the viewer's pause, seek, screenshot and quit keys, and
// in edit mode the keys and mouse drags that move, turn, record and save the edit camera.
#include "vlm.h"
#include "camera.h"
#include "io.h"
#include "io_save.h"
#include "live.h"
#include "textures.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <sys/stat.h>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

int VLM_KEYSTATE[2];
int VLM_EDIT_MOUSE[5];

static const float kStep = 1.0f;        // world units per position key press
static const double kMoveStep = 0.8;    // look directions per tick while w or s is held
static const float kTurnPerPixel = 0.01f;  // radians per pixel dragged

// The camera slot the editor works on.
static int editSlot(void)
{
    return VLM_EDIT_CAMERA_TRACK[VLM_EDIT_ACTIVE_TRACK];
}

// ---------------------------------------------------------------- keys of every mode

// The cursor shows while the demo is paused.
static void togglePause(void)
{
    glutSetCursor(vlm_togglePause() ? GLUT_CURSOR_CROSSHAIR : GLUT_CURSOR_NONE);
}

// Moves the edit camera by `delta` along one axis (0 = x, 1 = y); the rotation stays.
static void nudgeEditCamera(int axis, float delta)
{
    vec3 p = {0, 0, 0};
    vlm_getCameraTrackPos(editSlot(), &p, nullptr);
    if (axis == 0) p.x += delta;
    else p.y += delta;
    vlm_setCameraTrackPos(editSlot(), &p, nullptr);
}

// The file whose keys this session has already made safe (or found none in): the editor
// writes only the keys recorded since the track was loaded, so the first write over a file
// that holds keys copies it to "<file>~" first, and later writes leave that copy alone.
static std::string BACKED_UP_FILE;

enum BackupOutcome { BACKUP_NONE, BACKUP_MADE, BACKUP_FAILED };

// Copies `path` to "<path>~" once per session, before its first write; a missing or empty file
// (or a device) has no keys to keep.
static BackupOutcome backUpBeforeFirstWrite(const char *path)
{
    if (BACKED_UP_FILE == path) return BACKUP_NONE;
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) {
        BACKED_UP_FILE = path;
        return BACKUP_NONE;
    }
    std::string backup = std::string(path) + "~";
    VlmFile old = {VLM_FILE_MISSING, nullptr, 0, false};
    if ((unsigned long long)info.st_size <= VLM_FILE_MAX_BYTES)  // the reader would end the process
        old = vlm_io_readFile(path, VLM_FROM_DISK);
    int error = 0;
    bool saved = old.status == VLM_FILE_READ &&
                 vlm_io_saveFile(backup.c_str(), old.bytes, old.size, &error) == VLM_SAVED;
    free(old.bytes);
    if (!saved) {
        if (old.status == VLM_FILE_READ)
            fputs(vlm_io_saveFailure(backup.c_str(), error).c_str(), stdout);
        else
            printf("[!] Could not read %s to keep its keys in %s\n", path, backup.c_str());
        return BACKUP_FAILED;
    }
    BACKED_UP_FILE = path;
    return BACKUP_MADE;
}

static void writeEditTrack(void)
{
    const char *path = VLM_EDIT_TRACK_FILENAME;
    BackupOutcome backup = backUpBeforeFirstWrite(path);
    if (backup == BACKUP_FAILED) {
        printf("[EDIT] Not writing over %s while its keys are kept nowhere else; the new keys "
               "are still here: press q to try again\n", path);
        fflush(stdout);
        return;
    }
    if (backup == BACKUP_MADE)
        printf("[EDIT] Writing camera to %s (its old keys are kept in %s~)\n", path, path);
    else
        printf("[EDIT] Writing camera to %s\n", path);
    fflush(stdout);
    if (!vlm_saveTrackToFile(editSlot(), path))
        printf("[EDIT] The keys are still here: make room and press q to write them again\n");
}

static void editorKey(unsigned char key)
{
    switch (key) {
    case 13:
        vlm_savePosToTrack(editSlot(), (uint32_t)vlm_Get(VLM_GET_TIME_MS));
        writeEditTrack();
        break;
    case 'q': writeEditTrack(); break;
    case 'a': nudgeEditCamera(0, kStep); break;
    case 'd': nudgeEditCamera(0, -kStep); break;
    case 'r': nudgeEditCamera(1, kStep); break;
    case 'f': nudgeEditCamera(1, -kStep); break;
    case 'w': VLM_KEYSTATE[0] = 1; break;
    case 's': VLM_KEYSTATE[1] = 1; break;
    default: break;
    }
}

void vlm_handleKeypress(unsigned char key, int x, int y)
{
    switch (key) {
    case ' ': togglePause(); break;
    case '0':
        // Not read now: between frames the window's size may already have changed.
        vlm_requestScreenshot("screenshot.png");
        break;
    case 27: glutLeaveGameMode(); vlm_clean_exit(); break;
    case 'l':
        if (VLM_LIVE) vlm_liveToggleHold();
        break;
    default: break;
    }
    if (VLM_EDIT_MODE) editorKey(key);
}

void vlm_handleKeyRelease(unsigned char key, int x, int y)
{
    if (key == 's') VLM_KEYSTATE[1] = 0;
    if (key == 'w') VLM_KEYSTATE[0] = 0;
}

// ---------------------------------------------------------------- seeking

static const long long kSeekStepMs = 1000;

// The silent clock seeks forward without bound; the music only while a whole step remains of
// both the song and the demo.
static bool mayStepForward(long long timeMs)
{
    return !SOUND_ON || (timeMs + kSeekStepMs < SONGLENGTH && timeMs + kSeekStepMs < DEMO_LENGTH);
}

void vlm_handleSpecialKeys(int key, int x, int y)
{
    long long t = vlm_getTime();
    if (CAPTURE) return;
    if (key == GLUT_KEY_LEFT) vlm_skipTo(t > kSeekStepMs ? (int)(t - kSeekStepMs) : 0);
    else if (key == GLUT_KEY_RIGHT && mayStepForward(t))
        vlm_skipTo(t + kSeekStepMs < INT_MAX ? (int)(t + kSeekStepMs) : INT_MAX);
}

// ---------------------------------------------------------------- mouse

void vlm_handleMouseState(int button, int state, int x, int y)
{
    if (button >= 0 && button <= 2) VLM_EDIT_MOUSE[2 + button] = state == GLUT_DOWN ? 1 : 0;
    VLM_EDIT_MOUSE[0] = x;
    VLM_EDIT_MOUSE[1] = y;
}

// Angles past a full turn either way start again at 0.
static float wrapTurn(float angle)
{
    return angle > 360.0f || angle < -360.0f ? 0.0f : angle;
}

void vlm_handleMouseMove(int x, int y)
{
    int dx = VLM_EDIT_MOUSE[0] - x, dy = VLM_EDIT_MOUSE[1] - y;
    VLM_EDIT_MOUSE[0] = x;
    VLM_EDIT_MOUSE[1] = y;
    if (VLM_EDIT_MOUSE[2] && !VLM_EDIT_MOUSE[3] && !VLM_EDIT_MOUSE[4]) {
        vec3 r = {0, 0, 0};
        vlm_getCameraTrackPos(editSlot(), nullptr, &r);
        r.y += dx * kTurnPerPixel;
        r.x += dy * kTurnPerPixel;
        r.x = wrapTurn(r.x);
        r.y = wrapTurn(r.y);
        vlm_setCameraTrackPos(editSlot(), nullptr, &r);
    }
    glutPostRedisplay();
}

// ---------------------------------------------------------------- edit mode set-up and movement

void vlm_initEditMode(void)
{
    printf("[DEV] NOW IN FECKING EDIT MOWD..\n");
    for (int i = 0; i < 7; i++) {
        VLM_EDIT_CAMERA_TRACK[i] = vlm_genCameraTrack(0, nullptr);
        vlm_camera_useTrack(i, VLM_EDIT_CAMERA_TRACK[i]);
    }
    VLM_EDIT_ACTIVE_TRACK = 0;
    printf("FIRST TRACK ID : %d\n", VLM_EDIT_CAMERA_TRACK[1]);
    glutMouseFunc(vlm_handleMouseState);
    glutMotionFunc(vlm_handleMouseMove);
}

// One step of `factor` look directions: the same unnormalised terms the camera uses for its
// look-at centre, each taken in double precision and stored back as a float.
static void stepAlongLook(double factor)
{
    vec3 p = {0, 0, 0}, r = {0, 0, 0};
    vlm_getCameraTrackPos(editSlot(), &p, &r);
    p.x = (float)(p.x + sin((double)r.y) * factor);
    p.y = (float)(p.y + sin((double)r.x) * factor);
    p.z = (float)(p.z + cos((double)r.y) * factor);
    vlm_setCameraTrackPos(editSlot(), &p, &r);
}

void vlm_moveEditCamera(void)
{
    if (VLM_KEYSTATE[0] == 1) stepAlongLook(kMoveStep);
    if (VLM_KEYSTATE[1] == 1) stepAlongLook(-kMoveStep);
}
