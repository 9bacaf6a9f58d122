// MD5 meshes: quaternion routines, the mesh loader (parser apart from the exit policy),
// skinning with computed normals, and drawing of meshes and skeletons.
//
// Index: quaternions | text helpers | mesh parser | file reader and table | skinning | drawing

// quat_slerp's guard must stay an assertion in every build type.
#undef NDEBUG
#include "models.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cassert>
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

md5_model_t MODEL[MD5_MAX_MODELS];
int CURRENT_ID = 0;

// ---------------------------------------------------------------- quaternions

void quat_computeW(quat4 q)
{
    float t = 1.0f - q[0] * q[0] - q[1] * q[1] - q[2] * q[2];
    // The format stores only x, y, z of unit quaternions and takes the negative root.
    q[3] = t < 0.0f ? 0.0f : -sqrtf(t);
}

void quat_normalize(quat4 q)
{
    float mag = sqrtf(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (mag > 0.0f) {
        float inv = 1.0f / mag;
        for (int i = 0; i < 4; i++) q[i] *= inv;
    }
}

void quat_multquat(const quat4 a, const quat4 b, quat4 out)
{
    out[3] = a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2];
    out[0] = a[0] * b[3] + a[3] * b[0] + a[1] * b[2] - a[2] * b[1];
    out[1] = a[1] * b[3] + a[3] * b[1] + a[2] * b[0] - a[0] * b[2];
    out[2] = a[2] * b[3] + a[3] * b[2] + a[0] * b[1] - a[1] * b[0];
}

void quat_multVec(const quat4 q, const float v[3], quat4 out)
{
    out[3] = -q[0] * v[0] - q[1] * v[1] - q[2] * v[2];
    out[0] = q[3] * v[0] + q[1] * v[2] - q[2] * v[1];
    out[1] = q[3] * v[1] + q[2] * v[0] - q[0] * v[2];
    out[2] = q[3] * v[2] + q[0] * v[1] - q[1] * v[0];
}

void quat_rotatePoint(const quat4 q, const float point[3], float out[3])
{
    quat4 inv = {-q[0], -q[1], -q[2], q[3]};
    quat_normalize(inv);
    quat4 tmp, final;
    quat_multVec(q, point, tmp);
    quat_multquat(tmp, inv, final);
    out[0] = final[0];
    out[1] = final[1];
    out[2] = final[2];
}

float quat_dotProduct(const quat4 a, const quat4 b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}

void quat_slerp(const quat4 a, const quat4 b, float t, quat4 out)
{
    if (t <= 0.0f) {
        memcpy(out, a, sizeof(quat4));
        return;
    }
    if (t >= 1.0f) {
        memcpy(out, b, sizeof(quat4));
        return;
    }
    float cosOmega = quat_dotProduct(a, b);
    quat4 q1 = {b[0], b[1], b[2], b[3]};
    if (cosOmega < 0.0f) {  // q and -q are one rotation: take the shorter arc
        for (int i = 0; i < 4; i++) q1[i] = -q1[i];
        cosOmega = -cosOmega;
    }
    assert(cosOmega < 1.1f);

    float k0, k1;
    if (cosOmega > 0.9999f) {  // nearly equal: sin(omega) would divide by almost zero
        k0 = 1.0f - t;
        k1 = t;
    } else {
        float sinOmega = sqrtf(1.0f - cosOmega * cosOmega);
        float omega = atan2f(sinOmega, cosOmega);
        float oneOverSinOmega = 1.0f / sinOmega;
        k0 = sinf((1.0f - t) * omega) * oneOverSinOmega;
        k1 = sinf(t * omega) * oneOverSinOmega;
    }
    for (int i = 0; i < 4; i++) out[i] = k0 * a[i] + k1 * q1[i];
}

// ---------------------------------------------------------------- text helpers

md5_lineReader md5_readerOver(const char *bytes, size_t size)
{
    return {bytes, bytes + size, bytes, nullptr};
}

