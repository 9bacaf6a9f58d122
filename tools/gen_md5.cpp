// Writes the MD5 test data set under STAGE_DIR, byte for byte the same on every run:
//   data/md5/rig.md5mesh          a rig of 4 joints and two meshes: a 24-vertex box (the body,
//                                 its top vertices shared between two joints) and a 4-vertex
//                                 flag on the "arm" joint
//   data/md5/rig_walk.md5anim     40 frames at 24 fps: the root sways in x, the arm swings the
//                                 flag about y; frame 36 equals frame 0, frame 9 is the extreme
//   data/md5/rig_short.md5anim    5 frames at 10 fps: the root walks +2 in x per frame
//   data/textures/tex2.png        the colour map of the animated renderer (a checker)
//   data/textures/tex3.png        the normal map of the animated renderer (tangent-space bumps)
// Usage: gen_md5 STAGE_DIR
// Geometry (MD5 space, z up, triangles counter-clockwise seen from outside):
//   body box x -4..4, y -2..2, z 0..30; joints origin (0,0,0), spine (0,0,15), arm (8,0,25),
//   head (0,0,30); flag x 10..18, z 22..28 in the plane y = 0, facing -y.

#include <gd.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const double PI = 3.14159265358979323846;

struct Joint { const char *name; int parent; double pos[3]; };
// Bind pose in model space; every bind orientation is the identity.
const Joint JOINTS[4] = {
    {"\"origin\"", -1, {0, 0, 0}},
    {"\"spine\"", 0, {0, 0, 15}},
    {"\"arm\"", 1, {8, 0, 25}},
    {"\"head\"", 1, {0, 0, 30}},
};
enum { ORIGIN, SPINE, ARM, HEAD };

struct Vert { double p[3]; double s, t; };
struct Mesh {
    std::vector<Vert> verts;
    std::vector<int> tris;      // 3 per triangle
};

// Snaps values that print as "-0.000000" to zero so the files read cleanly.
double clean(double v) { return std::fabs(v) < 5e-7 ? 0.0 : v; }

void addQuad(Mesh *m, const double c[4][3])
{
    int base = (int)m->verts.size();
    const double st[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int i = 0; i < 4; i++)
        m->verts.push_back({{c[i][0], c[i][1], c[i][2]}, st[i][0], st[i][1]});
    const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int k : order) m->tris.push_back(base + k);
}

Mesh makeBody()
{
    const double x0 = -4, x1 = 4, y0 = -2, y1 = 2, z0 = 0, z1 = 30;
    const double faces[6][4][3] = {
        {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}},  // -y, towards the viewer
        {{x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}},  // +y
        {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}},  // +x
        {{x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}},  // -x
        {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}},  // +z
        {{x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}},  // -z
    };
    Mesh m;
    for (const auto &f : faces) addQuad(&m, f);
    return m;
}

Mesh makeFlag()
{
    const double c[4][3] = {{10, 0, 22}, {18, 0, 22}, {18, 0, 28}, {10, 0, 28}};
    Mesh m;
    addQuad(&m, c);
    return m;
}

FILE *openOut(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "gen_md5: cannot write %s\n", path.c_str());
        exit(1);
    }
    return f;
}

