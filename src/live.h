// Live editing for authors (-live): watches the folders the demo loaded its shader sources and
// camera track files from, with inotify, and rebuilds what changed while the demo plays; and
// holds the current scene in a loop. Owns one inotify descriptor with a watch per folder (at
// most 32 folders) and the hold window. Reads changed files from disk only. Nothing here runs,
// and nothing is watched, unless -live was given. The hold's window source is public (vlm.h).
#pragma once

extern int VLM_LIVE; // 1 after -live

// Opens the watch descriptor (its failure is a "[/] " warning); nothing is watched yet.
void vlm_liveStart(void);
// Called by the loaders with the path of every shader source and camera track they read: its
// folder is watched from now on (once; "[*] Live: watching FOLDER", or a "[/] " warning when it
// cannot be). Does nothing before vlm_liveStart, so nothing without -live.
void vlm_liveWatchFolderOf(const char *path);
// Tick step: one non-blocking read of the watch descriptor; every shader or track file written
// since the last tick is reloaded in place (shader.h, camera.h). Must not block or allocate
// when nothing changed.
void vlm_livePoll(void);
// The hold key: starts looping the scene that plays (its window from vlm_liveHoldWindowFrom,
// vlm.h), or stops looping.
// Does nothing while capturing (the capture clock cannot move).
void vlm_liveToggleHold(void);
// The clock seen through the hold: a time outside the held window seeks to its start and
// reads as that start, so no frame ever sees the next scene. Other times pass unchanged.
unsigned int vlm_liveHoldClock(unsigned int ms);
// The held window in ms of the demo clock, [startMs, endMs); false when nothing is held.
bool vlm_liveHeldWindow(unsigned int *startMs, unsigned int *endMs);
