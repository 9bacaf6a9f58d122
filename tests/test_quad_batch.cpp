// Quad batches (<vlm/quad_batch.h>) as the scenes record them (recordGridStep, demo/scene_kit.h):
// drawn from their GL buffers they give the pixels of the loop sent in immediate mode
// (drawQuadGrid), filled and as outlines, while leaving out the runs that cannot be seen and,
// on a software GL, the quads that cover no pixel centre. A bad id and a full table are faults.
#include "gl_context.h"
#include "quad_batch.h"
#include "scene_kit.h"
#include "scenes.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <algorithm>
#include <vector>
#include <GL/glu.h>

namespace {

const int W = 320, H = 180;

class QuadBatch : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("VLM_PIXEL_CULL", "1", 1); // quad batches leave out quads that light no pixel
        vlmTestGLContext(W, H);
    }
    void SetUp() override
    {
        glViewport(0, 0, W, H);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glReadBuffer(GL_BACK);
    }
};

// Where the view stands: an eye, the point it looks at and its up direction.
struct View {
    float eye[3], centre[3], up[3];
};
// From beside the grid, most of which lies behind or beside the eye.
const View BESIDE = {{12, 3, 12}, {0, 0, 20}, {0, 1, 0}};

// The frame `draw` leaves, seen through `view`.
std::vector<unsigned char> frameAfter(void (*draw)(int), int batch, GLenum polygonMode,
                                      const View &view = BESIDE)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, (double)W / H, 0.1, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float *e = view.eye, *c = view.centre, *u = view.up;
    gluLookAt(e[0], e[1], e[2], c[0], c[1], c[2], u[0], u[1], u[2]);
    glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
    glColor3f(0.2f, 0.9f, 0.6f);
    draw(batch);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_DEPTH_TEST);
    std::vector<unsigned char> rgb(W * H * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// The grid of `cell` squares over x, z in [-30, 30), as the scenes' loops have it.
GridSettings grid(float cell, int runQuads)
{
    return {.x0 = -30, .x1 = 30, .xStep = cell, .z0 = -30, .z1 = 30, .zStep = cell,
            .size = cell, .runQuads = runQuads};
}

// The grid recorded as loading records a scene's, a few columns a step; its batch.
int record(const GridSettings &settings)
{
    GridRecording recording = {.settings = settings};
    while (!recordGridStep(recording, 8)) {
    }
    return recording.batch;
}

float CELL = 0.7f; // the grid drawImmediate sends
void drawImmediate(int) { drawQuadGrid(-30, 30, CELL, -30, 30, CELL, CELL); }

int SENT = 0;
void drawBatch(int batch) { SENT = vlm_quadBatchDraw(batch); }
void drawEdges(int batch) { SENT = vlm_quadBatchDrawEdges(batch); }

size_t litBytes(const std::vector<unsigned char> &rgb)
{
    return std::count_if(rgb.begin(), rgb.end(), [](unsigned char c) { return c > 0; });
}

} // namespace

// A batch id the table never gave, and a 65th batch, are faults: each says which function and
// what, and ends the process with status -1.
TEST(QuadBatchDeathTest, ABadIdOrAFullTableSaysWhereAndEnds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT({ dup2(2, 1); vlm_quadBatchDraw(-1); }, testing::ExitedWithCode(255),
                "\\[!\\] vlm_quadBatchDraw: no quad batch with id -1");
    EXPECT_EXIT({ dup2(2, 1); vlm_quadBatchVertex(vlm_quadBatchBegin() + 1, 0, 0, 0); },
                testing::ExitedWithCode(255), "\\[!\\] vlm_quadBatchVertex: no quad batch with id");
    EXPECT_EXIT({ dup2(2, 1); for (int i = 0; i <= 64; i++) vlm_quadBatchBegin(); },
                testing::ExitedWithCode(255),
                "\\[!\\] vlm_quadBatchBegin: the quad batch table is full \\(64 batches\\)");
}

TEST_F(QuadBatch, DrawsTheLoopsQuadsAndOutlinesPixelForPixelAndLeavesOutWhatCannotBeSeen)
{
    CELL = 0.7f;
    int batch = record(grid(CELL, 16)), quads = vlm_quadBatchQuads(batch);
    EXPECT_EQ(quads, 86 * 86); // 0.7 accumulated in single precision: 86 steps, not 85.7
    for (GLenum mode : {GL_FILL, GL_LINE}) {
        std::vector<unsigned char> expected = frameAfter(drawImmediate, batch, mode);
        std::vector<unsigned char> drawn = frameAfter(drawBatch, batch, mode);
        EXPECT_TRUE(expected == drawn) << (mode == GL_FILL ? "filled" : "as lines");
        EXPECT_GT(SENT, 0);
        EXPECT_LT(SENT, quads / 2); // the runs behind the eye were not sent
        EXPECT_GT(litBytes(drawn), drawn.size() / 20); // and the grid is on screen
    }
    // The outlines as lines are the quads under the line polygon mode, whatever that mode is.
    std::vector<unsigned char> outlines = frameAfter(drawImmediate, batch, GL_LINE);
    for (GLenum mode : {GL_FILL, GL_LINE}) {
        EXPECT_TRUE(frameAfter(drawEdges, batch, mode) == outlines);
        EXPECT_GT(SENT, 0);
        EXPECT_LT(SENT, quads / 2);
    }
}

// On a software GL a batch leaves out the quads that cover no pixel centre: a grid of cells
// smaller than a pixel, seen whole from afar and low, is drawn from a fraction of its quads,
// and not a pixel differs from the grid sent whole, over the whole window and in a viewport
// off the window's corner.
TEST_F(QuadBatch, LeavesOutQuadsThatCoverNoPixelCentreWithoutChangingAPixel)
{
    CELL = 0.25f;
    int batch = record(grid(CELL, 64)), quads = vlm_quadBatchQuads(batch);
    const View afar = {{0, 14, 100}, {0, 0, 20}, {0, 1, 0}};
    for (int offset : {0, 1}) {
        if (offset) glViewport(7, 5, W - 20, H - 11);
        std::vector<unsigned char> expected = frameAfter(drawImmediate, batch, GL_FILL, afar);
        std::vector<unsigned char> drawn = frameAfter(drawBatch, batch, GL_FILL, afar);
        EXPECT_TRUE(expected == drawn) << (offset ? "in the offset viewport" : "in the window");
        EXPECT_LT(SENT, quads / 3);
        EXPECT_GT(litBytes(drawn), drawn.size() / 50);
    }
}

// The road's floor grid (2-unit squares over 200 x 200), recorded as loading records it and
// seen from above as lines: the pixels of drawGround(2).
TEST_F(QuadBatch, TheRoadsFloorFromItsBatchIsTheGroundItsLoopDraws)
{
    int batch = record(scene4_grid.settings);
    EXPECT_EQ(vlm_quadBatchQuads(batch), 100 * 100);
    const View above = {{3, 40, 5}, {0, 0, 0}, {0, 0, -1}};
    std::vector<unsigned char> fromBatch = frameAfter(drawBatch, batch, GL_LINE, above);
    std::vector<unsigned char> fromLoop = frameAfter([](int) { drawGround(2); }, batch, GL_LINE, above);
    EXPECT_TRUE(fromBatch == fromLoop);
    EXPECT_GT(litBytes(fromBatch), 1000u);
}