int md5_nextLine(md5_lineReader *reader, std::string *line)
{
    if (reader->at >= reader->end) return 0;
    reader->lineStart = reader->at;
    const char *nl = (const char *)memchr(reader->at, '\n', reader->end - reader->at);
    const char *stop = nl ? nl : reader->end;
    line->assign(reader->at, stop - reader->at);
    reader->at = nl ? nl + 1 : reader->end;
    return 1;
}

const char *md5_copyToken(const char *text, char *field, size_t fieldSize)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) text++;
    size_t n = 0;
    while (*text && !(*text == ' ' || (*text >= '\t' && *text <= '\r'))) {
        if (n + 1 < fieldSize) field[n++] = *text;
        text++;
    }
    field[n] = '\0';
    return text;
}

std::string md5_format(const char *format, ...)
{
    char small[512];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < (int)sizeof small) return std::string(small, n < 0 ? 0 : n);
    std::string big(n + 1, '\0');
    va_start(args, format);
    vsnprintf(&big[0], big.size(), format, args);
    va_end(args);
    big.resize(n);
    return big;
}

int md5_countFits(int64_t value, size_t fileSize)
{
    return value >= 0 && (uint64_t)value <= fileSize;
}

int md5_narrow(VlmParseOutcome *result, const char *path, const md5_lineReader &reader,
               const char *what, int64_t value, int *field)
{
    if (value >= INT_MIN && value <= INT_MAX) {
        *field = (int)value;
        return 1;
    }
    // Counted only on failure: the line's number is its newlines from the start, plus one.
    const char *start = reader.lineStart ? reader.lineStart : reader.begin;
    int number = 1;
    for (const char *c = reader.begin; c < start; c++) number += *c == '\n';
    const char *stop = (const char *)memchr(start, '\n', reader.end - start);
    std::string text(start, stop ? stop : reader.end);
    text.erase(0, text.find_first_not_of(" \t"));
    return vlm_parseFail(result, md5_format("[!] %s, line %d: %s %" PRId64 " out of range: %s\n",
                                            path, number, what, value, text.c_str()));
}

// ---------------------------------------------------------------- mesh parser

