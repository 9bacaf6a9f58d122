// MD5 skeletal animation: the animation loader (parser apart from the exit policy), frame
// skeletons built once at load time, blending of two frames, and the textured player.
//
// Index: frame skeletons and blending | animation parser | file reader and table | player

#include "models.h"
#include "textures.h"

#include <GL/glew.h>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

md5_anim_t ANIMATION[MD5_MAX_ANIMATIONS];
int CURRENT_ANIMATION_ID = 0;

// The frame skeletons of one animation may take at most this many bytes; a larger product of
// numFrames and numJoints is reported as an allocation failure.
static const size_t MAX_FRAME_BYTES = 256u << 20;

// ---------------------------------------------------------------- frame skeletons and blending

void anim_buildFrameSkeleton(const md5_jointInfo_t *jointInfos,
                             const md5_baseFrameJoint_t *baseFrame, const float *values,
                             md5_joint_t *out, int num_joints)
{
    for (int i = 0; i < num_joints; i++) {
        const md5_jointInfo_t &info = jointInfos[i];
        float p[3] = {baseFrame[i].pos[0], baseFrame[i].pos[1], baseFrame[i].pos[2]};
        quat4 q = {baseFrame[i].orient[0], baseFrame[i].orient[1], baseFrame[i].orient[2], 0};
        int j = 0;
        float *slots[6] = {&p[0], &p[1], &p[2], &q[0], &q[1], &q[2]};
        for (int bit = 0; bit < 6; bit++)
            if (info.flags & (1 << bit)) *slots[bit] = values[info.startIndex + j++];
        quat_computeW(q);

        md5_joint_t *joint = &out[i];
        memcpy(joint->name, info.name, sizeof joint->name);
        joint->parent = info.parent;
        if (info.parent < 0) {
            memcpy(joint->pos, p, sizeof p);
            memcpy(joint->orient, q, sizeof q);
            continue;
        }
        const md5_joint_t &parent = out[info.parent];
        float moved[3];
        quat_rotatePoint(parent.orient, p, moved);
        for (int c = 0; c < 3; c++) joint->pos[c] = moved[c] + parent.pos[c];
        quat_multquat(parent.orient, q, joint->orient);
        quat_normalize(joint->orient);
    }
}

int anim_validate(const md5_model_t *model, const md5_anim_t *anim)
{
    if (model->num_joints != anim->num_joints || anim->num_frames < 1) return 0;
    for (int i = 0; i < model->num_joints; i++) {
        const md5_joint_t &a = model->baseSkel[i], &b = anim->skelFrames[i];
        if (a.parent != b.parent || strcmp(a.name, b.name) != 0) return 0;
    }
    return 1;
}

void anim_skel_interpolate(const md5_joint_t *a, const md5_joint_t *b, int num_joints, float t,
                           md5_joint_t *out)
{
    for (int i = 0; i < num_joints; i++) {
        out[i].parent = a[i].parent;
        for (int c = 0; c < 3; c++) out[i].pos[c] = a[i].pos[c] + t * (b[i].pos[c] - a[i].pos[c]);
        quat_slerp(a[i].orient, b[i].orient, t, out[i].orient);
    }
}

void anim_framesAt(const md5_anim_t *anim, float seconds, int *frameA, int *frameB, float *t)
{
    *frameA = *frameB = 0;
    *t = 0.0f;
    // Long animations cycle over frames 0..36, the last one only blended into; shorter ones
    // over their own frames the same way.
    int period = anim->num_frames >= 37 ? 36 : anim->num_frames - 1;
    if (period < 1) return;
    float f = (float)anim->frameRate * seconds;
    if (!std::isfinite(f)) return;
    if (f >= (float)period || f < 0.0f) {
        f -= (float)(period * floor((double)f / period));
        if (f < 0.0f || f >= (float)period) f = 0.0f;  // rounding at a cycle's edge
    }
    *frameA = (int)f;
    *frameB = *frameA + 1;
    *t = f - (float)*frameA;
}

// ---------------------------------------------------------------- animation parser