// One weight per vertex on `joint`, except the body's top vertices, which hang half on the
// spine and half on the head (both give the same bind position).
void writeMesh(FILE *f, const Mesh &m, const char *name, int joint)
{
    struct W { int joint; double bias, off[3]; };
    std::vector<W> weights;
    std::vector<int> first, count;
    for (const Vert &v : m.verts) {
        first.push_back((int)weights.size());
        std::vector<int> js;
        if (joint == ORIGIN && v.p[2] > 29) js = {SPINE, HEAD};
        else js.push_back(joint);
        for (int j : js) {
            const double *jp = JOINTS[j].pos;
            weights.push_back({j, 1.0 / js.size(), {v.p[0] - jp[0], v.p[1] - jp[1], v.p[2] - jp[2]}});
        }
        count.push_back((int)js.size());
    }
    fprintf(f, "mesh {\n\t// meshes: %s\n\tshader \"data/textures/tex2.png\"\n\n", name);
    fprintf(f, "\tnumverts %d\n", (int)m.verts.size());
    for (size_t i = 0; i < m.verts.size(); i++)
        fprintf(f, "\tvert %d ( %.6f %.6f ) %d %d\n", (int)i, m.verts[i].s, m.verts[i].t, first[i],
                count[i]);
    fprintf(f, "\n\tnumtris %d\n", (int)m.tris.size() / 3);
    for (size_t i = 0; i < m.tris.size() / 3; i++)
        fprintf(f, "\ttri %d %d %d %d\n", (int)i, m.tris[3 * i], m.tris[3 * i + 1],
                m.tris[3 * i + 2]);
    fprintf(f, "\n\tnumweights %d\n", (int)weights.size());
    for (size_t i = 0; i < weights.size(); i++)
        fprintf(f, "\tweight %d %d %.6f ( %.6f %.6f %.6f )\n", (int)i, weights[i].joint,
                weights[i].bias, weights[i].off[0], weights[i].off[1], weights[i].off[2]);
    fprintf(f, "}\n\n");
}

void writeModel(const std::string &dir)
{
    FILE *f = openOut(dir + "/rig.md5mesh");
    fprintf(f, "MD5Version 10\ncommandline \"gen_md5\"\n\nnumJoints 4\nnumMeshes 2\n\njoints {\n");
    for (const Joint &j : JOINTS)
        fprintf(f, "\t%s\t%d ( %.6f %.6f %.6f ) ( 0.000000 0.000000 0.000000 )\n", j.name,
                j.parent, j.pos[0], j.pos[1], j.pos[2]);
    fprintf(f, "}\n\n");
    writeMesh(f, makeBody(), "body", ORIGIN);
    writeMesh(f, makeFlag(), "flag", ARM);
    fclose(f);
}

// ---------------------------------------------------------------- animations

// One frame's pose: root offset in x and the arm's turn about y in degrees.
struct Pose { double rootX, armDeg; };

Pose walkPose(int frame)
{
    double s = sin(2 * PI * frame / 36.0);
    return {5.0 * s, 90.0 * s};
}

Pose shortPose(int frame) { return {2.0 * frame, 0.0}; }

// The bounding box of the rig in a pose, over every vertex of both meshes.
void poseBounds(const Pose &pose, double mn[3], double mx[3])
{
    for (int c = 0; c < 3; c++) {
        mn[c] = 1e30;
        mx[c] = -1e30;
    }
    auto grow = [&](const double p[3]) {
        for (int c = 0; c < 3; c++) {
            mn[c] = std::min(mn[c], p[c]);
            mx[c] = std::max(mx[c], p[c]);
        }
    };
    for (const Vert &v : makeBody().verts) {
        double p[3] = {v.p[0] + pose.rootX, v.p[1], v.p[2]};
        grow(p);
    }
    double a = pose.armDeg * PI / 180.0;
    const double *arm = JOINTS[ARM].pos;
    for (const Vert &v : makeFlag().verts) {
        double x = v.p[0] - arm[0], z = v.p[2] - arm[2];
        double p[3] = {arm[0] + pose.rootX + x * cos(a) + z * sin(a), v.p[1],
                       arm[2] - x * sin(a) + z * cos(a)};
        grow(p);
    }
}