namespace {

// Parser state: the model being filled, where the text stands, and how the load ends.
struct MeshParse {
    const char *path;
    size_t fileSize;
    md5_lineReader reader;
    md5_model_t *model;
    VlmParseOutcome result;
    int sawJoints, sawMeshes;  // the numJoints / numMeshes lines have been read
    int nextMesh;              // meshes are numbered in file order from 0
    int64_t declared;          // sum of every count read so far
};

// Ends the parse with a "[!] " message; returns 0 so callers can `return fail(...)`.
int fail(MeshParse *p, const std::string &message)
{
    return vlm_parseFail(&p->result, message);
}

// Stores a number read 64 bits wide into its int field, or fails naming the line.
int narrow(MeshParse *p, const char *what, int64_t value, int *field)
{
    return md5_narrow(&p->result, p->path, p->reader, what, value, field);
}

// The integer that starts `offset` characters into the line, 64 bits wide; 0 if none.
int64_t integerAt(const std::string &line, size_t offset)
{
    if (offset > line.size()) return 0;
    return strtoll(line.c_str() + offset, nullptr, 10);
}

// Reads a count line's value into *count, or fails when it cannot fit the file. The counts
// of a file must fit it together too: many mesh blocks that each claimed the whole file would
// ask for its size squared (a 100 KB file for gigabytes of vertices).
int takeCount(MeshParse *p, const char *what, int64_t value, int *count)
{
    int narrowed;
    if (!narrow(p, what, value, &narrowed)) return 0;
    if (!md5_countFits(value, p->fileSize) || !md5_countFits(p->declared + value, p->fileSize))
        return fail(p, md5_format("[!] %s, %s %" PRId64 " out of range\n", p->path, what, value));
    p->declared += value;
    *count = (int)value;
    return 1;
}

// Every integer of a line is read 64 bits wide and narrowed with a check: "%d" of a number past
// the int range gives the range's end on i386 but the number's low 32 bits on x86_64.
#define IDX "%" SCNd64

int readJointLine(MeshParse *p, const std::string &line, md5_joint_t *joint)
{
    memset(joint, 0, sizeof *joint);
    const char *rest = md5_copyToken(line.c_str(), joint->name, sizeof joint->name);
    int64_t parent = 0;
    sscanf(rest, " " IDX " ( %f %f %f ) ( %f %f %f )", &parent, &joint->pos[0], &joint->pos[1],
           &joint->pos[2], &joint->orient[0], &joint->orient[1], &joint->orient[2]);
    quat_computeW(joint->orient);
    return narrow(p, "joint parent", parent, &joint->parent);
}

int readJointsBlock(MeshParse *p)
{
    if (!p->sawJoints)
        return fail(p, md5_format("[!] %s, joints block before numJoints\n", p->path));
    std::string line;
    for (int i = 0; i < p->model->num_joints; i++) {
        if (!md5_nextLine(&p->reader, &line)) {
            p->result.messages += md5_format("[!] %s, error when reading!\n", p->path);
            return 1;
        }
        if (!readJointLine(p, line, &p->model->baseSkel[i])) return 0;
    }
    return 1;
}

// Checks a block entry's index against its array; `sized` is 0 before the count line.
int entryFits(MeshParse *p, int sized, const char *what, const char *countName, int index,
              int count)
{
    int mesh = p->nextMesh - 1;
    if (!sized)
        return fail(p, md5_format("[!] %s, mesh %d: %s before %s\n", p->path, mesh, what,
                                  countName));
    if (index < 0 || index >= count)
        return fail(p, md5_format("[!] %s, mesh %d: %s %d outside %s %d\n", p->path, mesh, what,
                                  index, countName, count));
    return 1;
}

// Applies one line of a mesh block; each test may match, in order. 0 when the load failed.
int readMeshLine(MeshParse *p, md5_mesh_t *mesh, const std::string &line, int sized[3])
{
    const char *s = line.c_str();
    int n = -1, index;
    if (strstr(s, "meshes:") && (sscanf(s, " // meshes: %n", &n), n >= 0))
        md5_copyToken(s + n, mesh->name, sizeof mesh->name);
    if (strstr(s, "weight ")) {
        md5_weight_t w = {};
        int64_t wide[2] = {0, 0};  // index, joint
        if (sscanf(s, " weight " IDX " " IDX " %f ( %f %f %f )", &wide[0], &wide[1], &w.bias,
                   &w.pos[0], &w.pos[1], &w.pos[2]) >= 1) {
            if (!narrow(p, "weight", wide[0], &index) ||
                !narrow(p, "weight joint", wide[1], &w.joint) ||
                !entryFits(p, sized[2], "weight", "numweights", index, mesh->num_weights))
                return 0;
            mesh->weights[index] = w;
        }
    }
    if (strstr(s, "vert ")) {
        md5_vertex_t v = {};
        int64_t wide[3] = {0, 0, 0};  // index, first weight, weight count
        if (sscanf(s, " vert " IDX " ( %f %f ) " IDX " " IDX, &wide[0], &v.st[0], &v.st[1],
                   &wide[1], &wide[2]) >= 1) {
            if (!narrow(p, "vert", wide[0], &index) ||
                !narrow(p, "vert first weight", wide[1], &v.start) ||
                !narrow(p, "vert weight count", wide[2], &v.count) ||
                !entryFits(p, sized[0], "vert", "numverts", index, mesh->num_verts))
                return 0;
            mesh->vertices[index] = v;
        }
    }
    if (strstr(s, "tri ")) {
        md5_triangle_t t = {};
        int64_t wide[4] = {0, 0, 0, 0};  // index, three corners
        if (sscanf(s, " tri " IDX " " IDX " " IDX " " IDX, &wide[0], &wide[1], &wide[2],
                   &wide[3]) >= 1) {
            if (!narrow(p, "tri", wide[0], &index)) return 0;
            for (int c = 0; c < 3; c++)
                if (!narrow(p, "tri corner", wide[1 + c], &t.index[c])) return 0;
            if (!entryFits(p, sized[1], "tri", "numtris", index, mesh->num_tris)) return 0;
            mesh->triangles[index] = t;
        }
    }
    n = -1;
    if (strstr(s, "shader") && (sscanf(s, " shader %n", &n), n >= 0))
        md5_copyToken(s + n, mesh->shader, sizeof mesh->shader);
    int64_t count;
    if (strstr(s, "numverts") && sscanf(s, " numverts %" SCNd64, &count) == 1) {
        if (!takeCount(p, "numverts", count, &mesh->num_verts)) return 0;
        mesh->vertices.assign(mesh->num_verts, md5_vertex_t());
        sized[0] = 1;
    }
    if (strstr(s, "numtris") && sscanf(s, " numtris %" SCNd64, &count) == 1) {
        if (!takeCount(p, "numtris", count, &mesh->num_tris)) return 0;
        mesh->triangles.assign(mesh->num_tris, md5_triangle_t());
        sized[1] = 1;
    }
    if (strstr(s, "numweights") && sscanf(s, " numweights %" SCNd64, &count) == 1) {
        if (!takeCount(p, "numweights", count, &mesh->num_weights)) return 0;
        mesh->weights.assign(mesh->num_weights, md5_weight_t());
        sized[2] = 1;
    }
    return 1;
}

int readMeshBlock(MeshParse *p)
{
    if (!p->sawMeshes)
        return fail(p, md5_format("[!] %s, mesh block before numMeshes\n", p->path));
    if (p->nextMesh >= p->model->num_meshes)
        return fail(p, md5_format("[!] %s, mesh %d beyond numMeshes %d\n", p->path, p->nextMesh,
                                  p->model->num_meshes));
    md5_mesh_t *mesh = &p->model->meshes[p->nextMesh++];
    int sized[3] = {0, 0, 0};  // numverts, numtris, numweights seen in this block
    std::string line;
    while (md5_nextLine(&p->reader, &line)) {
        if (line[0] == '}') return 1;
        if (!readMeshLine(p, mesh, line, sized)) return 0;
    }
    p->result.messages += md5_format("[!] %s, error when reading!\n", p->path);
    return 1;
}

// Applies one top-level line; the tests are made in order and several may match.
int readTopLine(MeshParse *p, const std::string &line)
{
    const char *s = line.c_str();
    md5_model_t *m = p->model;
    if (strstr(s, "MD5Version 10") && !narrow(p, "MD5Version", integerAt(line, 10), &m->version))
        return 0;
    if (strstr(s, "numJoints")) {
        if (!takeCount(p, "numJoints", integerAt(line, 9), &m->num_joints)) return 0;
        m->baseSkel.assign(m->num_joints, md5_joint_t());
        p->sawJoints = 1;
    }
    if (strstr(s, "numMeshes")) {
        if (!takeCount(p, "numMeshes", integerAt(line, 9), &m->num_meshes)) return 0;
        m->meshes.clear();
        m->meshes.resize(m->num_meshes);
        p->sawMeshes = 1;
    }
    if (strstr(s, "joints {") && !readJointsBlock(p)) return 0;
    if (strstr(s, "mesh {") && !readMeshBlock(p)) return 0;
    return 1;
}

// After the whole file: every index must land inside the array it refers to.
int checkMeshIndices(MeshParse *p)
{
    const md5_model_t *m = p->model;
    for (int j = 0; j < m->num_joints; j++) {
        int parent = m->baseSkel[j].parent;
        if (parent < -1 || parent >= m->num_joints)
            return fail(p, md5_format("[!] %s, joint %d has parent %d of %d joints\n", p->path, j,
                                      parent, m->num_joints));
    }
    for (int k = 0; k < m->num_meshes; k++) {
        const md5_mesh_t &mesh = m->meshes[k];
        for (int i = 0; i < mesh.num_weights; i++)
            if (mesh.weights[i].joint < 0 || mesh.weights[i].joint >= m->num_joints)
                return fail(p, md5_format("[!] %s, mesh %d: weight %d refers to joint %d of %d\n",
                                          p->path, k, i, mesh.weights[i].joint, m->num_joints));
        for (int i = 0; i < mesh.num_verts; i++) {
            const md5_vertex_t &v = mesh.vertices[i];
            if (v.start < 0 || v.count < 0 || (int64_t)v.start + v.count > mesh.num_weights)
                return fail(p, md5_format("[!] %s, mesh %d: vert %d uses weights %d+%d of %d\n",
                                          p->path, k, i, v.start, v.count, mesh.num_weights));
        }
        for (int i = 0; i < mesh.num_tris; i++)
            for (int c = 0; c < 3; c++)
                if (mesh.triangles[i].index[c] < 0 || mesh.triangles[i].index[c] >= mesh.num_verts)
                    return fail(p, md5_format("[!] %s, mesh %d: tri %d refers to vert %d of %d\n",
                                              p->path, k, i, mesh.triangles[i].index[c],
                                              mesh.num_verts));
    }
    return 1;
}

#undef IDX

}  // namespace

