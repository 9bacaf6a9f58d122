/// @file
/// Texture strip font: a TGA image whose glyphs stand side by side in equal vertical strips,
/// one display list per glyph (glyph k is the character 97 + k), and text placed in 3D.
/// Owns FONTLIST and FONTQ (one font at a time) and the test routine's texture. Reads its TGA
/// images from disk (relative to the working directory). Every call needs a current GL context.
#pragma once

extern int FONTLIST;  ///< first display list of the loaded font; 0 before loading
extern int FONTQ;     ///< glyphs in the loaded font; 0 = no font

/// Loads the TGA at `path` and compiles `count` glyph lists, each a 2 x 2 square showing strip
/// k of count; returns the first list. A count of 0 prints a message and exits with status 255;
/// blanks in the path are warned about; a path not ending in "tga" binds no texture (0). A later
/// call replaces the font (the old lists are kept, unused).
int vlm_loadTextureFont(const char *path, int count);
/// Draws `string` (taken in lower case) at (x, y, z) turned by rotX, rotY, rotZ degrees about
/// x, y, z; glyph centres `spacing` apart along x, each 0.01 nearer than the one before;
/// blanks and characters without a strip keep their slot and draw nothing.
/// Each glyph is drawn in white (the lists set the current colour and leave it white), textured,
/// GL_TEXTURE_2D left disabled; the matrices are left as they were.
/// Without a font: "[!] vlm_text() no font loaded." and exit -1 (status 255).
void vlm_text(const char *string, float spacing, float x, float y, float z, float rotX,
              float rotY, float rotZ);
/// Shows "data/font.tga" (loaded on the first call; its texture name printed) on a 10 x 10
/// square from the origin of the current transform, in the current colour.
void vlm_testTextureFont(void);
