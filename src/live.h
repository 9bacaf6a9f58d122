// Live editing for authors (-live): watches the stage's loose shader sources and camera track
// files with inotify and rebuilds what changed while the demo plays, and holds the current scene
// in a loop. Owns one inotify descriptor (three directory watches: "data/shader",
// "data/shader/PP", "data/camera") and the hold window. Reads changed files from disk only.
// Nothing here runs, and nothing is watched, unless -live was given.
#pragma once

extern int VLM_LIVE; // 1 after -live

// Opens the watches (a missing folder is a "[/] " warning); prints what it watches.
void vlm_liveStart(void);
// Tick step: one non-blocking read of the watch descriptor; every shader or track file written
// since the last tick is reloaded in place (shader.h, camera.h). Must not block or allocate
// when nothing changed.
void vlm_livePoll(void);
// Where the hold's window comes from: the scene that plays at clock `ms`, its window
// [startMs, endMs) in ms of the demo clock; the scene's number, or -1 when none plays.
typedef int (*VlmHoldWindow)(unsigned int ms, unsigned int *startMs, unsigned int *endMs);
// A demo that keeps its own scene clock tells the hold its windows; by default the window
// holding the clock in the scene length table.
void vlm_liveHoldWindowFrom(VlmHoldWindow window);
// The hold key: starts looping the scene that plays (its window as above), or stops looping.
// Does nothing while capturing (the capture clock cannot move).
void vlm_liveToggleHold(void);
// The clock seen through the hold: a time outside the held window seeks to its start and
// reads as that start, so no frame ever sees the next scene. Other times pass unchanged.
unsigned int vlm_liveHoldClock(unsigned int ms);
// The held window in ms of the demo clock, [startMs, endMs); false when nothing is held.
bool vlm_liveHeldWindow(unsigned int *startMs, unsigned int *endMs);
