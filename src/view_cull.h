// View culling: whether a box of the current object space can show anything under the current
// model-view and projection matrices. For programs that place vertices with those matrices
// (and fixed-function drawing); a piece found outside produces no pixel, so it need not be sent.

// The current projection times model-view (column-major, as GL keeps matrices), read from GL.
void vlm_viewClipMatrix(float clip[16]);
// 1 when the box [lo, hi] (object units) lies wholly outside the view volume of `clip`, with a
// margin of 2 % of the volume on every side (so a piece on the border is always drawn).
int vlm_boxOutsideClip(const float clip[16], const float lo[3], const float hi[3]);