VlmParseOutcome md5_parseMesh(const char *path, const char *bytes, size_t size, md5_model_t *model)
{
    *model = md5_model_t();
    MeshParse p = {path, size, md5_readerOver(bytes, size), model, VlmParseOutcome(), 0, 0, 0, 0};
    std::string line;
    while (md5_nextLine(&p.reader, &line))
        if (!readTopLine(&p, line)) return p.result;
    checkMeshIndices(&p);
    return p.result;
}

// ---------------------------------------------------------------- file reader and table

void loadMD5Mesh(md5_model_t *model, const char *path)
{
    VlmFile file = vlm_io_readFile(path, VLM_FROM_DISK);
    if (file.status == VLM_FILE_MISSING) {
        printf("[!] Couldn't open %s\n", path);
        exit(-1);
    }
    printf("> md5 %s is %d bytes\n", path, (int)file.size);
    if (file.size == 0) printf("[!] %s, invalid filesize!\n", path);
    if (file.status == VLM_FILE_NO_MEMORY) {
        printf("[!] %s, couldn't allocate memory! sad fucking kitten\n", path);
        exit(-1);
    }
    if (file.status != VLM_FILE_READ) printf("[!] %s, error when reading!\n", path);

    VlmParseOutcome r = md5_parseMesh(path, file.bytes ? file.bytes : "", file.size, model);
    free(file.bytes);
    vlm_reportOutcome(r);
}

