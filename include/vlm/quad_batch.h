/// @file
/// Quad batches: the quads of a counted loop, recorded once into GL buffers and then drawn in
/// the order they were recorded, every time, with the runs of quads that lie wholly outside
/// the view left out. A corner that several quads share is stored once and drawn by index, so
/// each quad keeps exactly the corners its loop gave it.
/// Owns the batch table (64 batches); a batch lives until the process exits. A full table or
/// an id the table never gave prints a "[!] " line naming the function and ends the process
/// with status -1 (255). Reads no files.
#pragma once

/// Starts recording a new batch; returns its id (0, 1, ... in order). No GL call.
int vlm_quadBatchBegin(void);
/// Records the next corner of the batch (object units): four per quad, in the loop's order.
/// No GL call.
void vlm_quadBatchVertex(int batch, float x, float y, float z);
/// Ends recording: uploads the corners and indices, and cuts the quads into runs of `runQuads`
/// for culling. `grow` (object units per axis) widens every run's box on both sides, for
/// programs that move vertices by at most that much from where the loop put them. A batch
/// with no growth on a software GL also keeps its corners in memory for the pixel test below.
/// Needs a current GL context; leaves no buffer bound.
void vlm_quadBatchEnd(int batch, int runQuads, const float grow[3]);
/// Draws the batch as GL_QUADS under the current state and transform (positions only: the
/// current colour and normal apply), in recorded order,
/// without the runs wholly outside the view; returns the number of quads sent. A batch kept
/// for the pixel test, drawn filled, also leaves out each quad that covers no pixel centre of
/// the viewport (its corners are projected and tested on the processor); where the test keeps
/// more than three quads in four, the batch's next 64 draws go without it. Leaves no buffer
/// bound and the vertex array disabled.
int vlm_quadBatchDraw(int batch);
/// Draws the same quads' outlines as GL_LINES, four edges per quad in recorded order, without
/// the runs wholly outside the view: the lines, pixels and order the quads give under
/// glPolygonMode(GL_LINE), without llvmpipe's polygon stage. The edge indices are made at the
/// first call. Returns the number of quads whose edges were sent.
int vlm_quadBatchDrawEdges(int batch);
/// Quads recorded in the batch.
int vlm_quadBatchQuads(int batch);
