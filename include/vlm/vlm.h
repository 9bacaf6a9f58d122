/// @file
/// Framework runtime: start-up and the command line, the window, the 25 ms tick, the music glue
/// over the sound back end (audio.h), and the keyboard, mouse and camera editor. The header a
/// demo includes first: it brings vlm_state.h (modes, clocks, window size, scene lengths).
/// Owns the editor's key and mouse state; reads only the music file the demo names (streamed
/// from disk, relative to the working directory, never from data.vfile).
/// @code
/// #include <vlm/vlm.h>
/// static void display() { /* load on the first call, draw one frame, glutSwapBuffers() */ }
/// int main(int argc, char **argv) { vlm_init(argc, argv, display); }
/// @endcode
#pragma once
#include "audio.h"
#include "vlm_state.h"

/// @mainpage The vlm framework
/// Every name a demo may use, from the headers under include/vlm/ (include them as
/// `<vlm/NAME.h>`; nothing else of the framework is for a demo). Start with vlm.h and
/// vlm_state.h (start-up, the clock), then by need: shader.h, fbo.h, textures.h (GL resources);
/// models_obj.h, models.h, camera.h, lighting.h (what a scene draws and from where);
/// effects_*.h, fonts.h, quad_batch.h (ready effects and geometry); io.h (data.vfile);
/// vlm_math.h, noise.h; audio.h (the sound back end). Each file's page opens with what the
/// module owns, its table's capacity and where it reads its files; each function says its units,
/// the GL state it needs and leaves, and what ends the process. The guide is docs/framework.md.

// ---------------------------------------------------------------- input state
extern int VLM_KEYSTATE[2];           ///< edit mode: [0] = w (forward), [1] = s (backward) held
extern int VLM_EDIT_MOUSE[5];         ///< edit mode: last x, y (px); left, middle, right down (1)

// ---------------------------------------------------------------- start-up (vlm.cpp)
/// The start-up choices the command line makes, before any window exists.
struct vlm_startOptions {
    int width;          ///< window width in pixels; 0 = not given (640 after defaulting)
    int height;         ///< window height in pixels; 0 = not given (480 after defaulting)
    int fullscreen;     ///< 1 = game mode (default), 0 = window (-nf)
    int defaulted;      ///< 1 when the default resolution was taken and its message printed
    char gameMode[48];  ///< game mode string, "WxH:32@75"
    int help;           ///< 1 after --help: print the options and keys, exit 0, open nothing
};

/// Starts the demo; never returns. Checks the machine (a big-endian one prints
/// "[!] System is not little endian." and exits -1), reads the options (vlm_scanOptions; --help
/// prints them and exits 0), opens the window (-nf W x H, else game mode or a full-screen
/// window), sets the first GL state (vlm_initRendering), starts the editor (-e) and the live
/// watch (-live), arms the 25 ms tick and enters GLUT's main loop. `display` is called for every
/// frame: it draws a whole frame and swaps; the first call is the first with a GL context, so
/// load there, not in main. The options only set state: `-s N` moves no clock (see S_SCENE).
void vlm_init(int argc, char **argv, void (*display)(void));
/// Scans argv[1..argc-1] (a value is scanned again as an option) into `opts` and the globals:
/// -w W, -h H (pixels), -nf, -m (SOUND_ON 0), -c LEVEL (CAPTURE, CAPTURE_CLEVEL), -s N (S_SCENE,
/// by atoi), -e FILE (VLM_EDIT_MODE, VLM_EDIT_TRACK_FILENAME), -live, --help. Unknown arguments
/// are ignored. `-e ""` prints a "[!] " line and exits -1. Called by vlm_init.
void vlm_scanOptions(int argc, char **argv, vlm_startOptions *opts);
/// Prints the --help text (the options and the keys, in short) to standard output.
void vlm_printHelp(void);
/// Fills the game mode string "WxH:32@75"; without both sizes takes a 640x480 window or the
/// game mode "1280x800:32@75", and prints a "[*] " line saying so.
void vlm_resolveResolution(vlm_startOptions *opts);
/// First GL state after the window exists: hides the cursor, enables GL_DEPTH_TEST,
/// GL_COLOR_MATERIAL (mode GL_AMBIENT_AND_DIFFUSE, GL's default) and GL_NORMALIZE, and
/// initialises GLEW. Needs a current context; called by vlm_init.
void vlm_initRendering(void);
/// Reshape callback: the viewport to the whole window, a 45 degree perspective at 16:9 whatever
/// the window's shape (near 1, far 200) loaded into the projection matrix, which it leaves
/// selected (GL_PROJECTION); stores the size in vlm_globalX, vlm_globalY (pixels).
void vlm_handleResize(int width, int height);
/// Flushes standard output and ends the process with status 0. The framework never ends a
/// demo by itself: call this when the clock passes DEMO_LENGTH.
void vlm_clean_exit(void);

