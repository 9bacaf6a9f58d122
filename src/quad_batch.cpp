// Quad batches: recorded once, drawn by index from GL buffers, culled by runs, and on a
// software GL by quads that cover no pixel centre.
#include "quad_batch.h"
#include "pixel_cull.h"
#include "view_cull.h"
#include <GL/glew.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

static const int BATCH_CAPACITY = 64;

// One run of consecutive quads and the box of its corners.
struct QuadRun {
    float lo[3], hi[3];
    int firstIndex; // into the index buffer (4 per quad)
    int quads;
};

struct QuadBatch {
    std::vector<float> recorded;      // corners as recorded, 3 floats each; freed at the end
    std::vector<QuadRun> runs;
    GLuint vertexBuffer, indexBuffer;
    GLuint edgeBuffer;                // 0 until the edges are first drawn
    int quads;
    // Per draw: the index offsets and counts of the visible stretches (reused).
    std::vector<const void *> offsets;
    std::vector<GLsizei> counts;
    // Pixel culling (a batch whose vertices stay where they were recorded, on a software GL):
    // the corners and indices kept in memory, and per draw the window positions and the
    // indices of the primitives that may light a pixel, streamed to `keptBuffer`.
    bool pixelCull;
    int plainDraws; // draws left before the test is tried again, after one that did not pay
    std::vector<float> corners;
    std::vector<uint32_t> indices;
    float maxAbs[3];
    std::vector<WindowCorner> window;
    std::vector<uint32_t> kept;
    GLuint keptBuffer;
};

static QuadBatch BATCHES[BATCH_CAPACITY];
static int BATCH_COUNT = 0;

int vlm_quadBatchBegin(void)
{
    if (BATCH_COUNT >= BATCH_CAPACITY) {
        printf("[!] vlm_quadBatchBegin: the quad batch table is full (%d batches)\n",
               BATCH_CAPACITY);
        exit(-1);
    }
    return BATCH_COUNT++;
}

// The batch `batch` names; an id the table never gave ends the process.
static QuadBatch &batchOf(int batch, const char *caller)
{
    if (batch < 0 || batch >= BATCH_COUNT) {
        printf("[!] %s: no quad batch with id %d (%d made, table of %d)\n", caller, batch,
               BATCH_COUNT, BATCH_CAPACITY);
        exit(-1);
    }
    return BATCHES[batch];
}

void vlm_quadBatchVertex(int batch, float x, float y, float z)
{
    std::vector<float> &r = batchOf(batch, "vlm_quadBatchVertex").recorded;
    r.push_back(x);
    r.push_back(y);
    r.push_back(z);
}