namespace {

// Parser state: the record being filled, the loader's working data, how the load ends.
struct AnimParse {
    const char *path;
    size_t fileSize;
    md5_lineReader reader;
    md5_anim_t *anim;
    VlmParseOutcome result;
    std::vector<md5_jointInfo_t> jointInfos;
    std::vector<md5_baseFrameJoint_t> baseFrame;
    std::vector<float> values;   // the current frame's animated components
    int numComponents;
    int sawFrames, sawJoints, sawComponents, framesMade;
};

int fail(AnimParse *p, const std::string &message)
{
    return vlm_parseFail(&p->result, message);
}

// Stores a number read 64 bits wide into its int field, or fails naming the line.
int narrow(AnimParse *p, const char *what, int64_t value, int *field)
{
    return md5_narrow(&p->result, p->path, p->reader, what, value, field);
}

// Every integer is read 64 bits wide and narrowed with a check: "%d" of a number past the int
// range gives the range's end on i386 but the number's low 32 bits on x86_64.
#define IDX "%" SCNd64

// Scans a header line for the number of `keyword`; a line without one ends the load, and so
// does a number that does not fit an int.
int headerValue(AnimParse *p, const char *line, const char *keyword, const char *what, int *value)
{
    // The line starts with the keyword; the number after it is read as "%lld" reads it.
    size_t length = strlen(keyword);
    if (strncmp(line, keyword, length) == 0) {
        char *stop;
        int64_t wide = strtoll(line + length, &stop, 10);
        if (stop != line + length) return narrow(p, keyword, wide, value);
    }
    return fail(p, md5_format("[!] error loading %s, protocol mismatch (%s)\n", p->path, what));
}

int checkCount(AnimParse *p, const char *what, int value)
{
    if (md5_countFits(value, p->fileSize)) return 1;
    return fail(p, md5_format("[!] %s, %s %d out of range\n", p->path, what, value));
}

// numFrames and numJoints size the frame skeletons, which are made once per file.
int countFixed(AnimParse *p, const char *what)
{
    if (!p->framesMade) return 1;
    return fail(p, md5_format("[!] %s, %s given again after the frames were made\n", p->path, what));
}

int readHeaderLine(AnimParse *p, const char *s)
{
    md5_anim_t *a = p->anim;
    int v;
    if (strstr(s, "MD5Version 10") &&
        !headerValue(p, s, "MD5Version", "version", &a->version)) return 0;
    if (strstr(s, "numFrames")) {
        if (!headerValue(p, s, "numFrames", "frames", &v) || !countFixed(p, "numFrames")) return 0;
        if (v == 0) return fail(p, md5_format("[!] No frames in %s\n", p->path));
        if (!checkCount(p, "numFrames", v)) return 0;
        a->num_frames = v;
        a->bboxes.assign(v, md5_bbox_t());
        p->sawFrames = 1;
    }
    if (strstr(s, "numJoints")) {
        if (!headerValue(p, s, "numJoints", "joints", &v) || !countFixed(p, "numJoints") ||
            !checkCount(p, "numJoints", v)) return 0;
        a->num_joints = v;
        p->jointInfos.assign(v, md5_jointInfo_t());
        p->baseFrame.assign(v, md5_baseFrameJoint_t());
        p->sawJoints = 1;
    }
    if (strstr(s, "frameRate") && !headerValue(p, s, "frameRate", "framerate", &a->frameRate))
        return 0;
    if (strstr(s, "numAnimatedComponents")) {
        if (!headerValue(p, s, "numAnimatedComponents", "components", &v) ||
            !checkCount(p, "numAnimatedComponents", v)) return 0;
        p->numComponents = v;
        p->values.assign(v, 0.0f);
        p->sawComponents = 1;
    }
    return 1;
}

int makeFrames(AnimParse *p)
{
    md5_anim_t *a = p->anim;
    size_t count = (size_t)a->num_frames * (size_t)a->num_joints;
    if (count > MAX_FRAME_BYTES / sizeof(md5_joint_t))
        return fail(p, md5_format("[!] (%s) Unable to malloc :(\n", p->path));
    a->skelFrames.assign(count, md5_joint_t());
    p->framesMade = 1;
    return 1;
}

// The next line of a block; running out of text ends the load.
int blockLine(AnimParse *p, std::string *line)
{
    if (md5_nextLine(&p->reader, line)) return 1;
    return fail(p, md5_format("[!] %s, error when reading!\n", p->path));
}

int blockSized(AnimParse *p, int sized, const char *block, const char *count)
{
    if (sized) return 1;
    return fail(p, md5_format("[!] %s, %s block before %s\n", p->path, block, count));
}

int readHierarchy(AnimParse *p)
{
    if (!blockSized(p, p->sawJoints, "hierarchy", "numJoints")) return 0;
    std::string line;
    for (int i = 0; i < p->anim->num_joints; i++) {
        if (!blockLine(p, &line)) return 0;
        md5_jointInfo_t *info = &p->jointInfos[i];
        *info = md5_jointInfo_t();
        const char *rest = md5_copyToken(line.c_str(), info->name, sizeof info->name);
        int64_t wide[3] = {0, 0, 0};  // parent, flags, first component
        sscanf(rest, " " IDX " " IDX " " IDX, &wide[0], &wide[1], &wide[2]);
        if (!narrow(p, "joint parent", wide[0], &info->parent) ||
            !narrow(p, "joint flags", wide[1], &info->flags) ||
            !narrow(p, "joint first component", wide[2], &info->startIndex))
            return 0;
    }
    return 1;
}

int readBounds(AnimParse *p)
{
    if (!blockSized(p, p->sawFrames, "bounds", "numFrames")) return 0;
    std::string line;
    for (int i = 0; i < p->anim->num_frames; i++) {
        if (!blockLine(p, &line)) return 0;
        md5_bbox_t *b = &p->anim->bboxes[i];
        if (sscanf(line.c_str(), " ( %f %f %f ) ( %f %f %f )", &b->min[0], &b->min[1], &b->min[2],
                   &b->max[0], &b->max[1], &b->max[2]) != 6)
            return fail(p, md5_format("[!] %s, error reading bounding boxes!\n", p->path));
    }
    return 1;
}

int readBaseFrame(AnimParse *p)
{
    if (!blockSized(p, p->sawJoints, "baseframe", "numJoints")) return 0;
    std::string line;
    for (int i = 0; i < p->anim->num_joints; i++) {
        if (!blockLine(p, &line)) return 0;
        md5_baseFrameJoint_t *j = &p->baseFrame[i];
        if (sscanf(line.c_str(), " ( %f %f %f ) ( %f %f %f )", &j->pos[0], &j->pos[1], &j->pos[2],
                   &j->orient[0], &j->orient[1], &j->orient[2]) != 6)
            return fail(p, md5_format("[!] %s, error reading baseframe!\n", p->path));
        quat_computeW(j->orient);
    }
    return 1;
}

// Reads up to numComponents numbers separated by any white space, across lines; the text
// after the last number read is where line reading goes on. A value the text does not give
// keeps the previous frame's.
void readFrameValues(AnimParse *p)
{
    const char *at = p->reader.at, *end = p->reader.end;
    for (int k = 0; k < p->numComponents; k++) {
        while (at < end && (*at == ' ' || (*at >= '\t' && *at <= '\r'))) at++;
        // strtof needs a terminated string: copy one token at most 64 bytes long.
        char token[65];
        size_t n = 0;
        while (at + n < end && n < 64 && !(at[n] == ' ' || (at[n] >= '\t' && at[n] <= '\r')))
            n++;
        memcpy(token, at, n);
        token[n] = '\0';
        char *stop;
        float v = strtof(token, &stop);
        if (stop == token) break;
        p->values[k] = v;
        at += stop - token;
    }
    p->reader.at = at;
}

// Every joint's parent and animated components must lie inside their arrays.
int checkJointInfos(AnimParse *p)
{
    for (int i = 0; i < p->anim->num_joints; i++) {
        const md5_jointInfo_t &info = p->jointInfos[i];
        if (info.parent < -1 || info.parent >= p->anim->num_joints)
            return fail(p, md5_format("[!] %s, joint %d has parent %d of %d joints\n", p->path, i,
                                      info.parent, p->anim->num_joints));
        int used = 0;
        for (int bit = 0; bit < 6; bit++) used += (info.flags >> bit) & 1;
        if (used > 0 && (info.startIndex < 0 ||
                         (int64_t)info.startIndex + used > p->numComponents))
            return fail(p, md5_format("[!] %s, joint %d reads components %d+%d of %d\n", p->path,
                                      i, info.startIndex, used, p->numComponents));
    }
    return 1;
}

int readFrame(AnimParse *p, int index)
{
    if (!blockSized(p, p->framesMade, "frame", "numFrames and numJoints") ||
        !blockSized(p, p->sawComponents, "frame", "numAnimatedComponents"))
        return 0;
    if (index < 0 || index >= p->anim->num_frames)
        return fail(p, md5_format("[!] %s, frame %d outside numFrames %d\n", p->path, index,
                                  p->anim->num_frames));
    if (!checkJointInfos(p)) return 0;
    readFrameValues(p);
    int joints = p->anim->num_joints;
    // data(), not [ ]: an animation of no joints has frames but an empty skeleton array.
    anim_buildFrameSkeleton(p->jointInfos.data(), p->baseFrame.data(), p->values.data(),
                            p->anim->skelFrames.data() + (size_t)index * joints, joints);
    return 1;
}

// Applies one line; the tests are made in order and several may match.
int readAnimLine(AnimParse *p, const std::string &line)
{
    const char *s = line.c_str();
    if (!readHeaderLine(p, s)) return 0;
    if (p->sawFrames && p->sawJoints && !p->framesMade && !makeFrames(p)) return 0;
    if (strstr(s, "hierarchy {") && !readHierarchy(p)) return 0;
    if (strstr(s, "bounds {") && !readBounds(p)) return 0;
    if (strstr(s, "baseframe {") && !readBaseFrame(p)) return 0;
    int64_t wide;
    int index;
    if (strstr(s, "frame ") && sscanf(s, "frame " IDX, &wide) == 1 &&
        (!narrow(p, "frame", wide, &index) || !readFrame(p, index)))
        return 0;
    return 1;
}

#undef IDX

}  // namespace

