// OBJ models and MTL materials: one parser over bytes per format, two byte sources (the packed
// data file and the disk), and drawing with client arrays.
//
// Index: text helpers; OBJ parser; MTL parser; loaders (packed, disk); drawing.
#include "models_obj.h"
#include "io.h"
#include "textures.h"
#include "view_cull.h"
#include <GL/glew.h>
#include <inttypes.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

OBJModel OBJMODELS[VLM_OBJ_MAX_MODELS];
int CURRENT_OBJ_ID = 0;

// ================================================================ text helpers

static void appendf(std::string *out, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

static void appendf(std::string *out, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    char small[512];
    int n = vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) return;
    if ((size_t)n < sizeof small) {
        out->append(small, n);
        return;
    }
    std::vector<char> big(n + 1);
    va_start(args, format);
    vsnprintf(big.data(), big.size(), format, args);
    va_end(args);
    out->append(big.data(), n);
}

static bool fail(VlmParseOutcome *error, const std::string &message)
{
    return vlm_parseFail(error, message);
}

// Walks the text one line at a time; a line keeps its '\n' and, like a C string, ends at the
// first NUL byte it holds.
struct LineCursor {
    const char *bytes;
    size_t size;
    size_t at;
    std::string line;

    bool next()
    {
        if (at >= size) return false;
        const char *start = bytes + at;
        const char *newline = (const char *)memchr(start, '\n', size - at);
        size_t length = newline ? (size_t)(newline - start) + 1 : size - at;
        at += length;
        size_t visible = strnlen(start, length);
        line.assign(start, visible);
        return true;
    }
    const char *c_str() const { return line.c_str(); }
};

static bool contains(const char *line, const char *word) { return strstr(line, word) != nullptr; }

// Reads the single word after `format`'s keyword ("mtllib %s") into a buffer as long as the
// line, so no name can overrun it. Returns false when nothing was read.
static bool scanName(const char *line, const char *format, std::string *name)
{
    std::vector<char> buffer(strlen(line) + 1, 0);
    int got = sscanf(line, format, buffer.data());
    *name = buffer.data();
    return got == 1;
}

// ================================================================ OBJ parser

enum ObjLineKind { OBJ_IGNORED, OBJ_TEXCOORD, OBJ_NORMAL, OBJ_POSITION, OBJ_FACE, OBJ_MTLLIB,
                   OBJ_USEMTL };

// Substring tests on the whole line, in this order: a keyword anywhere decides the kind.
static ObjLineKind classifyObjLine(const char *line)
{
    if (contains(line, "#")) return OBJ_IGNORED;
    if (contains(line, "vt")) return OBJ_TEXCOORD;
    if (contains(line, "vn")) return OBJ_NORMAL;
    if (contains(line, "v ")) return OBJ_POSITION;
    if (contains(line, "f ") && !contains(line, "off")) return OBJ_FACE;
    if (contains(line, "mtllib")) return OBJ_MTLLIB;
    if (contains(line, "usemtl") && !contains(line, "(null)")) return OBJ_USEMTL;
    return OBJ_IGNORED;
}

// The indexed lists and running counters of the second pass.
struct ObjLists {
    std::vector<float> positions, normals, texcoords; // 3 per entry, sized by the first pass
    std::vector<int> positionIndex, normalIndex, texcoordIndex; // 3 per face, 1-based; 0 = none
    std::vector<int> faceLine;                        // the line number of each face, from 1
    int positionsRead = 0, normalsRead = 0, texcoordsRead = 0, facesRead = 0, materialsRead = 0;
};

