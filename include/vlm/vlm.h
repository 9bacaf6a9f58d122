// Framework runtime: start-up and the command line, the window, the demo clock and the 25 ms tick,
// the music glue over the sound back end (audio.h), and the keyboard, mouse and camera editor.
// The working modes, clocks, window size, scene lengths and sound handles are in vlm_state.h;
// reads only "data/tune.mp3" (given by the demo) from disk, streamed by the back end.
// Sources: vlm.cpp (start-up, tick), vlm_state.cpp (the state and the clock, see vlm_state.h),
// music.cpp (music), input.cpp (input and editor).
#pragma once
#include "audio.h"
#include "vlm_state.h"

// ---------------------------------------------------------------- input state
extern int VLM_KEYSTATE[2];           // [0] = w (forward) held, [1] = s (backward) held
extern int VLM_EDIT_MOUSE[5];         // last x, last y (px), left, middle, right button down (1)

// ---------------------------------------------------------------- start-up (vlm.cpp)
// The start-up choices the command line makes, before any window exists.
struct vlm_startOptions {
    int width;          // window width in pixels; 0 = not given (640 after defaulting)
    int height;         // window height in pixels; 0 = not given (480 after defaulting)
    int fullscreen;     // 1 = game mode (default), 0 = window (-nf)
    int defaulted;      // 1 when the default resolution was taken and its message printed
    char gameMode[48];  // game mode string, "WxH:32@75"
    int help;           // 1 after --help: print the options and keys, exit 0, open nothing
};

// Checks the machine, reads the options, opens the window and enters the main loop; never returns.
void vlm_init(int argc, char **argv, void (*display)(void));
// Scans argv[1..argc-1] (a value is scanned again as an option); sets SOUND_ON, CAPTURE,
// CAPTURE_CLEVEL, S_SCENE, VLM_EDIT_MODE, VLM_EDIT_TRACK_FILENAME, VLM_LIVE (-live);
// exits -1 on -e "".
void vlm_scanOptions(int argc, char **argv, vlm_startOptions *opts);
// The --help text: the options and the keys, in short.
void vlm_printHelp(void);
// Fills the game mode string; without both sizes takes 640x480, "1280x800:32@75" and prints so.
void vlm_resolveResolution(vlm_startOptions *opts);
// First GL state after the window exists: no cursor, depth test, colour material, normalize, GLEW.
void vlm_initRendering(void);
// Reshape callback: viewport, projection 45 deg at 16:9, near 1, far 200; stores the window size.
void vlm_handleResize(int width, int height);
// Ends the process with status 0.
void vlm_clean_exit(void);

// ---------------------------------------------------------------- tick (vlm.cpp)
// The 25 ms timer callback: capture step, silent clock, edit movement, live reloads (-live),
// redraw, re-arm.
void vlm_update(int value);

// ---------------------------------------------------------------- music (music.cpp)
// Opens `path` as a stream when the sound is on; any back-end failure is fatal (-1).
void vlm_loadMusic(const char *path);
// Starts the music (or the silent clock with -m; nothing while capturing).
void vlm_startMusic(void);
// Fills `count` magnitudes per side (left from offset 0 first); zeros while paused.
void vlm_sound_getSpectrum(float *spectrumRight, float *spectrumLeft, int count);
// A non-zero back-end result prints "[!] FMOD error! (%d) %s" and exits -1.
void vlm_fmod_errcheck(int result);

// ---------------------------------------------------------------- input and editor (input.cpp)
// Keyboard: space pause, '0' screenshot, Escape quit; with -live 'l' holds the scene in a loop;
// in edit mode Enter, q, a, d, r, f, w, s.
void vlm_handleKeypress(unsigned char key, int x, int y);
// Releasing w or s stops the edit movement.
void vlm_handleKeyRelease(unsigned char key, int x, int y);
// Left and right arrows seek one second (not while capturing).
void vlm_handleSpecialKeys(int key, int x, int y);
// Edit mode: records the button state and the last mouse position.
void vlm_handleMouseState(int button, int state, int x, int y);
// Edit mode: a left-button drag turns the edit camera 0.01 rad per pixel; always redraws.
void vlm_handleMouseMove(int x, int y);
// Edit mode set-up: seven empty edit tracks on camera slots 0..6, mouse callbacks.
void vlm_initEditMode(void);
// Tick step: moves the edit camera 0.8 along its look direction while w (then s) is held.
void vlm_moveEditCamera(void);

// ---------------------------------------------------------------- the live hold (live.cpp)
/// Where the live hold's window comes from (see vlm_liveHoldWindowFrom): the scene that plays
/// at demo clock `ms` (milliseconds). Writes that scene's window, [*startMs, *endMs) in ms of
/// the demo clock, and returns the scene's number; returns -1, writing nothing, when no scene
/// plays (before the demo starts).
typedef int (*VlmHoldWindow)(unsigned int ms, unsigned int *startMs, unsigned int *endMs);

/// Tells the live hold (the 'l' key with -live, which loops the scene that plays) where a
/// scene begins and ends, for a demo that keeps its own scene clock. By default, and after
/// `window` null, the hold takes the window holding the clock in the scene length table
/// (vlm_setDemoLength, SCENE_TIME). Call it before vlm_init or at any time after; the window is
/// asked for when the key is pressed. Changes no GL state; without -live it is never called.
void vlm_liveHoldWindowFrom(VlmHoldWindow window);
