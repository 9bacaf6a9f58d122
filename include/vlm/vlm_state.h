// Runtime state: the working modes, the window size, the clocks and scene lengths and the sound
// handles, with the clock's reading (vlm_getTime, vlm_Get) and moving (seek, pause).
// Owns the globals below and the scene length table (100 entries); reads no files.
// Modules that only read the state include this header; vlm.h includes it for everyone else.
#pragma once
#include "audio.h"

// ---------------------------------------------------------------- working modes (set at start-up)
extern int SOUND_ON;                  // 1 at start, 0 after -m: the silent clock stands in for music
extern int CAPTURE;                   // 1 after -c: the capture clock, one PNG per tick
extern int CAPTURE_CLEVEL;            // PNG compression level of captured frames (from -c)
extern int S_SCENE;                   // start scene (from -s), read through vlm_Get(VLM_GET_START_SCENE)
extern int VLM_EDIT_MODE;             // 1 after a valid -e: camera editing
extern char *VLM_EDIT_TRACK_FILENAME; // own copy of the -e file name; null when not editing
extern int VLM_EDIT_CAMERA_TRACK[7];  // camera track ids of the seven edit tracks
extern int VLM_EDIT_ACTIVE_TRACK;     // index into VLM_EDIT_CAMERA_TRACK being edited (always 0)
extern int vlm_globalX, vlm_globalY;  // window size in pixels at the last reshape; 0 before

// ---------------------------------------------------------------- clocks and lengths
extern int CAPTURE_TIMER;             // capture clock, ms; +25 per tick in capture mode
extern int SOUND_MUTE_TIMER;          // silent clock, ms; +25 per tick once started, unless paused
extern int SOUND_MUTE_START;          // non-zero once the silent clock has been started
extern int SOUND_MUTE_PAUSE;          // 1 while the silent clock is paused
extern int SOUND_PAUSED;              // 1 while the music is paused
extern unsigned int SONGLENGTH;       // song length in ms, set when the music starts; 0 before
extern float SCENE_TIME[100];         // scene lengths in seconds, in the order given
extern int sceneid;                   // number of scene lengths given so far (0..100)
extern int DEMO_LENGTH;               // sum of the scene lengths in ms, truncated after each add

// ---------------------------------------------------------------- sound handles (set by music.cpp)
extern FMOD_SYSTEM *system0;          // the sound system; null until the music is loaded
extern FMOD_SOUND *sound0;            // the music stream
extern FMOD_CHANNEL *channel0;        // the playing music; null until it starts (reads as 0 ms)
extern unsigned int version0;         // the back end's version, kept and not otherwise used

// ---------------------------------------------------------------- the clock
// The demo clock in ms: capture clock, silent clock, or the music position (0 before playback);
// past the song's end the music clock goes on at real time from the end (still while paused),
// with a "[/] " line the first time; with -live, held in the scene being looped (live.h).
unsigned int vlm_getTime(void);
// Keys of vlm_Get; the numbers are part of the interface.
enum vlm_getKey {
    VLM_GET_WIDTH = 1,        // window width in pixels
    VLM_GET_HEIGHT = 2,       // window height in pixels
    VLM_GET_ASPECT = 3,       // the constant 16:9 aspect, 1.7777778
    VLM_GET_START_SCENE = 4,  // the start scene (-s)
    VLM_GET_TIME_MS = 5,      // the demo clock in ms
    VLM_GET_PAUSED = 6,       // 1 while the music (or the silent clock) is paused
    VLM_GET_EDIT_MODE = 7,    // 1 in camera edit mode
    VLM_GET_EDIT_TRACK = 8    // index of the edit track being edited
};
// Query accessor for the keys above; any other key is a quiet NaN.
float vlm_Get(unsigned int key);
// Appends one scene length in seconds and recomputes DEMO_LENGTH; a 101st is ignored with a warning.
// On the video road it prints "[VIDEO] length DEMO_LENGTH" (scripts/render-video reads the last).
void vlm_setDemoLength(float seconds);
// Moves the clock to `ms` (below 0 is 0): silent clock set; music seeked once started (past the
// song's end, the real-time count starts at `ms`); nothing
// while capturing, except on the video road (VLM_VIDEO_OUT), whose clock is set. The one way the clock is
// moved by hand (start scene, arrow keys).
void vlm_skipTo(int ms);
// Pauses or resumes the clock: the music (also while capturing) or the silent clock.
// Returns 1 when the clock is now paused.
int vlm_togglePause(void);