// A corner's bits: corners are shared only when exactly equal.
static uint64_t hashCorner(const uint32_t k[3])
{
    uint64_t h = k[0] * 0x9E3779B97F4A7C15ull;
    h ^= (k[1] + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
    h ^= (k[2] + 0x165667B19E3779F9ull) * 0x27D4EB2F165667C5ull;
    return h ^ (h >> 31);
}

// Shared corners: `corners` gets each distinct corner once, `indices` one per recorded corner.
// An open-addressed table of corner numbers, at most half full: a plane of 1.8 million
// corners is shared in tens of milliseconds, at load.
static void shareCorners(const std::vector<float> &recorded, std::vector<float> &corners,
                         std::vector<uint32_t> &indices)
{
    size_t n = recorded.size() / 3, size = 16;
    while (size < 2 * n) size *= 2;
    std::vector<uint32_t> table(size, UINT32_MAX); // corner number, or empty
    indices.resize(n);
    for (size_t i = 0; i < n; i++) {
        uint32_t key[3];
        memcpy(key, &recorded[3 * i], sizeof key);
        size_t slot = hashCorner(key) & (size - 1);
        for (;; slot = (slot + 1) & (size - 1)) {
            uint32_t c = table[slot];
            if (c == UINT32_MAX) {
                c = table[slot] = (uint32_t)(corners.size() / 3);
                corners.insert(corners.end(), &recorded[3 * i], &recorded[3 * i] + 3);
            } else if (memcmp(&corners[3 * (size_t)c], key, sizeof key) != 0) {
                continue;
            }
            indices[i] = c;
            break;
        }
    }
}

static void cutRuns(QuadBatch &b, int runQuads, const float grow[3])
{
    if (runQuads < 1) runQuads = 1;
    for (int first = 0; first < b.quads; first += runQuads) {
        QuadRun run;
        run.firstIndex = 4 * first;
        run.quads = first + runQuads <= b.quads ? runQuads : b.quads - first;
        const float *v = &b.recorded[12 * (size_t)first];
        for (int k = 0; k < 3; k++) run.lo[k] = run.hi[k] = v[k];
        for (int i = 0; i < 4 * run.quads; i++) {
            for (int k = 0; k < 3; k++) {
                float c = v[3 * i + k];
                if (c < run.lo[k]) run.lo[k] = c;
                if (c > run.hi[k]) run.hi[k] = c;
            }
        }
        for (int k = 0; k < 3; k++) {
            run.lo[k] -= grow[k];
            run.hi[k] += grow[k];
        }
        b.runs.push_back(run);
    }
}

// Keeps the uploaded corners and indices in memory for the pixel test.
static void keepForPixelCull(QuadBatch &b, std::vector<float> &&corners,
                             std::vector<uint32_t> &&indices)
{
    for (int k = 0; k < 3; k++) b.maxAbs[k] = 0;
    for (size_t i = 0; i < corners.size(); i++)
        b.maxAbs[i % 3] = fmaxf(b.maxAbs[i % 3], fabsf(corners[i]));
    b.window.resize(corners.size() / 3);
    b.corners = std::move(corners);
    b.indices = std::move(indices);
    glGenBuffers(1, &b.keptBuffer);
}

void vlm_quadBatchEnd(int batch, int runQuads, const float grow[3])
{
    QuadBatch &b = batchOf(batch, "vlm_quadBatchEnd");
    b.quads = (int)(b.recorded.size() / 12);
    std::vector<float> corners;
    std::vector<uint32_t> indices;
    shareCorners(b.recorded, corners, indices);
    cutRuns(b, runQuads, grow);
    std::vector<float>().swap(b.recorded);
    glGenBuffers(1, &b.vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, b.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(corners.size() * sizeof(float)), corners.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glGenBuffers(1, &b.indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(indices.size() * sizeof(uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    b.offsets.reserve(b.runs.size());
    b.counts.reserve(b.runs.size());
    b.pixelCull = grow[0] == 0 && grow[1] == 0 && grow[2] == 0 && vlm_pixelCullWanted();
    if (b.pixelCull) keepForPixelCull(b, std::move(corners), std::move(indices));
}

// The visible runs as stretches of the index buffer: neighbouring visible runs join.
static int visibleStretches(QuadBatch &b)
{
    float clip[16];
    vlm_viewClipMatrix(clip);
    b.offsets.clear();
    b.counts.clear();
    int sent = 0, open = 0; // open: the last stretch may still grow
    for (const QuadRun &run : b.runs) {
        if (vlm_boxOutsideClip(clip, run.lo, run.hi)) {
            open = 0;
            continue;
        }
        if (open) {
            b.counts.back() += 4 * run.quads;
        } else {
            b.offsets.push_back((const void *)(uintptr_t)(run.firstIndex * sizeof(uint32_t)));
            b.counts.push_back(4 * run.quads);
        }
        open = 1;
        sent += run.quads;
    }
    return sent;
}

// Draws the visible stretches (b.offsets, b.counts) of `indexBuffer` as `mode`.
static void drawStretches(const QuadBatch &b, GLuint indexBuffer, GLenum mode)
{
    glBindBuffer(GL_ARRAY_BUFFER, b.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glMultiDrawElements(mode, b.counts.data(), GL_UNSIGNED_INT, b.offsets.data(),
                        (GLsizei)b.counts.size());
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// Fills b.kept with the indices of the quads of the visible runs that may cover a pixel
// centre, in recorded order; returns how many quads it kept. When it kept more than three in
// four of the visible quads, the test cost more than it saved (a quad's test costs about a
// tenth of its setup), and the next PLAIN_DRAWS draws of the batch go without it.
static const int PLAIN_DRAWS = 64;
static int keepCovering(QuadBatch &b)
{
    WindowView view;
    vlm_windowViewCurrent(view, b.maxAbs);
    b.kept.clear();
    bool projected = false;
    int sent = 0, visible = 0;
    for (const QuadRun &run : b.runs) {
        if (vlm_boxOutsideClip(view.clip, run.lo, run.hi)) continue;
        if (!projected) {
            vlm_projectCorners(view, b.corners.data(), b.window.size(), b.window.data());
            projected = true;
        }
        sent += vlm_keepQuadsCoveringSamples(view, b.window.data(), &b.indices[run.firstIndex],
                                             run.quads, b.kept);
        visible += run.quads;
    }
    if (4 * sent > 3 * visible) b.plainDraws = PLAIN_DRAWS;
    return sent;
}

// Streams b.kept and draws it as quads, as one stretch.
static void drawKept(QuadBatch &b)
{
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.keptBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(b.kept.size() * sizeof(uint32_t)),
                 b.kept.data(), GL_STREAM_DRAW);
    b.offsets.assign(1, nullptr);
    b.counts.assign(1, (GLsizei)b.kept.size());
    drawStretches(b, b.keptBuffer, GL_QUADS);
}

int vlm_quadBatchDraw(int batch)
{
    QuadBatch &b = batchOf(batch, "vlm_quadBatchDraw");
    if (b.plainDraws > 0) {
        b.plainDraws--;
    } else if (b.pixelCull && vlm_pixelCullStateAllows()) {
        int sent = keepCovering(b);
        if (!b.kept.empty()) drawKept(b);
        return sent;
    }
    int sent = visibleStretches(b);
    if (sent > 0) drawStretches(b, b.indexBuffer, GL_QUADS);
    return sent;
}

// The edges of the quads as line pairs, per quad A-B, B-C, C-D, D-A as its corners were
// recorded: the segments GL_QUADS gives under glPolygonMode(GL_LINE), in the same order and
// direction. An edge two quads share stays twice: a line's last pixel depends on its direction.
static void makeEdges(QuadBatch &b)
{
    std::vector<uint32_t> indices(4 * (size_t)b.quads), edges(8 * (size_t)b.quads);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.indexBuffer);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, (GLsizeiptr)(indices.size() * sizeof(uint32_t)),
                       indices.data());
    for (size_t i = 0; i < indices.size(); i += 4) {
        for (size_t e = 0; e < 4; e++) {
            edges[2 * (i + e)] = indices[i + e];
            edges[2 * (i + e) + 1] = indices[i + (e + 1) % 4];
        }
    }
    glGenBuffers(1, &b.edgeBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.edgeBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(edges.size() * sizeof(uint32_t)),
                 edges.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

int vlm_quadBatchDrawEdges(int batch)
{
    QuadBatch &b = batchOf(batch, "vlm_quadBatchDrawEdges");
    if (!b.edgeBuffer) makeEdges(b);
    int sent = visibleStretches(b); // 4 indices per quad there, 8 here
    for (size_t i = 0; i < b.counts.size(); i++) {
        b.offsets[i] = (const void *)(2 * (uintptr_t)b.offsets[i]);
        b.counts[i] *= 2;
    }
    if (sent > 0) drawStretches(b, b.edgeBuffer, GL_LINES);
    return sent;
}

int vlm_quadBatchQuads(int batch)
{
    return batchOf(batch, "vlm_quadBatchQuads").quads;
}
