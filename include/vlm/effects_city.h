// Procedural city: box-shaped buildings built once from a small top-view map image into
// client arrays (ground quads, roof quads, unit wall quads) and drawn with three glDrawArrays.
// Owns the map record and the geometry of the one city (function statics, kept for the run);
// reads the map "data/procedural/city.png" from disk and its two textures through vlm_loadPNG.
// Map cells outside the image count as empty, so a block on the last row or column is closed.
#pragma once
#include <stddef.h>
#include <string>
#include <vector>
#include "io.h"

// Procedural map: one 0/1 value per colour component, square of side width = height.
struct vlm_procMap {
    int width;      // pixels
    int height;     // pixels
    float *values;  // 3 per pixel (red, green, blue), pixel (x, y) at 3 * (y * height + x)
};

// Fills `map` from the PNG file `path` (disk only) and returns it; prints "%d, %d\n" with the
// size. Missing file "[! path] file not found."; undecodable or non-square image: "[!] " naming
// the file; no memory: the allocation message. Each of these exits with status 255.
vlm_procMap *vlm_genProcFromImage(vlm_procMap *map, const char *path);

// Builds the city on the first call, then draws ground, roofs and walls with the current
// transform, lighting and shader; sets its own material. Build failures exit with status 255.
void vlm_drawCity(void);

// ---------------------------------------------------------------- parsing apart from GL

// A decoded map or the reason there is none.
// `messages` holds "%d, %d\n" once the size is known, then (not ok) the "[!] " message.
struct VlmProcMapResult : VlmParseOutcome {
    int width = 0, height = 0; // pixels
    std::vector<float> values; // 3 per pixel, 0 or 1, stride as in vlm_procMap
};
// PNG bytes -> map values (component / 255 in integer arithmetic). Never reads outside `bytes`.
VlmProcMapResult vlm_parseProcMap(const unsigned char *bytes, size_t size, const char *path);

// One wall along a block edge: end points (x, v, z) in map cells, v the block's map value.
struct VlmCitySegment {
    float x0, v0, z0;
    float x1, v1, z1;
};

// The city's geometry: per vertex 3 position floats, 3 normal floats, 2 texture floats.
// Not ok: `messages` holds the "[!] " message.
struct VlmCityGeometry : VlmParseOutcome {
    int side;                                 // N, the map's side in cells
    std::vector<VlmCitySegment> segments;     // walls in the order found
    int wallUnits;                            // unit wall quads
    int groundQuads, roofQuads;               // filled quads; each array has room for N x N
    std::vector<float> groundPos, groundNormal, groundTex;
    std::vector<float> roofPos, roofNormal, roofTex;
    std::vector<float> wallPos, wallNormal, wallTex;
};
// Builds the city from a side x side map of `values` (3 per cell, red first; each 0 or 1),
// as the first vlm_drawCity call does. Errors: a non-square size, a value that is not 0 or 1,
// a side beyond VLM_CITY_MAX_SIDE, or more wall than VLM_CITY_MAX_WALL_UNITS (the wall
// allocation message). `path` only names the map in messages. Reads only width x height cells.
VlmCityGeometry vlm_buildCity(int width, int height, const float *values, const char *path);

#define VLM_CITY_MAX_SIDE 1024           // cells; the ground and roof arrays hold N x N quads each
#define VLM_CITY_MAX_WALL_UNITS (1 << 22) // quads (128 bytes each): 512 MiB of walls at most

// Draws built geometry as vlm_drawCity does: material, ground with `groundTexture`, roofs
// and walls with `wallTexture`; three glDrawArrays calls of N x N x 4, N x N x 4 and
// wallUnits x 4 vertices.
void vlm_drawCityGeometry(const VlmCityGeometry *city, unsigned groundTexture,
                          unsigned wallTexture);
