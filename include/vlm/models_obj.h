/// @file
/// OBJ models with MTL materials: triangle models de-indexed at load, drawn with vertex arrays
/// from one GL buffer per model, made on the model's first draw.
/// Owns the model table OBJMODELS (128 models, ids in load order, never reused or freed).
/// Every model, material library and texture is looked up in "data.vfile" first, then read
/// from disk; every path, the OBJ's `mtllib` and the MTL's `map_Kd` included, is taken as it is
/// written, relative to the working directory (the run folder), never to the OBJ's folder.
///
/// @warning Write `mtllib data/models/house.mtl`, not `mtllib house.mtl`. The packed lookup
/// matches a name anywhere inside a record's name, so the bare name is found once data.vfile
/// packs "data/models/house.mtl"; from loose files the disk has no "house.mtl" in the run
/// folder, and loading prints "Error reading datafile." (which only says that there is no
/// data.vfile; printed once per process, at the first lookup), then "[!] Couldn't open house.mtl",
/// and exits -1 (status 255). A face before the first `usemtl` line is never drawn, so a
/// model without `usemtl` draws nothing.
///
/// Index: model and material records; the vlm_ loaders and drawing; the parsers over bytes
/// (used by the loaders, the tests and the data tools).
#pragma once
#include <stdint.h>
#include <stddef.h>
#include <string>
#include <vector>
#include "io.h"

#define VLM_OBJ_MAX_MODELS 128 ///< capacity of the model table OBJMODELS
/// vlm_loadOBJ_Compressed's answer when the packed data file does not hold the model.
#define VLM_OBJ_NOT_PACKED 133700

/// One material use of a model: MTL values plus where its triangles start.
/// Values that no line of the library sets stay 0.
struct OBJMaterial {
    unsigned colorMap;     ///< GL texture name of map_Kd, bound to unit 0 when drawing; 0 = none
    unsigned bumpMap;      ///< GL texture name of map_bump/bump; loaded, never bound
    int32_t textureFlags;  ///< +1 per colour map line, +2 per bump map line
    float ambient[3];      ///< Ka, r g b 0..1
    float diffuse[3];      ///< Kd
    float specular[3];     ///< Ks
    float opticalDensity;  ///< Ni (not used when drawing)
    float shininess;       ///< Ns, GL_SHININESS
    float dissolve;        ///< d (not used when drawing)
    int32_t illum;         ///< illum (not used when drawing)
    int32_t firstTriangle; ///< face lines before this material's usemtl line
};

/// One loaded model. The v/vn/vt lists and index arrays exist only inside the parser.
struct OBJModel {
    std::vector<float> trianglePositions; ///< 9 per triangle: x y z of corners 1, 2, 3
    std::vector<float> triangleNormals;   ///< 9 per triangle, same order
    std::vector<float> triangleTexcoords; ///< 6 per triangle (u v per corner); zero without vt
    std::vector<OBJMaterial> materials;   ///< one per usemtl line (not "(null)"), file order
    int32_t materialCount;                ///< = materials.size()
    int32_t positionCount;                ///< v lines counted in the first pass
    int32_t normalCount;                  ///< vn lines
    int32_t texcoordCount;                ///< vt lines
    int32_t triangleCount;                ///< face lines
    int32_t noTexcoords;                  ///< 1 when the last face line was of the p//n form
    std::string materialLibrary;          ///< argument of the last mtllib line, used as a path
};

/// The model table; ids below CURRENT_OBJ_ID are loaded models.
extern OBJModel OBJMODELS[VLM_OBJ_MAX_MODELS];
extern int CURRENT_OBJ_ID; ///< the id the next load takes

// ---------------------------------------------------------------- loading and drawing

