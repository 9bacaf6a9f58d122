/// @file
/// Runtime state: the working modes, the window size, the clocks and scene lengths and the sound
/// handles, with the clock's reading (vlm_getTime, vlm_Get) and moving (vlm_skipTo, pause).
/// Owns the globals below and the scene length table (100 entries); reads no files. Included
/// by vlm.h. The globals are written by start-up and the tick: a demo reads them, and sets only
/// SOUND_ON (before vlm_init).
#pragma once
#include "audio.h"

// ---------------------------------------------------------------- working modes (set at start-up)
/// 1 at start, 0 after -m: the silent clock stands in for music. A demo without music sets it
/// to 0 before vlm_init.
extern int SOUND_ON;
extern int CAPTURE;                   ///< 1 after -c: the capture clock, one PNG per tick
extern int CAPTURE_CLEVEL;            ///< zlib level 0..9 of captured PNG frames (from -c)
/// The start scene: N of `-s N` (atoi), 0 without it; read through vlm_Get(VLM_GET_START_SCENE).
/// @warning The framework only parses it: no clock moves. Scenes and their lengths are the
/// demo's, so the demo turns N into a time and seeks there itself, after vlm_startMusic:
/// @code
/// vlm_startMusic();
/// int start = (int)vlm_Get(VLM_GET_START_SCENE), ms = 0;
/// for (int i = 0; i < start && i < sceneid; i++) ms += (int)(SCENE_TIME[i] * 1000);
/// if (ms > 0) vlm_skipTo(ms);
/// @endcode
/// Under -c capture vlm_skipTo does nothing: a captured run always starts at 0 ms.
extern int S_SCENE;
extern int VLM_EDIT_MODE;             ///< 1 after a valid -e: camera editing
extern char *VLM_EDIT_TRACK_FILENAME; ///< own copy of the -e file name; null when not editing
extern int VLM_EDIT_CAMERA_TRACK[7];  ///< camera track ids of the seven edit tracks
extern int VLM_EDIT_ACTIVE_TRACK;     ///< index into VLM_EDIT_CAMERA_TRACK being edited (always 0)
/// @{
/// Window width, height in pixels at the last reshape; 0 before the first.
extern int vlm_globalX, vlm_globalY;
/// @}

// ---------------------------------------------------------------- clocks and lengths
extern int CAPTURE_TIMER;             ///< capture clock, ms; +25 per tick in capture mode
extern int SOUND_MUTE_TIMER;          ///< silent clock, ms; +25 a tick once started, unless paused
extern int SOUND_MUTE_START;          ///< non-zero once the silent clock has been started
extern int SOUND_MUTE_PAUSE;          ///< 1 while the silent clock is paused
extern int SOUND_PAUSED;              ///< 1 while the music is paused
extern unsigned int SONGLENGTH;       ///< song length in ms, set when the music starts; 0 before
extern float SCENE_TIME[100];         ///< scene lengths in seconds, as given to vlm_setDemoLength
extern int sceneid;                   ///< number of scene lengths given so far (0..100)
extern int DEMO_LENGTH;               ///< the demo's length, ms: scene lengths summed, truncated

// ---------------------------------------------------------------- sound handles (set by music.cpp)
extern FMOD_SYSTEM *system0;          ///< the sound system; null until the music is loaded
extern FMOD_SOUND *sound0;            ///< the music stream
extern FMOD_CHANNEL *channel0;        ///< the playing music; null until it starts (reads as 0 ms)
extern unsigned int version0;         ///< the back end's version, kept and not otherwise used

// ---------------------------------------------------------------- the clock
/// The demo clock in ms, the one time base of everything that follows time: the capture clock
/// (-c and the video road), the silent clock (SOUND_ON 0), or the music's position (0 before
/// vlm_startMusic). Past the song's end the music clock goes on at real time from the end
/// (standing still while paused), with one line "[/] The music ended at N ms, before the demo
/// did: the clock goes on at real time without it." With -live and the scene held ('l'), it
/// stays inside the held scene. Needs no GL context.
unsigned int vlm_getTime(void);
/// Keys of vlm_Get; the numbers are part of the interface.
enum vlm_getKey {
    VLM_GET_WIDTH = 1,        ///< window width in pixels
    VLM_GET_HEIGHT = 2,       ///< window height in pixels
    VLM_GET_ASPECT = 3,       ///< the constant 16:9 aspect, 1.7777778
    VLM_GET_START_SCENE = 4,  ///< the start scene (-s)
    VLM_GET_TIME_MS = 5,      ///< the demo clock in ms
    VLM_GET_PAUSED = 6,       ///< 1 while the music (or the silent clock) is paused
    VLM_GET_EDIT_MODE = 7,    ///< 1 in camera edit mode
    VLM_GET_EDIT_TRACK = 8    ///< index of the edit track being edited
};
/// The value of one of the keys above, as a float; any other key is a quiet NaN.
float vlm_Get(unsigned int key);
/// Appends one scene length in seconds to SCENE_TIME and recomputes DEMO_LENGTH (ms); call it
/// once per scene, in order, while loading. A 101st prints "[/] Scene length ... ignored" and
/// is dropped. On the video road it prints "[VIDEO] length DEMO_LENGTH": the video renderer
/// takes the last such line as the video's length. It ends nothing: the demo ends itself.
void vlm_setDemoLength(float seconds);
/// Moves the clock to `ms` (below 0 is 0): the silent clock is set; the music is seeked once it
/// has started (before vlm_startMusic nothing happens; past the song's end the real-time count
/// starts at `ms`); under -c capture nothing happens, except on the video road, whose clock is
/// set. The one way the clock is moved by hand: the arrow keys use it, and so must a demo's
/// start scene (see S_SCENE).
void vlm_skipTo(int ms);
/// Pauses or resumes the clock: the music (also while capturing) or the silent clock.
/// Returns 1 when the clock is now paused, 0 when it runs again.
int vlm_togglePause(void);