VlmParseOutcome md5_parseAnimation(const char *path, const char *bytes, size_t size,
                                   md5_anim_t *anim)
{
    *anim = md5_anim_t();
    AnimParse p = {};
    p.path = path;
    p.fileSize = size;
    p.reader = md5_readerOver(bytes, size);
    p.anim = anim;
    std::string line;
    while (md5_nextLine(&p.reader, &line))
        if (!readAnimLine(&p, line)) return p.result;
    // The player needs at least one frame; a file that never says how many has none.
    if (!p.sawFrames) fail(&p, md5_format("[!] No frames in %s\n", path));
    return p.result;
}

// ---------------------------------------------------------------- file reader and table

int vlm_loadMD5Animation(const char *path)
{
    if (CURRENT_ANIMATION_ID >= MD5_MAX_ANIMATIONS) {
        printf("[!] %s, no room for another MD5 animation (all %d are loaded)\n", path,
               MD5_MAX_ANIMATIONS);
        exit(-1);
    }
    VlmFile file = vlm_io_readFile(path, VLM_FROM_DISK);
    if (file.status == VLM_FILE_MISSING) {
        printf("[!] couldn't open %s\n", path);
        exit(-1);
    }
    if (file.status == VLM_FILE_NO_MEMORY) {
        printf("[!] vlm_loadMD5Animation() unable to do a normal feckin malloc... :(\n");
        exit(-1);
    }
    if (file.status != VLM_FILE_READ) {
        printf("[!] %s, error when reading!\n", path);
        exit(-1);
    }
    md5_anim_t *anim = &ANIMATION[CURRENT_ANIMATION_ID];
    VlmParseOutcome r = md5_parseAnimation(path, file.bytes, file.size, anim);
    free(file.bytes);
    vlm_reportOutcome(r);
    return CURRENT_ANIMATION_ID++;
}