// Writes an animation of the rig; the root's x is always animated, the arm's rotation when
// `armAnimated`. Joint positions in the base frame are relative to the parent.
void writeAnimation(const std::string &path, int frames, int rate, bool armAnimated,
                    Pose (*pose)(int))
{
    FILE *f = openOut(path);
    int components = armAnimated ? 4 : 1;
    fprintf(f, "MD5Version 10\ncommandline \"gen_md5\"\n\nnumFrames %d\nnumJoints 4\n"
               "frameRate %d\nnumAnimatedComponents %d\n\nhierarchy {\n",
            frames, rate, components);
    fprintf(f, "\t%s\t-1 1 0\n\t%s\t0 0 1\n\t%s\t1 %d 1\n\t%s\t1 0 %d\n}\n\nbounds {\n",
            JOINTS[ORIGIN].name, JOINTS[SPINE].name, JOINTS[ARM].name, armAnimated ? 56 : 0,
            JOINTS[HEAD].name, components);
    for (int k = 0; k < frames; k++) {
        double mn[3], mx[3];
        poseBounds(pose(k), mn, mx);
        fprintf(f, "\t( %.6f %.6f %.6f ) ( %.6f %.6f %.6f )\n", clean(mn[0]), clean(mn[1]),
                clean(mn[2]), clean(mx[0]), clean(mx[1]), clean(mx[2]));
    }
    fprintf(f, "}\n\nbaseframe {\n");
    for (const Joint &j : JOINTS) {
        double rel[3] = {j.pos[0], j.pos[1], j.pos[2]};
        if (j.parent >= 0)
            for (int c = 0; c < 3; c++) rel[c] -= JOINTS[j.parent].pos[c];
        fprintf(f, "\t( %.6f %.6f %.6f ) ( 0.000000 0.000000 0.000000 )\n", rel[0], rel[1],
                rel[2]);
    }
    fprintf(f, "}\n\n");
    for (int k = 0; k < frames; k++) {
        Pose p = pose(k);
        fprintf(f, "frame %d {\n\t%.6f", k, clean(p.rootX));
        // The format keeps w negative, so a turn by +a is stored as -(axis * sin(a / 2)).
        if (armAnimated)
            fprintf(f, " 0.000000 %.6f 0.000000", clean(-sin(p.armDeg * PI / 360.0)));
        fprintf(f, "\n}\n\n");
    }
    fclose(f);
}

// ---------------------------------------------------------------- textures

void writePNG(const std::string &path, int size, int (*texel)(int x, int y))
{
    gdImagePtr im = gdImageCreateTrueColor(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) gdImageSetPixel(im, x, y, texel(x, y));
    FILE *f = openOut(path);
    gdImagePngEx(im, f, 9);
    fclose(f);
    gdImageDestroy(im);
}

// 8-texel squares of warm orange and light teal.
int checkerTexel(int x, int y)
{
    return ((x / 8 + y / 8) % 2) ? gdTrueColor(255, 170, 60) : gdTrueColor(70, 210, 200);
}

// Tangent-space normals of round bumps on a 16-texel grid, mostly facing +z (blue).
int bumpTexel(int x, int y)
{
    double u = (x % 16 - 7.5) / 8.0, v = (y % 16 - 7.5) / 8.0;
    double r2 = u * u + v * v;
    double nx = 0, ny = 0, nz = 1;
    if (r2 < 1) {
        nx = 0.5 * u;
        ny = 0.5 * v;
        nz = sqrt(1 - nx * nx - ny * ny);
    }
    auto byte = [](double c) { return (int)lround(127.5 + 127.5 * c); };
    return gdTrueColor(byte(nx), byte(ny), byte(nz));
}

void makeDir(const std::string &path) { mkdir(path.c_str(), 0755); }

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: gen_md5 STAGE_DIR\n");
        return 1;
    }
    std::string stage = argv[1];
    makeDir(stage + "/data");
    makeDir(stage + "/data/md5");
    makeDir(stage + "/data/textures");
    writeModel(stage + "/data/md5");
    writeAnimation(stage + "/data/md5/rig_walk.md5anim", 40, 24, true, walkPose);
    writeAnimation(stage + "/data/md5/rig_short.md5anim", 5, 10, false, shortPose);
    writePNG(stage + "/data/textures/tex2.png", 64, checkerTexel);
    writePNG(stage + "/data/textures/tex3.png", 64, bumpTexel);
    return 0;
}