static void countObjLines(const char *bytes, size_t size, OBJModel *model)
{
    LineCursor cursor{bytes, size, 0, {}};
    while (cursor.next()) {
        switch (classifyObjLine(cursor.c_str())) {
        case OBJ_TEXCOORD: model->texcoordCount++; break;
        case OBJ_NORMAL: model->normalCount++; break;
        case OBJ_POSITION: model->positionCount++; break;
        case OBJ_FACE: model->triangleCount++; break;
        case OBJ_MTLLIB: scanName(cursor.c_str(), "mtllib %s", &model->materialLibrary); break;
        case OBJ_USEMTL: model->materialCount++; break;
        case OBJ_IGNORED: break;
        }
    }
}

// An index names one of the file's entries, 1..count (files index from 1). Faces may refer to
// entries on later lines, so the counts are those of the whole file.
static bool indexInRange(int64_t index, int count) { return index >= 1 && index <= count; }

static bool faceIndexError(const char *path, const char *line, int lineNumber,
                           VlmParseOutcome *error)
{
    std::string message;
    appendf(&message, "[!] Face index out of range in %s (line %d): %s", path, lineNumber, line);
    if (message.back() != '\n') message += '\n';
    return fail(error, message);
}

// Face indices are read 64 bits wide and checked before they are narrowed: "%d" of a number
// past the int range gives the range's end on i386 but the number's low 32 bits on x86_64.
#define IDX "%" SCNd64
static bool readFaceLine(const char *path, const char *line, int lineNumber, OBJModel *model,
                         ObjLists *lists, VlmParseOutcome *error)
{
    int64_t p[3] = {0, 0, 0}, t[3] = {0, 0, 0}, n[3] = {0, 0, 0};
    bool withTexcoords =
        sscanf(line, "f " IDX "/" IDX "/" IDX " " IDX "/" IDX "/" IDX " " IDX "/" IDX "/" IDX,
               &p[0], &t[0], &n[0], &p[1], &t[1], &n[1], &p[2], &t[2], &n[2]) == 9;
    model->noTexcoords = withTexcoords ? 0 : 1;
    if (!withTexcoords) {
        t[0] = t[1] = t[2] = 0;
        if (sscanf(line, "f " IDX "//" IDX " " IDX "//" IDX " " IDX "//" IDX, &p[0], &n[0], &p[1],
                   &n[1], &p[2], &n[2]) < 6) {
            std::string message;
            appendf(&message, "[!] unable to get faces in %s\n", path);
            return fail(error, message);
        }
    }
    for (int c = 0; c < 3; c++) {
        bool ok = indexInRange(p[c], model->positionCount) &&
                  indexInRange(n[c], model->normalCount) &&
                  (!withTexcoords || indexInRange(t[c], model->texcoordCount));
        if (!ok) return faceIndexError(path, line, lineNumber, error);
        int slot = 3 * lists->facesRead + c;
        lists->positionIndex[slot] = (int)p[c];
        lists->normalIndex[slot] = (int)n[c];
        lists->texcoordIndex[slot] = (int)t[c];
    }
    lists->faceLine[lists->facesRead] = lineNumber;
    lists->facesRead++;
    return true;
}
#undef IDX

static bool readUseMaterialLine(const char *path, const char *line, int lineNumber,
                                OBJModel *model, ObjLists *lists, ObjMaterialLoader loadMaterial,
                                void *context, std::string *log, VlmParseOutcome *error)
{
    std::string name;
    if (!scanName(line, "usemtl %s", &name)) {
        std::string message;
        appendf(&message, "[!] Unable to get materialname from line: \n%s\n", line);
        return fail(error, message);
    }
    if (model->materialLibrary.empty()) {
        std::string message;
        appendf(&message, "[!] No material library (mtllib) in %s for material %s (line %d)\n",
                path, name.c_str(), lineNumber);
        return fail(error, message);
    }
    OBJMaterial *material = &model->materials[lists->materialsRead];
    if (!loadMaterial(context, model->materialLibrary.c_str(), name.c_str(), material,
                      lists->facesRead, log, error))
        return false;
    lists->materialsRead++;
    return true;
}

