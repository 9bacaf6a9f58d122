// Runtime state and the demo clock: the globals of vlm_state.h, reading the clock and moving it.
#include "vlm_state.h"
#include "live.h"
#include "video.h"
#include <chrono>
#include <cmath>
#include <cstdio>

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

FMOD_SYSTEM *system0 = nullptr;
FMOD_SOUND *sound0 = nullptr;
FMOD_CHANNEL *channel0 = nullptr;
unsigned int version0 = 0;

static const int kSceneSlots = (int)(sizeof(SCENE_TIME) / sizeof(SCENE_TIME[0]));

// ---------------------------------------------------------------- past the song's end
// A demo may be longer than its song. Once the position holds at the song's end, the clock goes
// on at real time from there (standing still while paused), so the demo still reaches its end.
typedef std::chrono::steady_clock SteadyClock;
struct Overtime {
    bool running = false;          // the clock is past the song's end
    double fromMs = 0;             // the reading when it last started counting
    SteadyClock::time_point since; // when that was
    bool told = false;             // the warning has been printed
};
static Overtime OVERTIME;

static double overtimeReading(SteadyClock::time_point now)
{
    if (SOUND_PAUSED) return OVERTIME.fromMs;
    return OVERTIME.fromMs + std::chrono::duration<double, std::milli>(now - OVERTIME.since).count();
}

static void startOvertime(unsigned int ms)
{
    OVERTIME.running = true;
    OVERTIME.fromMs = ms;
    OVERTIME.since = SteadyClock::now();
}

// Said once, when the demo plays on past the song's end by more than a tick (25 ms): a demo
// whose length (DEMO_LENGTH, when it tells it) ends within that tick of the song says nothing.
static void tellOvertime(unsigned int readingMs)
{
    const unsigned int tickMs = 25;
    if (OVERTIME.told || readingMs <= SONGLENGTH + tickMs) return;
    if (DEMO_LENGTH > 0 && (unsigned int)DEMO_LENGTH <= SONGLENGTH + tickMs) return;
    OVERTIME.told = true;
    printf("[/] The music ended at %u ms, before the demo did: the clock goes on at real time "
           "without it.\n", SONGLENGTH);
}

// The music's clock: its position, or past its end the real-time count from there.
static unsigned int musicClock(unsigned int position)
{
    if (SONGLENGTH == 0 || position < SONGLENGTH) {
        OVERTIME.running = false;
        return position;
    }
    if (!OVERTIME.running) startOvertime(SONGLENGTH);
    unsigned int reading = (unsigned int)overtimeReading(SteadyClock::now());
    tellOvertime(reading);
    return reading;
}

unsigned int vlm_getTime(void)
{
    // The position is asked for in every mode, as the music layer expects a steady caller.
    unsigned int position = 0;
    FMOD_Channel_GetPosition(channel0, &position, FMOD_TIMEUNIT_MS);
    unsigned int clock = CAPTURE     ? (unsigned int)CAPTURE_TIMER
                         : !SOUND_ON ? (unsigned int)SOUND_MUTE_TIMER
                                     : musicClock(position);
    return VLM_LIVE ? vlm_liveHoldClock(clock) : clock;
}

float vlm_Get(unsigned int key)
{
    switch (key) {
    case VLM_GET_WIDTH: return (float)vlm_globalX;
    case VLM_GET_HEIGHT: return (float)vlm_globalY;
    case VLM_GET_ASPECT: return 1.7777778f;
    case VLM_GET_START_SCENE: return (float)S_SCENE;
    case VLM_GET_TIME_MS: return (float)vlm_getTime();
    case VLM_GET_PAUSED: return (float)(SOUND_ON ? SOUND_PAUSED : SOUND_MUTE_PAUSE);
    case VLM_GET_EDIT_MODE: return (float)VLM_EDIT_MODE;
    case VLM_GET_EDIT_TRACK: return (float)VLM_EDIT_ACTIVE_TRACK;
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
    // The video road's renderer reads the demo's length from here (the last line counts).
    if (VLM_VIDEO_PATH) printf("[VIDEO] length %d\n", DEMO_LENGTH);
}

void vlm_skipTo(int ms)
{
    // The clocks are unsigned: a time before the start is the start.
    if (ms < 0) ms = 0;
    if (VLM_VIDEO_PATH) { // the video road starts where it is told, frame by frame from there
        CAPTURE_TIMER = ms;
        return;
    }
    if (CAPTURE) return;
    if (!SOUND_ON) {
        SOUND_MUTE_TIMER = ms;
        return;
    }
    if (SONGLENGTH == 0) return;
    FMOD_Channel_SetPosition(channel0, (unsigned int)ms, FMOD_TIMEUNIT_MS);
    OVERTIME.running = false;
    if ((unsigned int)ms >= SONGLENGTH) startOvertime((unsigned int)ms);
}

int vlm_togglePause(void)
{
    if (SOUND_ON || CAPTURE) {
        FMOD_BOOL paused = 0;
        FMOD_Channel_GetPaused(channel0, &paused);
        FMOD_Channel_SetPaused(channel0, !paused);
        if (OVERTIME.running) { // past the song's end the count stands still while paused
            SteadyClock::time_point now = SteadyClock::now();
            OVERTIME.fromMs = overtimeReading(now);
            OVERTIME.since = now;
        }
        SOUND_PAUSED = !paused;
        return SOUND_PAUSED;
    }
    SOUND_MUTE_PAUSE = 1 - SOUND_MUTE_PAUSE;
    return SOUND_MUTE_PAUSE;
}
