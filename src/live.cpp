// Live editing: the inotify watch on the folders the demo loaded its shaders and camera tracks
// from, the reloads it triggers, and the hold that loops the current scene.
#include "live.h"
#include "camera.h"
#include "shader.h"
#include "vlm.h"
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <string>

int VLM_LIVE = 0;

// ---------------------------------------------------------------- the watch

// A watched folder: the path its files were loaded by, up to and with the last '/' ("" for the
// working directory), and its inotify watch descriptor (-1 when it could not be watched).
struct LiveFolder {
    std::string prefix;
    int watch;
};

static const int FOLDER_CAPACITY = 32;
static LiveFolder FOLDERS[FOLDER_CAPACITY];
static int FOLDER_COUNT = 0;
static int WATCH_FD = -1; // non-blocking inotify descriptor; -1 until vlm_liveStart

// A file counts as changed once it is complete: closed after writing, or renamed into place
// (how many editors save). Plain modifications are not watched, so a half-written file is
// never read.
static const uint32_t CHANGE_EVENTS = IN_CLOSE_WRITE | IN_MOVED_TO;

void vlm_liveStart(void)
{
    WATCH_FD = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (WATCH_FD < 0)
        printf("[/] Live: can't watch files (%s); nothing will be reloaded\n", strerror(errno));
    fflush(stdout);
}

static bool watched(const std::string &prefix)
{
    for (int i = 0; i < FOLDER_COUNT; i++)
        if (FOLDERS[i].prefix == prefix) return true;
    return false;
}

void vlm_liveWatchFolderOf(const char *path)
{
    if (WATCH_FD < 0) return;
    const char *slash = strrchr(path, '/');
    std::string prefix(path, slash ? (size_t)(slash - path + 1) : 0);
    if (watched(prefix)) return;
    std::string folder = prefix.empty() ? "." : prefix.substr(0, prefix.size() - 1);
    if (FOLDER_COUNT == FOLDER_CAPACITY) {
        printf("[/] Live: can't watch %s: the watch table holds %d folders\n", folder.c_str(),
               FOLDER_CAPACITY);
        fflush(stdout);
        return;
    }
    LiveFolder &entry = FOLDERS[FOLDER_COUNT++];
    entry.prefix = prefix;
    entry.watch = inotify_add_watch(WATCH_FD, folder.c_str(), CHANGE_EVENTS);
    if (entry.watch < 0)
        printf("[/] Live: can't watch %s (%s)\n", folder.c_str(), strerror(errno));
    else
        printf("[*] Live: watching %s\n", folder.c_str());
    fflush(stdout);
}

// The whole file, read now from disk; false (with a warning) when it cannot be read.
static bool readWhole(const char *path, std::string *bytes)
{
    FILE *file = fopen(path, "rb");
    if (!file) {
        printf("[/] Live: can't read %s (%s); nothing reloaded\n", path, strerror(errno));
        return false;
    }
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0) bytes->append(chunk, n);
    fclose(file);
    return true;
}

// A saved file is reloaded by whichever table loaded it: shader sources, camera tracks.
static void reloadFile(const std::string &path)
{
    bool tracks = vlm_cameraTrackUsesFile(path.c_str());
    if (!tracks && !vlm_shaderUsesFile(path.c_str()))
        return; // editor scratch files, and files nothing has loaded yet
    std::string bytes;
    if (!readWhole(path.c_str(), &bytes)) return;
    if (tracks) {
        int count = vlm_reloadCameraTrack(path.c_str(), bytes.data(), bytes.size());
        if (count > 0)
            printf("[*] Live: %s reloaded into %d camera track(s)\n", path.c_str(), count);
    } else {
        int programs = vlm_reloadShaderSource(path.c_str(), bytes.c_str());
        if (programs > 0) printf("[*] Live: %s rebuilt %d program(s)\n", path.c_str(), programs);
    }
    fflush(stdout);
}

static const LiveFolder *folderOf(int watch)
{
    for (int i = 0; i < FOLDER_COUNT; i++)
        if (FOLDERS[i].watch == watch) return &FOLDERS[i];
    return nullptr;
}

void vlm_livePoll(void)
{
    if (WATCH_FD < 0) return;
    alignas(struct inotify_event) char events[4096];
    ssize_t size = read(WATCH_FD, events, sizeof events);
    if (size <= 0) return; // EAGAIN: nothing changed since the last tick
    // One save can report a file twice (written, then renamed over): each is reloaded once.
    std::string seen;
    for (ssize_t at = 0; at < size;) {
        const struct inotify_event *event = (const struct inotify_event *)(events + at);
        at += (ssize_t)sizeof(struct inotify_event) + event->len;
        const LiveFolder *folder = folderOf(event->wd);
        if (!folder || event->len == 0 || (event->mask & IN_ISDIR)) continue;
        std::string path = folder->prefix + event->name;
        if (seen.find("\n" + path + "\n") != std::string::npos) continue;
        seen += "\n" + path + "\n";
        reloadFile(path);
    }
}

// ---------------------------------------------------------------- the hold

static bool HOLDING = false;
static unsigned int HOLD_START = 0, HOLD_END = 0; // ms of the demo clock, [start, end)

// The scene window holding `ms`, summed like DEMO_LENGTH (truncated after each scene); past the
// last scene, the last scene. Returns the scene number, or -1 before any length is known.
static int sceneWindow(unsigned int ms, unsigned int *startMs, unsigned int *endMs)
{
    int sum = 0;
    for (int i = 0; i < sceneid; i++) {
        int next = (int)(sum + SCENE_TIME[i] * 1000.0);
        if (ms < (unsigned int)next || i == sceneid - 1) {
            *startMs = (unsigned int)sum;
            *endMs = (unsigned int)next;
            return i;
        }
        sum = next;
    }
    return -1;
}

static VlmHoldWindow HOLD_WINDOW = sceneWindow;

void vlm_liveHoldWindowFrom(VlmHoldWindow window)
{
    HOLD_WINDOW = window ? window : sceneWindow;
}

void vlm_liveToggleHold(void)
{
    if (CAPTURE) {
        printf("[/] Live: the capture clock can't loop; nothing held\n");
    } else if (HOLDING) {
        HOLDING = false;
        printf("[*] Live: playing on\n");
    } else {
        int scene = HOLD_WINDOW(vlm_getTime(), &HOLD_START, &HOLD_END);
        if (scene < 0) {
            printf("[/] Live: nothing to hold before the demo starts\n");
        } else {
            HOLDING = true;
            printf("[*] Live: holding scene %d (%.3f s to %.3f s) in a loop\n", scene,
                   HOLD_START / 1000.0, HOLD_END / 1000.0);
        }
    }
    fflush(stdout);
}

unsigned int vlm_liveHoldClock(unsigned int ms)
{
    if (!HOLDING || (ms >= HOLD_START && ms < HOLD_END)) return ms;
    vlm_skipTo((int)HOLD_START);
    return HOLD_START;
}

bool vlm_liveHeldWindow(unsigned int *startMs, unsigned int *endMs)
{
    *startMs = HOLD_START;
    *endMs = HOLD_END;
    return HOLDING;
}