// One line of the second pass; false ends loading with *error.
static bool readObjLine(const char *path, const char *line, int lineNumber, OBJModel *model,
                        ObjLists *lists, ObjMaterialLoader loadMaterial, void *context,
                        std::string *log, VlmParseOutcome *error)
{
    std::string message;
    switch (classifyObjLine(line)) {
    case OBJ_TEXCOORD: {
        float *uv = &lists->texcoords[3 * lists->texcoordsRead];
        if (sscanf(line, "vt %f %f", &uv[0], &uv[1]) != 2) {
            appendf(&message, "line error: %s\n[!] unable to read texcoord in %s\n", line, path);
            return fail(error, message);
        }
        lists->texcoordsRead++;
        return true;
    }
    case OBJ_NORMAL: {
        float *n = &lists->normals[3 * lists->normalsRead];
        if (sscanf(line, "vn %f %f %f", &n[0], &n[1], &n[2]) != 3) {
            appendf(&message, "[!] unable to read normal in %s\n", path);
            return fail(error, message);
        }
        lists->normalsRead++;
        return true;
    }
    case OBJ_POSITION: {
        float *v = &lists->positions[3 * lists->positionsRead];
        if (sscanf(line, "v %f %f %f", &v[0], &v[1], &v[2]) == 3) {
            lists->positionsRead++;
        } else {
            // Not fatal: the position is dropped and loading goes on.
            appendf(log, "%s\n[!] unable to read vertex in %s (line %d)\n", line, path,
                    lineNumber);
            v[0] = v[1] = v[2] = 0;
        }
        return true;
    }
    case OBJ_FACE:
        return readFaceLine(path, line, lineNumber, model, lists, error);
    case OBJ_USEMTL:
        return readUseMaterialLine(path, line, lineNumber, model, lists, loadMaterial, context,
                                   log, error);
    case OBJ_MTLLIB:
    case OBJ_IGNORED:
        return true;
    }
    return true;
}

// A `v` line that could not be read is dropped, so the positions read may be fewer than the
// file's `v` lines: every face must name one that was read. Reports the first face that does not.
static bool checkPositionsRead(const char *path, const char *bytes, size_t size,
                               const ObjLists &lists, VlmParseOutcome *error)
{
    for (int f = 0; f < lists.facesRead; f++) {
        const int *p = &lists.positionIndex[3 * f];
        if (p[0] <= lists.positionsRead && p[1] <= lists.positionsRead &&
            p[2] <= lists.positionsRead)
            continue;
        LineCursor cursor{bytes, size, 0, {}};
        for (int lineNumber = 1; cursor.next() && lineNumber < lists.faceLine[f]; lineNumber++) {}
        return faceIndexError(path, cursor.c_str(), lists.faceLine[f], error);
    }
    return true;
}

// Flat per-triangle arrays from the lists; indices were checked after both passes.
static void deindex(OBJModel *model, const ObjLists &lists)
{
    int faces = lists.facesRead;
    model->trianglePositions.assign(9 * (size_t)faces, 0.0f);
    model->triangleNormals.assign(9 * (size_t)faces, 0.0f);
    model->triangleTexcoords.assign(6 * (size_t)faces, 0.0f);
    for (int f = 0; f < faces; f++) {
        for (int c = 0; c < 3; c++) {
            int slot = 3 * f + c;
            int p = lists.positionIndex[slot] - 1, n = lists.normalIndex[slot] - 1;
            int t = lists.texcoordIndex[slot] - 1; // -1: a p//n face among textured ones
            for (int k = 0; k < 3; k++) {
                model->trianglePositions[9 * f + 3 * c + k] = lists.positions[3 * p + k];
                model->triangleNormals[9 * f + 3 * c + k] = lists.normals[3 * n + k];
            }
            if (model->noTexcoords == 0 && t >= 0)
                for (int k = 0; k < 2; k++)
                    model->triangleTexcoords[6 * f + 2 * c + k] = lists.texcoords[3 * t + k];
        }
    }
}