void md5_sizeScratch(md5_model_t *model)
{
    int maxVerts = 0, maxTris = 0;
    for (const md5_mesh_t &mesh : model->meshes) {
        if (mesh.num_verts > maxVerts) maxVerts = mesh.num_verts;
        if (mesh.num_tris > maxTris) maxTris = mesh.num_tris;
    }
    model->texCoordArray.assign(2 * (size_t)maxVerts, 0.0f);
    model->vertexArray.assign(3 * (size_t)maxVerts, 0.0f);
    model->normalArray.assign(3 * (size_t)maxVerts, 0.0f);
    model->vertexIndices.assign(3 * (size_t)maxTris, 0u);
}

int vlm_loadMD5(const char *path)
{
    printf("warning! vlm_loadmd5, fix some malloc code. maybe laters\n");
    if (CURRENT_ID >= MD5_MAX_MODELS) {
        printf("[!] %s, no room for another MD5 model (all %d are loaded)\n", path,
               MD5_MAX_MODELS);
        exit(-1);
    }
    md5_model_t *model = &MODEL[CURRENT_ID];
    loadMD5Mesh(model, path);
    md5_sizeScratch(model);
    return CURRENT_ID++;
}

// ---------------------------------------------------------------- skinning

namespace {

void skinPositions(md5_model_t *model, const md5_mesh_t &mesh, const md5_joint_t *skeleton)
{
    for (int i = 0; i < mesh.num_verts; i++) {
        const md5_vertex_t &v = mesh.vertices[i];
        float sum[3] = {0, 0, 0};
        for (int k = 0; k < v.count; k++) {
            const md5_weight_t &w = mesh.weights[v.start + k];
            const md5_joint_t &joint = skeleton[w.joint];
            float moved[3];
            quat_rotatePoint(joint.orient, w.pos, moved);
            for (int c = 0; c < 3; c++) sum[c] += (joint.pos[c] + moved[c]) * w.bias;
        }
        memcpy(&model->vertexArray[3 * i], sum, sizeof sum);
    }
}

// Area-weighted vertex normals of the skinned triangles, counter-clockwise faces outward.
void computeNormals(md5_model_t *model, const md5_mesh_t &mesh)
{
    if (mesh.num_verts == 0) return;
    float *n = model->normalArray.data();
    const float *p = model->vertexArray.data();
    memset(n, 0, sizeof(float) * 3 * mesh.num_verts);
    for (int i = 0; i < mesh.num_tris; i++) {
        const int *t = mesh.triangles[i].index;
        const float *a = p + 3 * t[0], *b = p + 3 * t[1], *c = p + 3 * t[2];
        float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float face[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                         e1[0] * e2[1] - e1[1] * e2[0]};
        for (int k = 0; k < 3; k++)
            for (int c2 = 0; c2 < 3; c2++) n[3 * t[k] + c2] += face[c2];
    }
    for (int i = 0; i < mesh.num_verts; i++) {
        float *v = n + 3 * i;
        float len = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (len > 0.0f && std::isfinite(len)) {
            for (int c = 0; c < 3; c++) v[c] /= len;
        } else {  // a vertex of no (or only degenerate) triangles faces the format's up axis
            v[0] = 0.0f;
            v[1] = 0.0f;
            v[2] = 1.0f;
        }
    }
}

}  // namespace

