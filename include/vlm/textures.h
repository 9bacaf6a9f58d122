/// @file
/// Textures, screenshots and frame capture. Owns the texture cache (path -> GL texture,
/// 2048 entries to start, grown when needed) and the capture frame counter. PNGs come from
/// the packed data file when packed there, else from disk; screenshots go to disk. Paths are
/// relative to the working directory. The GL calls need a current context.
#pragma once
#include <string>
#include <vector>
#include "io.h"

/// The GL texture of a PNG file (RGBA8, nearest filtering, texture row 0 = the image's top row,
/// so vlm_renderFullscreen shows it upside down); the same path always returns the same
/// texture. Leaves the texture bound on the active unit and GL_UNPACK_ALIGNMENT at 1. A missing
/// file prints "[! PATH] file not found.", an undecodable one "[!] PATH is not a readable PNG
/// image"; both exit -1 (status 255).
unsigned vlm_loadPNG(const char *path);
/// Writes the lower-left width x height pixels of the current read buffer (between frames
/// the window's back buffer holds the frame last shown) to PNG file `path`, top row first, at zlib
/// level 0..9, whole or not at all. A bad level, an empty size or a file that cannot be
/// written (a full disk too) is reported and skipped, an existing file left untouched; no
/// memory is fatal (255). Leaves GL_PACK_ALIGNMENT at 1.
void vlm_screenshot(int width, int height, const char *path, int level);
/// The screenshot key: `path` is taken at level 0 from the end of the next frame drawn.
void vlm_requestScreenshot(const char *path);
/// Called after each frame drawn in the window, at the size it was drawn at (the window's size
/// when the frame began): takes the requested screenshot, unless the X server has resized the
/// window since (its picture is then gone; the request waits for the next frame).
void vlm_frameDrawn(int width, int height);
/// Reads the lower-left width x height RGB pixels (rows packed, bottom first) of the current
/// read buffer; of a window smaller than that, only what it has (the rest of `rgb` is left).
/// `rgb` holds width x height x 3 bytes. Leaves GL_PACK_ALIGNMENT at 1.
void vlm_readPicture(int width, int height, unsigned char *rgb);
/// Capture mode, once per tick (between frames): writes the picture to "capture/N.png" (N from 1,
/// the folder made when missing) at CAPTURE_CLEVEL and prints "[CAPTURE] frame N". A frame
/// lost to a full disk prints "[!] Capture stopped at frame N: ..." and exits with 255; other
/// failed frames are reported and capture goes on.
void vlm_captureStep(void);
/// An uncompressed 24- or 32-bit TGA file (disk only) as a new texture, rows bottom first,
/// nearest filtering, left bound on the active unit; not cached. Every fault prints a "[!] "
/// line and exits -1 (status 255).
unsigned vlm_loadTGA(const char *path);
/// A new 512 x 512 black RGB texture, left bound on the active unit.
unsigned vlm_loadBlack(void);

// --- decoding apart from the exit policy (for tests)

/// A decoded image, or (not ok) the "[!] " message saying why there is none.
struct VlmImage : VlmParseOutcome {
    /// @{
    /// Size in pixels.
    int width = 0, height = 0;
    /// @}
    int bytesPerPixel = 0;            ///< 4 for PNG (RGBA); 3 or 4 for TGA (RGB/RGBA)
    std::vector<unsigned char> pixels;  ///< rows as uploaded
};
/// PNG bytes -> RGBA, top row first, alpha 0 (transparent) .. 255 (opaque).
VlmImage vlm_decodePNG(const unsigned char *bytes, size_t size, const char *path);
/// TGA bytes -> RGB(A), bottom row first, BGR swapped to RGB.
VlmImage vlm_decodeTGA(const unsigned char *bytes, size_t size, const char *path);