// ---------------------------------------------------------------- tick (vlm.cpp)
/// The 25 ms timer callback: capture clock +25 ms and a captured frame (-c), silent clock
/// +25 ms (started and not paused), edit movement, live reloads (-live), a redraw request, and
/// the next tick. Installed by vlm_init; `value` is unused.
void vlm_update(int value);

// ---------------------------------------------------------------- music (music.cpp)
/// Opens the MP3 `path` (disk only) as a stream, once, while loading; does nothing when
/// SOUND_ON is 0 (-m). Any back-end failure, a missing file among them, prints
/// "[!] FMOD error! (CODE) TEXT" and exits -1.
void vlm_loadMusic(const char *path);
/// Starts the clock, once, when the demo starts: the music from 0 ms (or the silent clock
/// when SOUND_ON is 0; nothing while capturing, whose clock runs by itself). With the sound on
/// but no vlm_loadMusic before, it prints "[/] No soundfile loaded." and the clock stays at 0:
/// a demo without music sets SOUND_ON = 0 before vlm_init. Call vlm_skipTo after it, not before.
void vlm_startMusic(void);
/// Fills `count` magnitudes per side of the music just played (FMOD_Channel_GetSpectrum):
/// channel offset 0 into `spectrumLeft`, 1 into `spectrumRight`; zeros while paused; nothing
/// for a count of 0 or less. Prints "getting spectrum" each call it reads the music.
void vlm_sound_getSpectrum(float *spectrumRight, float *spectrumLeft, int count);
/// A result other than FMOD_OK prints "[!] FMOD error! (CODE) TEXT" and exits -1 (status 255).
void vlm_fmod_errcheck(int result);

// ---------------------------------------------------------------- input and editor (input.cpp)
/// GLUT keyboard callback: space pauses (the cursor shows while paused), '0' saves the next
/// frame as "screenshot.png", Escape ends the process (status 0); with -live 'l' holds the scene
/// in a loop; in edit mode Enter records a key and writes the file, q writes it, a / d and r / f
/// move the camera 1 unit along x / y, w / s fly. `x`, `y` are unused.
void vlm_handleKeypress(unsigned char key, int x, int y);
/// GLUT key release callback: releasing w or s stops the edit movement.
void vlm_handleKeyRelease(unsigned char key, int x, int y);
/// GLUT special key callback: left and right arrows seek 1000 ms (vlm_skipTo); not while
/// capturing, and with the music forward only while a whole second remains of song and demo.
void vlm_handleSpecialKeys(int key, int x, int y);
/// GLUT mouse callback in edit mode: records the button state and the last position (pixels).
void vlm_handleMouseState(int button, int state, int x, int y);
/// GLUT motion callback in edit mode: a left-button drag turns the edit camera 0.01 rad per
/// pixel (an angle past +-360 starts again at 0); always asks for a redraw.
void vlm_handleMouseMove(int x, int y);
/// Edit mode set-up, by vlm_init before the demo loads: seven empty tracks (ids 0..6) on camera
/// slots 0..6, the mouse callbacks. The editor moves the camera of slot 0; the demo's own tracks
/// take ids from 7.
void vlm_initEditMode(void);
/// Tick step: moves the edit camera 0.8 look directions forward while w is held, back while s is.
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
