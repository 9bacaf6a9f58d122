/// @file
/// MD5 skeletal models: meshes skinned from a joint skeleton (MD5 version 10 text), their
/// skeletal animations, and the quaternion routines both use.
/// Owns the tables MODEL and ANIMATION (64 entries each); ids are handed out in load order from
/// 0 and never reused, and nothing is freed before the process exits. Reads its files from disk
/// only. A 65th load, or a file whose counts or indices do not fit its arrays, prints a "[!] "
/// message naming the file and exits with -1 (status 255).
/// Paths are relative to the working directory. The drawing calls need a current GL context.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "io.h"

// ---------------------------------------------------------------- records

/// A rotation: x, y, z, w (unit length wherever a rotation is meant).
typedef float quat4[4];

/// Table capacities and name lengths.
enum {
    MD5_MAX_MODELS = 64,     ///< capacity of MODEL
    MD5_MAX_ANIMATIONS = 64, ///< capacity of ANIMATION
    MD5_NAME_LEN = 64,       ///< bytes of a joint name, the terminating zero included
    MD5_LABEL_LEN = 256      ///< bytes of a mesh name or shader token, the zero included
};

/// One joint of a skeleton.
struct md5_joint_t {
    char name[MD5_NAME_LEN];  ///< name token as written (quotes kept), cut to 63 chars
    int parent;               ///< index of the parent joint; -1 for a root
    float pos[3];             ///< position in model space
    quat4 orient;             ///< orientation in model space
};

/// One vertex of a mesh: texture coordinates and its weights.
struct md5_vertex_t {
    float st[2];              ///< texture coordinates s, t
    int start;                ///< first weight (index into the mesh's weights)
    int count;                ///< number of weights
};

/// One triangle of a mesh.
struct md5_triangle_t {
    int index[3];             ///< vertex indices
};

/// One weight: a joint's share of a vertex position.
struct md5_weight_t {
    int joint;                ///< index into the skeleton
    float bias;               ///< the weight's share of the vertex position
    float pos[3];             ///< offset in the joint's own space
};

/// One mesh of a model.
struct md5_mesh_t {
    std::vector<md5_vertex_t> vertices;    ///< num_verts entries
    std::vector<md5_triangle_t> triangles; ///< num_tris entries
    std::vector<md5_weight_t> weights;     ///< num_weights entries
    /// @{
    /// Counts of vertices, triangles and weights, as the file gives them.
    int num_verts, num_tris, num_weights;
    /// @}
    unsigned colorTexture;    ///< GL texture name set by the animated renderer, 0 otherwise
    unsigned normalTexture;   ///< GL texture name set by the animated renderer, 0 otherwise
    char name[MD5_LABEL_LEN];   ///< from the mesh's "// meshes:" comment, cut to 255 chars
    char shader[MD5_LABEL_LEN]; ///< the shader token, cut to 255 chars (stored, not used)
};

/// One loaded model: its meshes, bind pose and drawing scratch.
struct md5_model_t {
    int version;                       ///< the number after "MD5Version"
    int num_meshes;                    ///< meshes in the file
    std::vector<md5_mesh_t> meshes;    ///< num_meshes entries
    int num_joints;                    ///< joints of the skeleton
    std::vector<md5_joint_t> baseSkel; ///< bind pose; the player overwrites it with each pose drawn
    /// Scratch, refilled for each mesh just before it is drawn; sized for the largest mesh.
    std::vector<float> texCoordArray;  ///< 2 floats per vertex
    std::vector<float> vertexArray;    ///< 3 floats per vertex, skinned positions
    std::vector<float> normalArray;    ///< 3 floats per vertex, unit normals of the skinned mesh
    std::vector<unsigned> vertexIndices; ///< 3 per triangle
};

/// The bounding box of one animation frame.
struct md5_bbox_t {
    float min[3];             ///< minimum x, y, z of one frame
    float max[3];             ///< maximum x, y, z of one frame
};