/// Loads `path` (from the run folder) from the packed data file, else from disk, with the
/// materials of its `mtllib` and their textures; returns its id (0, 1, ... in load order).
/// Prints "[*] loading PATH" (twice when it falls back to the disk). Any failure prints its
/// message and exits -1 (status 255): a missing file "[!] Couldn't open PATH", a `usemtl` with no
/// `mtllib` before it, a bad face index; a 129th model "[!] Can't load PATH: the model table
/// holds 128 models". Needs a current GL context when a material has textures (vlm_loadPNG).
int vlm_loadOBJ(const char *path);
/// Loads from the packed data file only; returns the id, or VLM_OBJ_NOT_PACKED (no id used up)
/// when data.vfile is missing or does not hold `path`.
int vlm_loadOBJ_Compressed(const char *path);
/// Loads from disk only; returns the id. A missing file prints "[!] Couldn't open PATH" and
/// exits -1.
int vlm_loadOBJ_Native(const char *path);
/// Fills `material` from the block `name` of the MTL file `library` (packed first, then disk,
/// the path taken from the working directory); texture names are loaded with vlm_loadPNG.
/// Failures exit -1: a library on neither prints "[!] Couldn't open LIBRARY". Returns 1.
int loadMaterial(const char *library, const char *name, OBJMaterial *material, int firstTriangle);
/// Fills `material` from the packed data file; returns 1 when read there, 0 when it does not
/// hold `library`. A fatal line exits -1.
int loadMaterial_Compressed(const char *library, const char *name, OBJMaterial *material,
                            int firstTriangle);
/// Fills `material` from the disk file `library`; returns 1. A missing file prints
/// "[!] Couldn't open LIBRARY" and exits -1, as does a fatal line.
int loadMaterial_Native(const char *library, const char *name, OBJMaterial *material,
                        int firstTriangle);
/// Draws model `id` with the current transform, lighting and program, one glDrawArrays per
/// material (its Ka, Kd, Ks and Ns set as the front and back material; a textured model binds
/// each map_Kd on unit 0 with GL_TEXTURE_2D on). Needs a current context.
///
/// It first sets the current colour to red (1, 0, 0, 1) and leaves it so. With colour material
/// on (as vlm_init leaves it), that red replaces the material values being tracked: after
/// vlm_setLight0 the specular (the MTL's Ks is not seen), in GL's default mode the ambient and
/// diffuse (Ka and Kd are not seen); unlit and without a program the model is flat red. For
/// the MTL's colours, light it with colour material off and a black emission (vlm_setLight0).
///
/// Leaves no array buffer bound and the client arrays disabled; after a bump-mapped textured
/// material, texture unit 1 is left active. An id that was never loaded draws nothing. A model
/// whose box lies wholly outside the view sends no triangles and still sets its materials and
/// colour.
void vlm_renderOBJ(int id);

// ---------------------------------------------------------------- parsers over bytes

/// Loads one texture for a material (vlm_loadPNG in the loaders); returns its GL name. *log holds
/// what the parser has said so far and not yet handed on (a loader that prints prints it first).
typedef unsigned (*ObjTextureLoader)(void *context, std::string *log, const char *name);
/// Fills one material for a usemtl line. Appends what it prints to *log; on failure fills
/// *error and returns false.
typedef bool (*ObjMaterialLoader)(void *context, const char *library, const char *name,
                                  OBJMaterial *material, int firstTriangle, std::string *log,
                                  VlmParseOutcome *error);

/// Parses the OBJ text bytes[0..size) of `path` into *model (de-indexed). Messages that loading
/// prints go to *log in order; materials come from `loadMaterial`. Returns false with *error on
/// a fatal line (bad face index: "[!] " message naming file and line). Never reads outside
/// `bytes` or the lists whatever they say.
bool objParse(const char *path, const char *bytes, size_t size, OBJModel *model,
              ObjMaterialLoader loadMaterial, void *context, std::string *log,
              VlmParseOutcome *error);

/// One material lookup: which block is wanted, where its values go, and where the parser reports.
struct MtlParse {
    const char *name = nullptr;             ///< the material wanted (matched as a plain substring)
    OBJMaterial *material = nullptr;        ///< filled from the library
    int firstTriangle = 0;                  ///< stored in the material
    bool packed = false;                    ///< the packed-data variant adds its own messages
    ObjTextureLoader loadTexture = nullptr; ///< called for each map_Kd / map_bump / bump name
    void *textureContext = nullptr;         ///< handed to loadTexture
    std::string *log = nullptr;             ///< what loading prints, appended in order
    VlmParseOutcome *error = nullptr;       ///< filled when a line is fatal
};

/// Reads block `parse.name` of the MTL text bytes[0..size) into *parse.material (scalars and
/// colours from every line up to the end of the block). Returns false with *parse.error on a
/// fatal line.
bool mtlParse(const MtlParse &parse, const char *bytes, size_t size);