void md5_prepare_mesh(md5_model_t *model, int meshIndex, const md5_joint_t *skeleton)
{
    if (meshIndex < 0 || meshIndex >= model->num_meshes) return;
    const md5_mesh_t &mesh = model->meshes[meshIndex];
    if (model->vertexArray.size() < 3 * (size_t)mesh.num_verts ||
        model->vertexIndices.size() < 3 * (size_t)mesh.num_tris)
        md5_sizeScratch(model);

    for (int i = 0; i < mesh.num_verts; i++) {
        model->texCoordArray[2 * i] = mesh.vertices[i].st[0];
        model->texCoordArray[2 * i + 1] = mesh.vertices[i].st[1];
    }
    for (int i = 0; i < mesh.num_tris; i++)
        for (int c = 0; c < 3; c++) model->vertexIndices[3 * i + c] = mesh.triangles[i].index[c];
    skinPositions(model, mesh, skeleton);
    computeNormals(model, mesh);
}

// ---------------------------------------------------------------- drawing

// The model for a drawing call; an id that no load returned is fatal.
md5_model_t *md5_modelFor(int id, const char *caller)
{
    if (id < 0 || id >= CURRENT_ID) {
        printf("[!] %s: no MD5 model %d (%d loaded)\n", caller, id, CURRENT_ID);
        fflush(stdout);
        exit(-1);
    }
    return &MODEL[id];
}

void vlm_renderMD5(int id)
{
    md5_model_t *model = md5_modelFor(id, "vlm_renderMD5");
    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);  // the format is z-up, the framework y-up
    glScalef(0.2f, 0.2f, 0.2f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (int k = 0; k < model->num_meshes; k++) {
        md5_prepare_mesh(model, k, model->baseSkel.data());
        glVertexPointer(3, GL_FLOAT, 0, model->vertexArray.data());
        glNormalPointer(GL_FLOAT, 0, model->normalArray.data());
        glDrawElements(GL_TRIANGLES, 3 * model->meshes[k].num_tris, GL_UNSIGNED_INT,
                       model->vertexIndices.data());
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopMatrix();
}

void vlm_md5_renderSkeleton(int id)
{
    md5_model_t *model = md5_modelFor(id, "vlm_md5_renderSkeleton");
    const md5_joint_t *joints = model->baseSkel.data();
    glPushMatrix();
    glColor4f(1.0f, 0.7f, 0.7f, 1.0f);
    for (int i = 0; i < model->num_joints; i++) {
        glPushMatrix();
        glTranslatef(joints[i].pos[0], joints[i].pos[1], joints[i].pos[2]);
        glutSolidCube(0.5);
        glPopMatrix();
    }
    glBegin(GL_LINES);
    for (int i = 0; i < model->num_joints; i++) {
        if (joints[i].parent == -1) continue;
        glVertex3fv(joints[joints[i].parent].pos);
        glVertex3fv(joints[i].pos);
    }
    glEnd();
    glPopMatrix();
}