/// One loaded animation: every frame's skeleton.
struct md5_anim_t {
    int num_frames;           ///< frames in the file
    int num_joints;           ///< joints per frame
    int frameRate;            ///< frames per second
    int version;              ///< the number after "MD5Version"
    std::vector<md5_joint_t> skelFrames; ///< num_frames x num_joints, frame n at n * num_joints
    std::vector<md5_bbox_t> bboxes;      ///< num_frames entries
};

/// Loader working data for one joint of an animation.
struct md5_jointInfo_t {
    char name[MD5_NAME_LEN];  ///< cut to 63 chars
    int parent;               ///< -1 for a root
    int flags;                ///< animated components: 1 x, 2 y, 4 z, 8 qx, 16 qy, 32 qz
    int startIndex;           ///< first animated component in the frame's values
};

/// One joint of an animation's base frame.
struct md5_baseFrameJoint_t {
    float pos[3];             ///< position
    quat4 orient;             ///< orientation
};

/// The model table; ids below CURRENT_ID are loaded models.
extern md5_model_t MODEL[MD5_MAX_MODELS];
extern int CURRENT_ID;                   ///< index the next vlm_loadMD5 uses
/// The animation table; ids below CURRENT_ANIMATION_ID are loaded animations.
extern md5_anim_t ANIMATION[MD5_MAX_ANIMATIONS];
extern int CURRENT_ANIMATION_ID;         ///< index the next vlm_loadMD5Animation uses

// ---------------------------------------------------------------- quaternions

/// w = -sqrt(1 - x^2 - y^2 - z^2), or 0 when that is negative.
void quat_computeW(quat4 q);
/// Scales q to unit length; a zero quaternion is left unchanged.
void quat_normalize(quat4 q);
/// out = a * b (out may not alias a or b).
void quat_multquat(const quat4 a, const quat4 b, quat4 out);
/// out = q * (v, 0).
void quat_multVec(const quat4 q, const float v[3], quat4 out);
/// out = q p q^-1, the point p rotated by q.
void quat_rotatePoint(const quat4 q, const float point[3], float out[3]);
/// The four-component dot product a . b.
float quat_dotProduct(const quat4 a, const quat4 b);
/// Spherical interpolation along the shorter arc; t <= 0 gives a, t >= 1 gives b. Aborts on the
/// assertion "cosOmega < 1.1f" when a . b is 1.1 or more (not unit quaternions).
void quat_slerp(const quat4 a, const quat4 b, float t, quat4 out);

// ---------------------------------------------------------------- meshes (models.cpp)

/// Loads a model from disk (never data.vfile); returns its index in MODEL (0, 1, 2, ...).
/// Prints "warning! vlm_loadmd5, ..." and "> md5 PATH is N bytes" as it goes. A missing file
/// prints "[!] Couldn't open PATH"; that and every other fatal fault exit -1 (status 255).
int vlm_loadMD5(const char *path);
/// Reads `path` into `model` (version, counts, joints, meshes); fatal faults exit -1.
void loadMD5Mesh(md5_model_t *model, const char *path);
/// Parses the bytes of a mesh file into `model` (reset first). Never reads or writes outside
/// its buffers: counts out of range, blocks before their counts and indices past their
/// arrays fail with a "[!] " message naming `path`.
VlmParseOutcome md5_parseMesh(const char *path, const char *bytes, size_t size, md5_model_t *model);
/// Sizes the scratch arrays for the model's largest vertex and triangle counts.
void md5_sizeScratch(md5_model_t *model);
/// Fills the model's scratch arrays for mesh `mesh` posed by `skeleton`, which must hold at least
/// model->num_joints joints: texture coordinates, indices, skinned positions and normals.
void md5_prepare_mesh(md5_model_t *model, int mesh, const md5_joint_t *skeleton);
/// Draws the model (z-up turned to y-up, scale 0.2) in the pose held in its joints, with normals,
/// untextured, from client memory (no array buffer may be bound), with the current colour,
/// material and program; matrices and client arrays left as they were. An id no load returned
/// prints a "[!] " message and exits -1.
void vlm_renderMD5(int model);
/// Draws the joints as 0.5 cubes and the bones as lines, colour (1, 0.7, 0.7) (left current),
/// in model space (not turned or scaled as vlm_renderMD5 does).
void vlm_md5_renderSkeleton(int model);

