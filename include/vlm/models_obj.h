// OBJ models with MTL materials: triangle models de-indexed at load, drawn with vertex arrays
// from one GL buffer per model, made on the model's first draw.
// Owns the model table OBJMODELS (128 models, ids in load order, never reused or freed).
// Every model and material library is looked up in "data.vfile" first, then read from disk.
//
// Index: model and material records; the vlm_ loaders and drawing; the parsers over bytes
// (used by the loaders, the tests and the data tools).
#pragma once
#include <stdint.h>
#include <stddef.h>
#include <string>
#include <vector>
#include "io.h"

#define VLM_OBJ_MAX_MODELS 128
// vlm_loadOBJ_Compressed's answer when the packed data file does not hold the model.
#define VLM_OBJ_NOT_PACKED 133700

// One material use of a model: MTL values plus where its triangles start.
// Values that no line of the library sets stay 0.
struct OBJMaterial {
    unsigned colorMap;     // GL texture name of map_Kd, bound to unit 0 when drawing; 0 = none
    unsigned bumpMap;      // GL texture name of map_bump/bump; loaded, never bound
    int32_t textureFlags;  // +1 per colour map line, +2 per bump map line
    float ambient[3];      // Ka, r g b 0..1
    float diffuse[3];      // Kd
    float specular[3];     // Ks
    float opticalDensity;  // Ni (not used when drawing)
    float shininess;       // Ns, GL_SHININESS
    float dissolve;        // d (not used when drawing)
    int32_t illum;         // illum (not used when drawing)
    int32_t firstTriangle; // face lines before this material's usemtl line
};

// One loaded model. The v/vn/vt lists and index arrays exist only inside the parser.
struct OBJModel {
    std::vector<float> trianglePositions; // 9 per triangle: x y z of corners 1, 2, 3
    std::vector<float> triangleNormals;   // 9 per triangle, same order
    std::vector<float> triangleTexcoords; // 6 per triangle (u v per corner); zero without vt
    std::vector<OBJMaterial> materials;   // one per usemtl line (not "(null)"), file order
    int32_t materialCount;                // = materials.size()
    int32_t positionCount;                // v lines counted in the first pass
    int32_t normalCount;                  // vn lines
    int32_t texcoordCount;                // vt lines
    int32_t triangleCount;                // face lines
    int32_t noTexcoords;                  // 1 when the last face line was of the p//n form
    std::string materialLibrary;          // argument of the last mtllib line, used as a path
};

extern OBJModel OBJMODELS[VLM_OBJ_MAX_MODELS];
extern int CURRENT_OBJ_ID; // the id the next load takes

// ---------------------------------------------------------------- loading and drawing

// Loads `path` from the packed data file, else from disk; returns its id (0, 1, ... in load
// order). Any failure prints its message and exits -1; a 129th model is refused that way too.
int vlm_loadOBJ(const char *path);
// Loads from the packed data file; returns the id, or VLM_OBJ_NOT_PACKED (no id used up).
int vlm_loadOBJ_Compressed(const char *path);
// Loads from disk; returns the id. "[!] Couldn't open %s" and exit -1 when missing.
int vlm_loadOBJ_Native(const char *path);
// Fills `material` from the block `name` of the MTL file `library` (packed first, then disk);
// texture names are loaded with vlm_loadPNG. Failures exit -1. Returns 1.
int loadMaterial(const char *library, const char *name, OBJMaterial *material, int firstTriangle);
// Returns 1 when read from the packed data file, 0 when it does not hold `library`.
int loadMaterial_Compressed(const char *library, const char *name, OBJMaterial *material,
                            int firstTriangle);
// Reads the material from disk; returns 1.
int loadMaterial_Native(const char *library, const char *name, OBJMaterial *material,
                        int firstTriangle);
// Draws model `id` with the current transform, one glDrawArrays per material; leaves the
// current colour red and, after a bump-mapped textured material, texture unit 1 active.
// An id that was never loaded draws nothing. A model whose box lies wholly outside the view
// sends no triangles and still sets its materials and colour.
void vlm_renderOBJ(int id);

// ---------------------------------------------------------------- parsers over bytes

// Loads one texture for a material (vlm_loadPNG in the loaders); returns its GL name. *log holds
// what the parser has said so far and not yet handed on (a loader that prints prints it first).
typedef unsigned (*ObjTextureLoader)(void *context, std::string *log, const char *name);
// Fills one material for a usemtl line. Appends what it prints to *log; on failure fills
// *error and returns false.
typedef bool (*ObjMaterialLoader)(void *context, const char *library, const char *name,
                                  OBJMaterial *material, int firstTriangle, std::string *log,
                                  VlmParseOutcome *error);

// Parses the OBJ text bytes[0..size) of `path` into *model (de-indexed). Messages that loading
// prints go to *log in order; materials come from `loadMaterial`. Returns false with *error on
// a fatal line (bad face index: "[!] " message naming file and line). Never reads outside
// `bytes` or the lists whatever they say.
bool objParse(const char *path, const char *bytes, size_t size, OBJModel *model,
              ObjMaterialLoader loadMaterial, void *context, std::string *log,
              VlmParseOutcome *error);

// One material lookup: which block is wanted, where its values go, and where the parser reports.
struct MtlParse {
    const char *name = nullptr;             // the material wanted (matched as a plain substring)
    OBJMaterial *material = nullptr;        // filled from the library
    int firstTriangle = 0;                  // stored in the material
    bool packed = false;                    // the packed-data variant adds its own messages
    ObjTextureLoader loadTexture = nullptr; // called for each map_Kd / map_bump / bump name
    void *textureContext = nullptr;         // handed to loadTexture
    std::string *log = nullptr;             // what loading prints, appended in order
    VlmParseOutcome *error = nullptr;       // filled when a line is fatal
};

// Reads block `parse.name` of the MTL text bytes[0..size) into *parse.material (scalars and
// colours from every line up to the end of the block). Returns false with *parse.error on a
// fatal line.
bool mtlParse(const MtlParse &parse, const char *bytes, size_t size);