// ---------------------------------------------------------------- player

namespace {

const md5_anim_t *animationFor(int id)
{
    if (id < 0 || id >= CURRENT_ANIMATION_ID) {
        printf("[!] vlm_renderAnimatedMD5: no MD5 animation %d (%d loaded)\n", id,
               CURRENT_ANIMATION_ID);
        fflush(stdout);
        exit(-1);
    }
    return &ANIMATION[id];
}

// Writes the pose at `seconds` into the model's joints. An animation of another joint count
// poses only the joints both have; the rest keep their last pose.
void poseModel(md5_model_t *model, const md5_anim_t *anim, float seconds)
{
    int a, b;
    float t;
    anim_framesAt(anim, seconds, &a, &b, &t);
    int joints = model->num_joints < anim->num_joints ? model->num_joints : anim->num_joints;
    const md5_joint_t *frames = anim->skelFrames.data();
    anim_skel_interpolate(frames + (size_t)a * anim->num_joints,
                          frames + (size_t)b * anim->num_joints, joints, t,
                          model->baseSkel.data());
}

void bindMaps(unsigned colorMap, unsigned normalMap)
{
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, colorMap);
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, normalMap);
}

}  // namespace

void vlm_renderAnimatedMD5(int modelId, int animationId, float seconds)
{
    static unsigned colorMap, normalMap;
    static int loaded = 0;
    if (loaded++ == 0) {
        colorMap = vlm_loadPNG("data/textures/tex2.png");
        normalMap = vlm_loadPNG("data/textures/tex3.png");
    }
    md5_model_t *model = md5_modelFor(modelId, "vlm_renderAnimatedMD5");
    const md5_anim_t *anim = animationFor(animationId);
    if (!anim_validate(model, anim))
        printf("[/] Animation %d is not compatible with model %d\n", animationId, modelId);
    poseModel(model, anim, seconds);

    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);  // the format is z-up, the framework y-up
    glScalef(0.2f, 0.2f, 0.2f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    for (int k = 0; k < model->num_meshes; k++) {
        md5_mesh_t *mesh = &model->meshes[k];
        md5_prepare_mesh(model, k, model->baseSkel.data());
        mesh->colorTexture = colorMap;
        mesh->normalTexture = normalMap;
        bindMaps(colorMap, normalMap);
        glVertexPointer(3, GL_FLOAT, 0, model->vertexArray.data());
        glNormalPointer(GL_FLOAT, 0, model->normalArray.data());
        glTexCoordPointer(2, GL_FLOAT, 0, model->texCoordArray.data());
        glDrawElements(GL_TRIANGLES, 3 * mesh->num_tris, GL_UNSIGNED_INT,
                       model->vertexIndices.data());
    }
    // Unit 1 first, so that the caller gets unit 0 back as the active unit.
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopMatrix();
}