// ---------------------------------------------------------------- text helpers of both parsers

/// A cursor over a file's bytes, handing out one line at a time.
struct md5_lineReader {
    const char *at;           ///< start of the next line
    const char *end;          ///< one past the last byte
    const char *begin;        ///< the first byte of the file
    const char *lineStart;    ///< start of the line handed out last; null before the first
};
/// A reader at the start of bytes[0..size).
md5_lineReader md5_readerOver(const char *bytes, size_t size);
/// Copies the next line (without its newline) into `line`; 0 at the end of the bytes.
int md5_nextLine(md5_lineReader *reader, std::string *line);
/// Stores a number read 64 bits wide into its int field. One that does not fit an int fails
/// `result` with "[!] <path>, line <n>: <what> <value> out of range: <the line>" naming the line
/// handed out last, and returns 0.
int md5_narrow(VlmParseOutcome *result, const char *path, const md5_lineReader &reader,
               const char *what, int64_t value, int *field);
/// Copies the whitespace-delimited token at `text` (after any leading white space) into `field`,
/// cut to fieldSize - 1 chars and terminated; returns the text after the whole token.
const char *md5_copyToken(const char *text, char *field, size_t fieldSize);
/// printf into a std::string.
std::string md5_format(const char *format, ...) __attribute__((format(printf, 1, 2)));
/// A count line's value is usable when 0 <= value <= the file's length in bytes.
int md5_countFits(int64_t value, size_t fileSize);
/// The model with id `id` for a drawing call; an id no load returned prints a "[!] " message
/// naming `caller` and exits -1.
md5_model_t *md5_modelFor(int id, const char *caller);

// ---------------------------------------------------------------- animation (models_anim.cpp)

/// Loads an animation from disk (never data.vfile); returns its index in ANIMATION (0, 1, ...).
/// Fatal faults (a missing file: "[!] couldn't open PATH") print a "[!] " line and exit -1.
int vlm_loadMD5Animation(const char *path);
/// Parses the bytes of an animation file into `anim` (reset first), building every frame's
/// skeleton. Same safety as md5_parseMesh.
VlmParseOutcome md5_parseAnimation(const char *path, const char *bytes, size_t size,
                                   md5_anim_t *anim);
/// Builds one frame's model-space skeleton from the base frame and the frame's values; every
/// joint's animated components must lie inside `values`, and parents must precede children.
void anim_buildFrameSkeleton(const md5_jointInfo_t *jointInfos,
                             const md5_baseFrameJoint_t *baseFrame, const float *values,
                             md5_joint_t *out, int num_joints);
/// 1 when the animation's frame 0 has the model's joint count, parents and names; 0 otherwise.
int anim_validate(const md5_model_t *model, const md5_anim_t *anim);
/// out = a blended toward b by t (positions linear, orientations slerped); names not written.
void anim_skel_interpolate(const md5_joint_t *a, const md5_joint_t *b, int num_joints, float t,
                           md5_joint_t *out);
/// The two frames and blend factor the player uses at `seconds`: a cycle of 36 frames (frame
/// 36 blends into the wrap), or of num_frames - 1 frames for shorter animations.
void anim_framesAt(const md5_anim_t *anim, float seconds, int *frameA, int *frameB, float *t);
/// Poses the model by the animation at `seconds` (the model keeps the pose) and draws it with
/// the colour map "data/textures/tex2.png" on unit 0 and the normal map "data/textures/tex3.png"
/// on unit 1 (loaded at the first call), from client memory. An animation that does not fit
/// the model prints "[/] Animation A is not compatible with model M" each call and is drawn
/// anyway. Leaves unit 0 active, GL_TEXTURE_2D disabled on units 0 and 1, the client arrays
/// disabled and the matrices as they were.
void vlm_renderAnimatedMD5(int model, int animation, float seconds);
