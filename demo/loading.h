// Staged loading: one stage per frame behind a white noise ribbon, until the bar is full.
// Stage 1 runs every scene's loading step in the director's table order (the ids follow that
// order), gives each post program its paper and stores the scene lengths; stage 2 builds the chain
// programs, stage 4 opens the music, stage 5 makes the chain's render targets. The frames
// without work of their own (stage 3's and those after stage 5) record the grids of the table's
// rows, in row order (the batch ids follow it), a share of a frame at a time, then, once the stages have all run, warm up the programs
// (warmup.h), a step a frame; the frame that completes loading does what is left. Reads its
// files from the working directory.
#pragma once

// Stage counters (tested and incremented, in this order, each frame while loading) and the
// bar length in the units of the bar's x axis.
extern int l_texture, l_shader, l_models, l_music, l_fbo;
extern float progress;

// Examines the stage counters in order, incrementing each examined one; returns the stage
// (1..5) whose counter was 0, or 0 when every stage has run.
int loading_selectStage(void);
// Bar arithmetic of one loading frame for window width W (pixels): W / 102 after a stage,
// then 0.2 while W / 17 >= progress. Returns 1 when loading is complete (progress > W / 17).
int loading_advanceBar(int stageRan, float W);
// Restarts loading from frame 1 (tests only; the demo loads once).
void loading_reset(void);

// The programs every scene builds from the same sources: its scene program, its post pass,
// and (scenes 0 to 3) the line program that marks its pixels as ink.
extern const char *const SCENE_VERT, *const SCENE_FRAG;
extern const char *const LINES_VERT, *const LINES_FRAG;
extern const char *const POST_FRAG;
// A render target of the window's size, read again for every target.
int loading_windowTarget(void);

// Sets "paper" on `program`, leaving no program in use.
void loading_setPaper(int program, float paper);

// The stages' work at the current window size.
void loading_stageScenes(void);  // stage 1: every scene's loading step and its duration
void loading_stageChain(void);   // stage 2: the five chain programs
void loading_stageMusic(void);   // stage 4: "data/tune.mp3"
void loading_stageTargets(void); // stage 5: chain targets 0..3
// The work after the stages: with `all` 0 a frame's share of it (grid columns for about 15 ms,
// else one warm-up step once the targets exist), with `all` 1 the rest of it. Returns 1 when
// nothing is left.
int loading_afterStages(int all);
// One loading frame: the selected stage or the work after the stages, the bar arithmetic and
// the ribbon drawn into the window. Returns 1 in the frame in which loading completes, after
// finishing the work after the stages.
int loadingFrame(void);
// The white noise ribbon from x0 = -W / 34 to x0 + progress (current matrices).
void loading_drawRibbon(float W);