bool objParse(const char *path, const char *bytes, size_t size, OBJModel *model,
              ObjMaterialLoader loadMaterial, void *context, std::string *log,
              VlmParseOutcome *error)
{
    *model = OBJModel();
    countObjLines(bytes, size, model);

    ObjLists lists;
    lists.positions.assign(3 * (size_t)model->positionCount, 0.0f);
    lists.normals.assign(3 * (size_t)model->normalCount, 0.0f);
    lists.texcoords.assign(3 * (size_t)model->texcoordCount, 0.0f);
    lists.positionIndex.assign(3 * (size_t)model->triangleCount, 0);
    lists.normalIndex.assign(3 * (size_t)model->triangleCount, 0);
    lists.texcoordIndex.assign(3 * (size_t)model->triangleCount, 0);
    lists.faceLine.assign((size_t)model->triangleCount, 0);
    model->materials.assign(model->materialCount, OBJMaterial());

    LineCursor cursor{bytes, size, 0, {}};
    for (int lineNumber = 1; cursor.next(); lineNumber++) {
        if (!readObjLine(path, cursor.c_str(), lineNumber, model, &lists, loadMaterial, context,
                         log, error))
            return false;
    }
    if (!checkPositionsRead(path, bytes, size, lists, error)) return false;
    deindex(model, lists);
    return true;
}

// ================================================================ MTL parser

static bool isPngName(const std::string &name)
{
    return contains(name.c_str(), ".png") || contains(name.c_str(), ".PNG");
}

// A map_Kd / map_bump / bump line inside the wanted block: the name, the PNG rule, the texture.
static bool readTextureLine(const MtlParse &parse, const char *line, const char *format,
                            bool colourMap, unsigned *texture)
{
    if (colourMap && parse.packed) *parse.log += "colormap found!!!\n";
    std::string name, message;
    if (!scanName(line, format, &name)) {
        appendf(&message, "[!] Couldn't read line into material (obj): \n%s\n", line);
        return fail(parse.error, message);
    }
    if (!isPngName(name)) {
        appendf(&message, "[!] Error loading texture %s, needs to be png (.PNG .png) (obj)",
                name.c_str());
        return fail(parse.error, message);
    }
    if (colourMap && parse.packed) appendf(parse.log, "loading colormap %s\n", name.c_str());
    *texture = parse.loadTexture(parse.textureContext, parse.log, name.c_str());
    return true;
}

// Scalars and colours, read on every line whether inside the block or not. Each row reads its
// values into their own field and says whether the line gave all of them.
struct MtlKey {
    const char *key;                             // substring that selects the line
    const char *unless;                          // substring that rules it out, or null
    const char *name;                            // key name in the error message
    bool (*read)(const char *line, OBJMaterial *m);
};

static const MtlKey MTL_KEYS[] = {
    {"Ns ", nullptr, "Ns",
     [](const char *line, OBJMaterial *m) { return sscanf(line, "Ns %f", &m->shininess) == 1; }},
    {"Ni ", nullptr, "Ni",
     [](const char *line, OBJMaterial *m) {
         return sscanf(line, "Ni %f", &m->opticalDensity) == 1;
     }},
    {"d ", "Kd", "d",
     [](const char *line, OBJMaterial *m) { return sscanf(line, "d %f", &m->dissolve) == 1; }},
    {"illum ", nullptr, "illum",
     [](const char *line, OBJMaterial *m) { return sscanf(line, "illum %d", &m->illum) == 1; }},
    {"Ka ", nullptr, "Ka",
     [](const char *line, OBJMaterial *m) {
         return sscanf(line, "Ka %f %f %f", &m->ambient[0], &m->ambient[1], &m->ambient[2]) == 3;
     }},
    {"Kd ", "map", "Kd",
     [](const char *line, OBJMaterial *m) {
         return sscanf(line, "Kd %f %f %f", &m->diffuse[0], &m->diffuse[1], &m->diffuse[2]) == 3;
     }},
    {"Ks ", nullptr, "Ks",
     [](const char *line, OBJMaterial *m) {
         return sscanf(line, "Ks %f %f %f", &m->specular[0], &m->specular[1],
                       &m->specular[2]) == 3;
     }},
};

