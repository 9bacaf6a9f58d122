/// @file
/// Cube text: letters drawn as thick square tubes with a solid cube at each corner, typed out
/// one letter after the other. Owns the built-in stroke font `char_array` (28 glyphs, one
/// polyline each, "a" to "z" and the codes 123 and 124). Reads no files. The drawing calls
/// need a current GL context, draw with the current transform, lighting and program, and leave
/// the matrices as they were.
#pragma once
#include "vlm_math.h"

#define VLM_CUBEFONT_GLYPHS 28   ///< glyphs in char_array
#define VLM_CUBEFONT_FLOATS 100  ///< per glyph: (x, y) pairs in font units 0..15, ended by 0

/// The stroke font; a coordinate meant to be 0 is stored as -0.01 since 0 ends the list.
extern const float char_array[VLM_CUBEFONT_GLYPHS][VLM_CUBEFONT_FLOATS];

/// Draws the first trunc(progress) letters of `string` whole (99 %), in white, and the next one
/// grown to the fraction of progress in the caller's colour, 18 units apart along +x; a letter
/// is about 15 units high, hanging below y = 0. Spaces keep their slot and draw nothing;
/// progress 0 or less draws nothing. Leaves the current colour white once a letter is whole.
void vlm_drawCubeString(const char *string, float progress);
/// Draws one glyph (font units, turned a half turn about x so that the font's y runs down),
/// every stroke grown to the fractional part of `progress`. A character outside "a".."z", 123,
/// 124 prints "[DEV] vlm_drawCubeChar() char 0x.. not valid in charset" and exits -1 (status 255).
void vlm_drawCubeChar(char character, float progress);
/// Draws the stroke from `from` to the point `fraction` of the way to `to`, `width` thick:
/// corner cubes of 1.5 x width at ends whose x and y are both non-zero, and a square tube
/// (none for a stroke of zero length, which has no direction).
void vlm_drawCubeLine(const vec3 *from, const vec3 *to, float fraction, float width);

/// Number of points of glyph `glyph` (0..27): floats up to the terminating 0, halved.
int vlm_cubeGlyphPoints(int glyph);
