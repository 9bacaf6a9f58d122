/// @file
/// Procedural city: box-shaped buildings built once from a small top-view map image into
/// client arrays (ground quads, roof quads, unit wall quads) and drawn with three glDrawArrays.
/// Owns the map record and the geometry of the one city (function statics, kept for the run);
/// reads the map "data/procedural/city.png" from disk and its two textures
/// "data/textures/ground.png" and "data/textures/wall.png" through vlm_loadPNG (paths relative
/// to the working directory).
/// Map cells outside the image count as empty, so a block on the last row or column is closed.
#pragma once
#include <stddef.h>
#include <string>
#include <vector>
#include "io.h"

/// Procedural map: one 0/1 value per colour component, square of side width = height.
struct vlm_procMap {
    int width;      ///< pixels
    int height;     ///< pixels
    float *values;  ///< 3 per pixel (red, green, blue), pixel (x, y) at 3 * (y * height + x)
};

/// Fills `map` from the PNG file `path` (disk only) and returns it; prints "%d, %d\n" with the
/// size. Missing file "[! path] file not found."; undecodable or non-square image: "[!] " naming
/// the file; no memory: the allocation message. Each of these exits with status 255.
vlm_procMap *vlm_genProcFromImage(vlm_procMap *map, const char *path);

/// Builds the city on the first call (needs a current context), then draws ground, roofs and
/// walls as vlm_drawCityGeometry with the current transform, lighting and program. Build
/// failures print a "[!] " message and exit -1 (status 255).
void vlm_drawCity(void);

// ---------------------------------------------------------------- parsing apart from GL

/// A decoded map or the reason there is none.
/// `messages` holds "%d, %d\n" once the size is known, then (not ok) the "[!] " message.
struct VlmProcMapResult : VlmParseOutcome {
    /// @{
    /// Size in pixels.
    int width = 0, height = 0;
    /// @}
    std::vector<float> values; ///< 3 per pixel, 0 or 1, stride as in vlm_procMap
};
/// PNG bytes -> map values (component / 255 in integer arithmetic). Never reads outside `bytes`.
VlmProcMapResult vlm_parseProcMap(const unsigned char *bytes, size_t size, const char *path);

/// One wall along a block edge: end points (x, v, z) in map cells, v the block's map value.
struct VlmCitySegment {
    /// @{
    /// First end point: x, map value, z.
    float x0, v0, z0;
    /// @}
    /// @{
    /// Second end point: x, map value, z.
    float x1, v1, z1;
    /// @}
};

/// The city's geometry: per vertex 3 position floats, 3 normal floats, 2 texture floats.
/// Not ok: `messages` holds the "[!] " message.
struct VlmCityGeometry : VlmParseOutcome {
    int side;                                 ///< N, the map's side in cells
    std::vector<VlmCitySegment> segments;     ///< walls in the order found
    int wallUnits;                            ///< unit wall quads
    /// @{
    /// Filled ground and roof quads; each array has room for N x N.
    int groundQuads, roofQuads;
    /// @}
    /// @{
    /// Ground quads: positions, normals, texture coordinates (N x N x 4 vertices).
    std::vector<float> groundPos, groundNormal, groundTex;
    /// @}
    /// @{
    /// Roof quads: positions, normals, texture coordinates (N x N x 4 vertices).
    std::vector<float> roofPos, roofNormal, roofTex;
    /// @}
    /// @{
    /// Wall quads: positions, normals, texture coordinates (wallUnits x 4 vertices).
    std::vector<float> wallPos, wallNormal, wallTex;
    /// @}
};
/// Builds the city from a side x side map of `values` (3 per cell, red first; each 0 or 1),
/// as the first vlm_drawCity call does. Errors: a non-square size, a value that is not 0 or 1,
/// a side beyond VLM_CITY_MAX_SIDE, or more wall than VLM_CITY_MAX_WALL_UNITS (the wall
/// allocation message). `path` only names the map in messages. Reads only width x height cells.
VlmCityGeometry vlm_buildCity(int width, int height, const float *values, const char *path);

#define VLM_CITY_MAX_SIDE 1024           ///< cells; ground and roof arrays hold N x N quads each
#define VLM_CITY_MAX_WALL_UNITS (1 << 22) ///< quads (128 bytes each): 512 MiB of walls at most

/// Draws built geometry as vlm_drawCity does: sets the front and back material (ambient 0,
/// diffuse 0.64, specular 0.5, shininess 96), then ground with `groundTexture`, roofs and walls
/// with `wallTexture` on the active unit, from client memory (no array buffer may be bound):
/// three glDrawArrays calls of N x N x 4, N x N x 4 and wallUnits x 4 vertices. Leaves
/// GL_TEXTURE_2D and the client arrays disabled, the matrices as they were.
void vlm_drawCityGeometry(const VlmCityGeometry *city, unsigned groundTexture,
                          unsigned wallTexture);