static bool readMtlValues(const MtlParse &parse, const char *line)
{
    for (const MtlKey &k : MTL_KEYS) {
        if (!contains(line, k.key) || (k.unless && contains(line, k.unless))) continue;
        if (!k.read(line, parse.material)) {
            std::string message;
            appendf(&message, "[!] Error loading %s value from line (obj)\n%s\n", k.name, line);
            return fail(parse.error, message);
        }
    }
    return true;
}

static bool readMtlTextures(const MtlParse &parse, const char *line)
{
    OBJMaterial *material = parse.material;
    if (contains(line, "map_Kd")) {
        if (!readTextureLine(parse, line, "map_Kd %s", true, &material->colorMap)) return false;
        material->textureFlags += 1;
    }
    const char *bumpFormat = nullptr;
    if (contains(line, "map_bump")) bumpFormat = "map_bump %s";
    else if (contains(line, "bump ") && !contains(line, "_bump ")) bumpFormat = "bump %s";
    if (bumpFormat) {
        if (!readTextureLine(parse, line, bumpFormat, false, &material->bumpMap)) return false;
        material->textureFlags += 2;
    }
    return true;
}

bool mtlParse(const MtlParse &parse, const char *bytes, size_t size)
{
    parse.material->firstTriangle = parse.firstTriangle;
    parse.material->textureFlags = 0;
    if (parse.packed) appendf(parse.log, "[MODELS OBJ] loading material %s...\n", parse.name);

    bool inBlock = false;
    LineCursor cursor{bytes, size, 0, {}};
    while (cursor.next()) {
        const char *line = cursor.c_str();
        // Plain substring match: "Material" also matches "newmtl Material.001".
        if (contains(line, parse.name)) inBlock = true;
        else if (contains(line, "newmtl") && inBlock) return true;

        if (inBlock && !readMtlTextures(parse, line)) return false;
        if (!readMtlValues(parse, line)) return false;
    }
    return true;
}

// ================================================================ loaders

static void printLog(std::string *log)
{
    fputs(log->c_str(), stdout);
    log->clear();
}

// Prints what parsing said; on failure also its message, then ends the process.
static void finishParse(std::string *log, bool ok, const VlmParseOutcome &error)
{
    printLog(log);
    if (!ok) vlm_reportOutcome(error);
}

// Textures come from outside: what the parser said so far is printed first, keeping order.
static unsigned loadTextureForParser(void *, std::string *log, const char *name)
{
    printLog(log);
    return vlm_loadPNG(name);
}

static bool loadMaterialForParser(void *context, const char *library, const char *name,
                                  OBJMaterial *material, int firstTriangle, std::string *log,
                                  VlmParseOutcome *error)
{
    printLog(log);
    loadMaterial(library, name, material, firstTriangle);
    return true;
}

// Reads a whole disk file; a file that cannot be opened, held or read prints its message and
// ends the process.
static VlmFile readDiskText(const char *path)
{
    VlmFile file = vlm_io_readFile(path, VLM_FROM_DISK);
    if (file.status == VLM_FILE_READ) return file;
    if (file.status == VLM_FILE_MISSING) printf("[!] Couldn't open %s\n", path);
    else if (file.status == VLM_FILE_NO_MEMORY) printf("[!] Couldn't malloc memory for %s\n", path);
    else printf("[!] Error reading %s\n", path);
    exit(-1);
}

