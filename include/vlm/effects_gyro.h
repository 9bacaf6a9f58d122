/// @file
/// Gyro loader and typewriter text: a loading indicator of three tumbling rings, a progress
/// arc and a pulsing "Loading..." text, its two circle primitives, and a typewriter that
/// reveals one character per 100 ms of the demo clock. Owns the typewriter's state (one
/// string at a time, function statics; its buffers are kept for the run). Reads no files but
/// the overlay font (effects_screen.h). The drawing calls need a current GL context and draw
/// with the current transform; they leave the matrices as they were.
#pragma once
#include <string>

/// A circle outline of `radius` in the x-y plane, in the current colour: one GL_LINE_LOOP of
/// 360 vertices (whole degrees).
void vlm_drawCircle(float radius);
/// An arc of fraction x 360 degrees from +x, closed by its chord (GL_LINE_LOOP); 0 draws nothing.
void vlm_drawLoadingCircle(float radius, float fraction);
/// The loader at `t` seconds: three yellow rings of radius 10 turned about noise axes, the
/// progress arc of radius 15 for `fraction` (0..1), and "Loading..." in a pulsing grey
/// (0.2..1.2) below them; leaves that grey as the current colour.
void vlm_drawGyroLoader(float fraction, float t);
/// Draws the part of `string` typed so far at (x, y, z) as polygon text: one character per
/// 100 ms of vlm_getTime since the call that started it. Only a string of another length
/// restarts it: a new string of the same length goes on typing the old one. The starting
/// call draws nothing. Drawn as vlm_drawPolygonText, in the current colour.
void vlm_typeWriterText(const char *string, float x, float y, float z);

// ---------------------------------------------------------------- the typewriter apart from GL

/// The typewriter's state, as vlm_typeWriterText keeps it.
struct VlmTypeWriter {
    int startMs;        ///< demo clock at the start, ms
    int length;         ///< characters of the stored copy
    std::string copy;   ///< the string being typed
    std::string print;  ///< the part shown by the last step
    int position;       ///< characters shown by the last step
    int loaded;         ///< 0 = not started
};
/// One typewriter call at clock `nowMs`: restarts on a new length (returns false: nothing
/// drawn), else sets `print` to the typed part and returns true when it is to be drawn.
bool vlm_typeWriterStep(VlmTypeWriter *state, const char *string, int nowMs);
