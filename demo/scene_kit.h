// The scene kit: what several scenes share. The opening of every scene block, counted
// geometry (quad grids, rings of cubes, rows of slats), the row distance of the streaming rows,
// the swing of the slats, the common materials, the screen-effect gains and the uniform helper.
// Times are scene seconds (float); every value is single precision as the picture depends on
// it. Loop counters of geometry are single-precision floats stepped by a float increment: the
// counts that result (667 x 667 cells, 101 cubes per ring, 501 x 21 strip squares) are part
// of the picture, so callers pass range and step exactly as their loops have them. Quad grids
// that are the same every frame are recorded once from their loop into a quad batch
// (<vlm/quad_batch.h>) and drawn from GL buffers; the rest is immediate mode.
//
// Index: values | the block | geometry | materials and uniforms
#pragma once
#include "director.h"

// ---------------------------------------------------------------- values
// The distance of row `row` along the corridor at time t: spacing x row plus the part of
// speed x t left over from whole spacings, n = trunc(speed t / spacing) toward zero (also
// for negative times), so the offset lies in (-spacing, spacing) and the rows jump back one
// spacing as they pass it.
float rowDistance(float t, float speed, int spacing, int row);
// The swing of the slats: 5 cos(3.4 (t + 1)) clamped to [-2.5, 2.5].
float swing(float t);

// Gains of the screen distortion: VLM_SCREEN_RGBDIST and VLM_SCREEN_DIST are noise of 30 t
// times these; VLM_SCREEN_WOBBLE follows slow noise unscaled.
struct ScreenGains {
    float rgb;  // of "rgb_ammount"
    float dist; // of "dist_ammount"
};
extern const ScreenGains STRONG_DISTORTION; // x 10 and x 0.1: the paper corridors
extern const ScreenGains CALM_DISTORTION;   // x 4 and x 0.01: the later scenes
void setScreenEffects(float t, ScreenGains gains);
// The two gains as a scene row's screen values.
void strongDistortion(float t);
void calmDistortion(float t);

// ---------------------------------------------------------------- the block
// The block of scene N, run by drawScene while `queue` equals N: on its first frame the
// row's first-frame work, then its camera track on slot 0; mblur = 0 and the screen values at
// scene time t; its target enabled and cleared to its paper; its drawing of a played frame at
// t; the scene change (the end of the demo ends the process with status 0 here, before the
// post pass); then the post pass with the row's fade. The scene change comes before the post
// pass for every scene: the next scene's block then runs in the same frame.
void sceneBlock(int N);
// The programs every scene's loading step makes first: `scene` from scene0.*, then `post`.
void loadScenePrograms(SceneIds &ids);
// Places the view of a played frame with camera slot 0; the warm-up keeps its own view.
void sceneCamera(const SceneFrame &frame);
// How scenes 1 to 6 open their drawing: the view (sceneCamera), light 0 on in it, the
// model-view matrix pushed, and `program` in use with "timer" = frame.t.
void openDrawing(const SceneFrame &frame, int program);
// And close it: the matrix popped, light 0 off.
void closeDrawing(void);

// ---------------------------------------------------------------- geometry
// One GL_QUADS batch: x from x0 while x < x1 in xStep, and inside z from z0 while z < z1 in
// zStep, a square of side `size` at each (x, 0, z). The bounds are compared as doubles, which
// for bounds that are floats gives the float comparison. Returns the quads issued.
int drawQuadGrid(float x0, double x1, float xStep, float z0, double z1, float zStep, float size);
// The same loop recorded once into a quad batch, to be drawn with vlm_quadBatchDraw: the same
// quads with the same corners in the same order, cut into runs that are left out when wholly
// outside the view. The loop is taken a few columns (x values) at a time, so that a large grid
// is recorded over several loading frames.
struct GridSettings {
    float x0 = 0;         // x from x0 while x < x1, in xStep (x1 compared as a double)
    double x1 = 0;
    float xStep = 1;
    float z0 = 0;         // inside, z from z0 while z < z1, in zStep
    double z1 = 0;
    float zStep = 1;
    float size = 1;       // side of each square
    int runQuads = 64;    // quads per culling run
    float grow[3] = {};   // units per axis that a program may move the vertices: widens the runs
};
struct GridRecording {
    GridSettings settings;
    int batch = -1;     // the batch id, from the first step on
    float x = 0;        // the next column
    bool ended = false; // the batch has been uploaded
};
// One step: the first begins the batch; each records up to `columns` columns; the step after
// the last column ends the batch. Returns true once the batch has ended.
bool recordGridStep(GridRecording &grid, int columns);
// The ground: `cell`-wide squares over x, z in [-100, 100) (667 x 667 for 0.3, 100 x 100 for 2).
int drawGround(float cell);
// Rings of 101 cubes (the last on the first) at z0 from zFrom while z0 < zTo in zStep,
// centred on (3, 0, z0), of radius 2 M + 20, each turning with t. Returns the cubes drawn.
int drawCubeRings(float t, float M, float zFrom, float zTo, float zStep);

// How a slat's turn is issued: the white corridor always calls glRotatef, even for 0
// degrees; the dark corridor and the road issue no rotation for an angle of 0.
enum SlatTurn { TURN_ALWAYS, TURN_UNLESS_ZERO };
// One slat: a unit cube flattened to 1 x 0.2 x 3 at (x, y, z), turned `angleDeg` about z.
void drawSlat(float x, float y, float z, float angleDeg, SlatTurn turn);
// One row of three slats at depth z around x: a flat one at (x, -M - 2) and two at x + 2 and
// x - 2, height M - 4, tilted by +30 (M + 2.5) and -30 (M + 2.5) degrees.
void drawSlatRow(float x, float z, float M, SlatTurn turn);

// ---------------------------------------------------------------- materials and uniforms
// The paper scenes' material for front and back faces: ambient (0, 0.5, 0.5), diffuse and
// specular 0.5 grey, shininess 96.
void tealMaterial(void);
// The dark scenes' material for front and back faces: ambient (a, a, a), diffuse and
// specular 0.5 grey, shininess 96.
void greyMaterial(float ambient);
// A grid's program in use: "intensity" (its cell, units) and "timer" (t), the grey material of
// ambient 0.6.
void useGridProgram(int program, float intensity, float t);
// Sends one float uniform to `program` (which must be the current program).
void sceneUniform(int program, const char *name, float value);