// Takes the next model id; the 129th model is refused.
static int takeModelId(const char *path)
{
    if (CURRENT_OBJ_ID >= VLM_OBJ_MAX_MODELS) {
        printf("[!] Can't load %s: the model table holds %d models\n", path, VLM_OBJ_MAX_MODELS);
        exit(-1);
    }
    return CURRENT_OBJ_ID++;
}

static void parseModel(int id, const char *path, const char *bytes, size_t size)
{
    std::string log;
    VlmParseOutcome error;
    bool ok = objParse(path, bytes, size, &OBJMODELS[id], loadMaterialForParser, nullptr, &log,
                       &error);
    finishParse(&log, ok, error);
}

int vlm_loadOBJ_Compressed(const char *path)
{
    int id = takeModelId(path);
    printf("[*] loading %s\n", path);
    unsigned size = 0;
    char *data = vlm_io_uncompress(path, &size);
    if (!data || size == 0) {
        free(data);
        CURRENT_OBJ_ID--;
        return VLM_OBJ_NOT_PACKED;
    }
    parseModel(id, path, data, size);
    free(data);
    return id;
}

int vlm_loadOBJ_Native(const char *path)
{
    int id = takeModelId(path);
    printf("[*] loading %s\n", path);
    VlmFile text = readDiskText(path);
    parseModel(id, path, text.bytes, text.size);
    free(text.bytes);
    return id;
}

int vlm_loadOBJ(const char *path)
{
    int id = vlm_loadOBJ_Compressed(path);
    return id == VLM_OBJ_NOT_PACKED ? vlm_loadOBJ_Native(path) : id;
}

int loadMaterial_Compressed(const char *library, const char *name, OBJMaterial *material,
                            int firstTriangle)
{
    unsigned size = 0;
    char *data = vlm_io_uncompress(library, &size);
    if (!data || size == 0) {
        free(data);
        return 0;
    }
    std::string log;
    VlmParseOutcome error;
    bool ok = mtlParse({.name = name, .material = material, .firstTriangle = firstTriangle,
                        .packed = true, .loadTexture = loadTextureForParser, .log = &log,
                        .error = &error},
                       data, size);
    free(data);
    finishParse(&log, ok, error);
    return 1;
}

int loadMaterial_Native(const char *library, const char *name, OBJMaterial *material,
                        int firstTriangle)
{
    VlmFile text = readDiskText(library);
    std::string log;
    VlmParseOutcome error;
    bool ok = mtlParse({.name = name, .material = material, .firstTriangle = firstTriangle,
                        .loadTexture = loadTextureForParser, .log = &log, .error = &error},
                       text.bytes, text.size);
    free(text.bytes);
    finishParse(&log, ok, error);
    return 1;
}

int loadMaterial(const char *library, const char *name, OBJMaterial *material, int firstTriangle)
{
    if (loadMaterial_Compressed(library, name, material, firstTriangle)) return 1;
    return loadMaterial_Native(library, name, material, firstTriangle);
}

// ================================================================ drawing

static void setMaterial(const OBJMaterial &m)
{
    const float ambient[4] = {m.ambient[0], m.ambient[1], m.ambient[2], 1.0f};
    const float diffuse[4] = {m.diffuse[0], m.diffuse[1], m.diffuse[2], 1.0f};
    const float specular[4] = {m.specular[0], m.specular[1], m.specular[2], 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.shininess);
}

// A model's triangles in one GL buffer, made on its first draw and kept: positions, then
// normals, then texture coordinates (when the model has them), as the model's arrays hold them.
struct ModelBuffer {
    GLuint name;        // 0 until the model is first drawn
    size_t normals;     // byte offset of the normals
    size_t texcoords;   // byte offset of the texture coordinates
    float lo[3], hi[3]; // bounding box of the positions, model units
};
static ModelBuffer MODEL_BUFFERS[VLM_OBJ_MAX_MODELS];

static size_t bytesOf(const std::vector<float> &v)
{
    return v.size() * sizeof(float);
}

static const ModelBuffer &modelBuffer(int id)
{
    ModelBuffer &b = MODEL_BUFFERS[id];
    if (b.name) return b;
    const OBJModel &m = OBJMODELS[id];
    for (int k = 0; k < 3; k++) b.lo[k] = b.hi[k] = m.trianglePositions.empty() ? 0 : m.trianglePositions[k];
    for (size_t i = 0; i < m.trianglePositions.size(); i++) {
        float v = m.trianglePositions[i];
        if (v < b.lo[i % 3]) b.lo[i % 3] = v;
        if (v > b.hi[i % 3]) b.hi[i % 3] = v;
    }
    b.normals = bytesOf(m.trianglePositions);
    b.texcoords = b.normals + bytesOf(m.triangleNormals);
    glGenBuffers(1, &b.name);
    glBindBuffer(GL_ARRAY_BUFFER, b.name);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(b.texcoords + bytesOf(m.triangleTexcoords)),
                 nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, (GLsizeiptr)b.normals, m.trianglePositions.data());
    glBufferSubData(GL_ARRAY_BUFFER, (GLintptr)b.normals, (GLsizeiptr)(b.texcoords - b.normals),
                    m.triangleNormals.data());
    glBufferSubData(GL_ARRAY_BUFFER, (GLintptr)b.texcoords,
                    (GLsizeiptr)bytesOf(m.triangleTexcoords), m.triangleTexcoords.data());
    return b;
}

static const void *at(size_t offset)
{
    return (const void *)(uintptr_t)offset;
}

// One material's triangles [first, end), from the model's buffer (bound by the caller); with
// `send` 0 only the material's state is set. Allocates nothing.
static void drawMaterial(const OBJModel &model, const ModelBuffer &buffer, const OBJMaterial &m,
                         int end, bool send)
{
    bool textured = model.noTexcoords == 0;
    setMaterial(m);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m.colorMap);
    }
    glVertexPointer(3, GL_FLOAT, 0, at(0));
    glNormalPointer(GL_FLOAT, 0, at(buffer.normals));
    if (textured) glTexCoordPointer(2, GL_FLOAT, 0, at(buffer.texcoords));
    if (send && end > m.firstTriangle) glDrawArrays(GL_TRIANGLES, 3 * m.firstTriangle,
                                                    3 * (end - m.firstTriangle));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    if (!textured) return;
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (m.textureFlags != 0) {
        glActiveTexture(GL_TEXTURE0);
        glDisable(GL_TEXTURE_2D);
    }
    if (m.textureFlags > 1) {
        glActiveTexture(GL_TEXTURE1);
        glDisable(GL_TEXTURE_2D);
    }
}

void vlm_renderOBJ(int id)
{
    glColor4f(1, 0, 0, 1);
    if (id < 0 || id >= CURRENT_OBJ_ID) return;
    const OBJModel &model = OBJMODELS[id];
    // The triangles are the same every frame: they live in a buffer, sent once.
    const ModelBuffer &buffer = modelBuffer(id);
    // A model wholly outside the view would give no pixel: it leaves the state it would leave.
    // The scenes' programs place vertices with the model-view and projection matrices.
    float clip[16];
    vlm_viewClipMatrix(clip);
    bool send = !vlm_boxOutsideClip(clip, buffer.lo, buffer.hi);
    glBindBuffer(GL_ARRAY_BUFFER, buffer.name);
    glPushMatrix();
    // An int counter: every material is drawn, however many there are.
    for (int i = 0; i < model.materialCount; i++) {
        int end = i + 1 < model.materialCount ? model.materials[i + 1].firstTriangle
                                              : model.triangleCount;
        drawMaterial(model, buffer, model.materials[i], end, send);
    }
    glPopMatrix();
    glBindBuffer(GL_ARRAY_BUFFER, 0); // client arrays elsewhere read from memory again
}
