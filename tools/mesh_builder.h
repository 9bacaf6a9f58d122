// Mesh builder for the asset generators: triangle meshes made from lathes, grids and boxes,
// placed with affine transforms and written as OBJ + MTL in the subset our model loader reads.
// Owns nothing global; a Mesh is a plain value. Header-only because every tools/*.cpp is a program.
//
// The loader classifies lines by plain substring tests, so the writer keeps to these rules:
// '#' only in the OBJ header comment; material names and paths never contain "vt", "vn", "v ",
// "f ", "#" or "off"; every material lists all its keys (the loader carries a missing key over
// from the previous material); no MTL comments (an MTL line is never skipped); no material name
// is part of any other line of its MTL file; faces are triangles with absolute 1-based indices.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace mb {

// ---------------------------------------------------------------------------------------------
// Vectors and affine transforms (double precision; only printed values reach the files)

struct V3 {
    double x = 0, y = 0, z = 0;
};
inline V3 v3(double x, double y, double z) { return V3{x, y, z}; }
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double length(V3 a) { return std::sqrt(dot(a, a)); }
// Unit vector along a; the zero vector stays zero.
inline V3 normalize(V3 a)
{
    double l = length(a);
    return l > 1e-12 ? a * (1.0 / l) : V3{};
}

constexpr double kPi = 3.14159265358979323846;
inline double rad(double deg) { return deg * kPi / 180.0; }

// x' = m * x + t, row-major 3x3 linear part.
struct Xf {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    V3 t;
};

inline V3 apply(const Xf &f, V3 p)
{
    return {f.m[0][0] * p.x + f.m[0][1] * p.y + f.m[0][2] * p.z + f.t.x,
            f.m[1][0] * p.x + f.m[1][1] * p.y + f.m[1][2] * p.z + f.t.y,
            f.m[2][0] * p.x + f.m[2][1] * p.y + f.m[2][2] * p.z + f.t.z};
}

inline double det(const Xf &f)
{
    const auto &m = f.m;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Normals go through the cofactor matrix (inverse transpose times det), then are renormalized;
// the sign of det is folded in so that mirrored parts keep outward normals.
inline V3 applyNormal(const Xf &f, V3 n)
{
    const auto &m = f.m;
    double c[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            c[i][j] = m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1];
        }
    V3 r{c[0][0] * n.x + c[0][1] * n.y + c[0][2] * n.z, c[1][0] * n.x + c[1][1] * n.y + c[1][2] * n.z,
         c[2][0] * n.x + c[2][1] * n.y + c[2][2] * n.z};
    return normalize(det(f) < 0 ? r * -1.0 : r);
}

// a then b: apply(compose(a, b), p) == apply(a, apply(b, p)), like GL's matrix stack order.
inline Xf compose(const Xf &a, const Xf &b)
{
    Xf r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            r.m[i][j] = 0;
            for (int k = 0; k < 3; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
        }
    r.t = apply(a, b.t);
    return r;
}
inline Xf operator*(const Xf &a, const Xf &b) { return compose(a, b); }

inline Xf translate(double x, double y, double z)
{
    Xf f;
    f.t = {x, y, z};
    return f;
}
inline Xf scale(double x, double y, double z)
{
    Xf f;
    f.m[0][0] = x, f.m[1][1] = y, f.m[2][2] = z;
    return f;
}
// Rotation by angleDeg about a unit axis (right-handed, as glRotatef).
inline Xf rotate(double angleDeg, V3 axis)
{
    V3 a = normalize(axis);
    double c = std::cos(rad(angleDeg)), s = std::sin(rad(angleDeg)), k = 1 - c;
    Xf f;
    f.m[0][0] = a.x * a.x * k + c, f.m[0][1] = a.x * a.y * k - a.z * s, f.m[0][2] = a.x * a.z * k + a.y * s;
    f.m[1][0] = a.y * a.x * k + a.z * s, f.m[1][1] = a.y * a.y * k + c, f.m[1][2] = a.y * a.z * k - a.x * s;
    f.m[2][0] = a.z * a.x * k - a.y * s, f.m[2][1] = a.z * a.y * k + a.x * s, f.m[2][2] = a.z * a.z * k + c;
    return f;
}
// Turns the +y axis onto the unit direction dir (for parts built along y).
inline Xf alignY(V3 dir)
{
    V3 y = normalize(dir);
    V3 helper = std::fabs(y.y) < 0.9 ? v3(0, 1, 0) : v3(1, 0, 0);
    V3 x = normalize(cross(helper, y));
    V3 z = cross(x, y);
    Xf f;
    f.m[0][0] = x.x, f.m[1][0] = x.y, f.m[2][0] = x.z;
    f.m[0][1] = y.x, f.m[1][1] = y.y, f.m[2][1] = y.z;
    f.m[0][2] = z.x, f.m[1][2] = z.y, f.m[2][2] = z.z;
    return f;
}

// ---------------------------------------------------------------------------------------------
// Shapes: vertices with normals (and texture coordinates), triangles by vertex index

struct Vertex {
    V3 p, n;
    double u = 0, v = 0;  // texture coordinates; v = 0 is the top row of the image
};

struct Shape {
    std::vector<Vertex> verts;
    std::vector<int> tris;  // three vertex indices per triangle
};

// Adds one triangle; skips degenerate ones and orders the corners counter-clockwise as seen
// from the side the vertex normals point to.
inline void addTriangle(Shape &s, int a, int b, int c)
{
    V3 pa = s.verts[a].p, pb = s.verts[b].p, pc = s.verts[c].p;
    V3 g = cross(pb - pa, pc - pa);
    if (length(g) < 1e-10) return;
    V3 n = s.verts[a].n + s.verts[b].n + s.verts[c].n;
    if (dot(g, n) < 0) std::swap(b, c);
    s.tris.insert(s.tris.end(), {a, b, c});
}

inline void addQuad(Shape &s, int a, int b, int c, int d)
{
    addTriangle(s, a, b, c);
    addTriangle(s, a, c, d);
}

// A profile point of a lathe: radius from the y axis and height.
struct RY {
    double r, y;
};

// Surface of revolution of `profile` about the y axis, from angle0Deg to angle1Deg (a full
// turn closes the seam). Profile corners sharper than 35 degrees get split normals so that
// flanges and rims look hard while curves stay smooth. The profile runs so that its outside
// is on its right-hand side when walking up (+y) at positive radius.
inline Shape lathe(const std::vector<RY> &profile, int segments, bool closedProfile = false,
                   double angle0Deg = 0, double angle1Deg = 360)
{
    Shape s;
    int np = (int)profile.size();
    int ne = closedProfile ? np : np - 1;
    auto edgeNormal = [&](int e) {
        RY a = profile[e % np], b = profile[(e + 1) % np];
        double dr = b.r - a.r, dy = b.y - a.y, l = std::hypot(dr, dy);
        return RY{dy / l, -dr / l};
    };
    auto cornerNormal = [&](int e, bool atStart) {
        RY own = edgeNormal(e);
        int other = atStart ? e - 1 : e + 1;
        if (closedProfile) other = (other + ne) % ne;
        else if (other < 0 || other >= ne) return own;
        RY o = edgeNormal(other);
        if (own.r * o.r + own.y * o.y < std::cos(rad(35))) return own;
        double r = own.r + o.r, y = own.y + o.y, l = std::hypot(r, y);
        return RY{r / l, y / l};
    };
    bool fullTurn = std::fabs(angle1Deg - angle0Deg) >= 360 - 1e-9;
    int columns = fullTurn ? segments : segments + 1;
    for (int e = 0; e < ne; ++e) {
        RY a = profile[e], b = profile[(e + 1) % np];
        RY na = cornerNormal(e, true), nb = cornerNormal(e, false);
        int base = (int)s.verts.size();
        for (int i = 0; i < columns; ++i) {
            double th = rad(angle0Deg + (angle1Deg - angle0Deg) * i / segments);
            double c = std::cos(th), sn = std::sin(th);
            double u = (double)i / segments;
            s.verts.push_back({v3(a.r * c, a.y, a.r * sn), normalize(v3(na.r * c, na.y, na.r * sn)), u, 0});
            s.verts.push_back({v3(b.r * c, b.y, b.r * sn), normalize(v3(nb.r * c, nb.y, nb.r * sn)), u, 1});
        }
        for (int i = 0; i < segments; ++i) {
            int i0 = base + 2 * i, i1 = base + 2 * ((i + 1) % columns);
            addQuad(s, i0, i0 + 1, i1 + 1, i1);
        }
    }
    return s;
}

// Torus about the y axis: ring radius `major`, tube radius `minor`.
inline Shape torus(double major, double minor, int segments, int tubeSegments)
{
    std::vector<RY> circle;
    for (int j = 0; j < tubeSegments; ++j) {
        double a = 2 * kPi * j / tubeSegments;
        circle.push_back({major + minor * std::cos(a), minor * std::sin(a)});
    }
    return lathe(circle, segments, true);
}

// Closed cylinder along y from y0 to y1.
inline Shape cylinder(double radius, double y0, double y1, int segments, bool caps = true)
{
    if (!caps) return lathe({{radius, y0}, {radius, y1}}, segments);
    return lathe({{0, y0}, {radius, y0}, {radius, y1}, {0, y1}}, segments);
}

// Open cone along y: base circle at y = 0, tip at y = height.
inline Shape cone(double radius, double height, int segments)
{
    return lathe({{radius, 0}, {0, height}}, segments);
}

// Grid surface: point(i, j) for i = 0..nu (wrapping around when wrapU), j = 0..nv. Vertex
// normals are area-weighted averages of the faces around each distinct position, so seams and
// points where a whole row meets (the ends of a loft) shade smoothly. `inside` is any point
// inside the surface, used to point normals outward.
template <class PointFn>
Shape grid(int nu, int nv, bool wrapU, PointFn point, V3 inside)
{
    Shape s;
    int cols = wrapU ? nu : nu + 1;
    std::vector<V3> pos;
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i < cols; ++i) pos.push_back(point(i, j));
    auto key = [](V3 p) {
        char b[96];
        std::snprintf(b, sizeof b, "%.5f %.5f %.5f", p.x, p.y, p.z);
        return std::string(b);
    };
    std::map<std::string, V3> sum;
    auto idx = [&](int i, int j) { return j * cols + (i % cols); };
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            V3 a = pos[idx(i, j)], b = pos[idx(i + 1, j)], c = pos[idx(i + 1, j + 1)], d = pos[idx(i, j + 1)];
            V3 n = cross(c - a, d - b);
            V3 centre = (a + b + c + d) * 0.25;
            if (dot(n, centre - inside) < 0) n = n * -1.0;
            for (V3 p : {a, b, c, d}) sum[key(p)] = sum[key(p)] + n;
        }
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i < cols; ++i) {
            V3 p = pos[idx(i, j)];
            s.verts.push_back({p, normalize(sum[key(p)]), (double)i / nu, (double)j / nv});
        }
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) addQuad(s, idx(i, j), idx(i + 1, j), idx(i + 1, j + 1), idx(i, j + 1));
    return s;
}

// Axis-aligned box centred at the origin with flat faces; each face split into n x n cells and
// mapped to the whole texture (v = 0 at the face's top edge; top and bottom faces have -z up).
inline Shape box(double sx, double sy, double sz, int n = 1)
{
    Shape s;
    struct Face {
        V3 normal, right, up;
    };
    const Face faces[6] = {
        {v3(0, 0, 1), v3(1, 0, 0), v3(0, 1, 0)},  {v3(0, 0, -1), v3(-1, 0, 0), v3(0, 1, 0)},
        {v3(1, 0, 0), v3(0, 0, -1), v3(0, 1, 0)}, {v3(-1, 0, 0), v3(0, 0, 1), v3(0, 1, 0)},
        {v3(0, 1, 0), v3(1, 0, 0), v3(0, 0, -1)}, {v3(0, -1, 0), v3(1, 0, 0), v3(0, 0, 1)},
    };
    V3 half = v3(sx / 2, sy / 2, sz / 2);
    auto mul = [](V3 a, V3 b) { return v3(a.x * b.x, a.y * b.y, a.z * b.z); };
    for (const Face &f : faces) {
        int base = (int)s.verts.size();
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i) {
                double a = 2.0 * i / n - 1, b = 1 - 2.0 * j / n;
                V3 p = mul(f.normal + f.right * a + f.up * b, half);
                s.verts.push_back({p, f.normal, (double)i / n, (double)j / n});
            }
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                int a = base + j * (n + 1) + i;
                addQuad(s, a, a + 1, a + n + 2, a + n + 1);
            }
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Materials and meshes

struct Material {
    std::string name;     // unique, never part of another line of its MTL file
    V3 ambient, diffuse, specular;
    double shininess = 32;  // GL_SHININESS, 0..128
    std::string colourMap;  // "data/textures/x.png" or empty
};

struct Mesh {
    std::string name;  // file stem: data/models/<name>.obj and .mtl
    bool textured = false;
    std::vector<Material> materials;
    std::vector<Vertex> verts;
    std::vector<int> tris;
    std::vector<int> triMaterial;  // material index per triangle
};

inline int materialIndex(const Mesh &m, const std::string &name)
{
    for (size_t i = 0; i < m.materials.size(); ++i)
        if (m.materials[i].name == name) return (int)i;
    std::fprintf(stderr, "[!] %s: unknown material %s\n", m.name.c_str(), name.c_str());
    std::exit(1);
}

// Places `shape` into `mesh` with transform `f` and material `material`.
inline void add(Mesh &mesh, const Shape &shape, const Xf &f, const std::string &material)
{
    int mat = materialIndex(mesh, material);
    int base = (int)mesh.verts.size();
    for (Vertex v : shape.verts) {
        v.p = apply(f, v.p);
        v.n = applyNormal(f, v.n);
        mesh.verts.push_back(v);
    }
    bool mirrored = det(f) < 0;
    for (size_t i = 0; i < shape.tris.size(); i += 3) {
        int a = shape.tris[i], b = shape.tris[i + 1], c = shape.tris[i + 2];
        if (mirrored) std::swap(b, c);
        mesh.tris.insert(mesh.tris.end(), {base + a, base + b, base + c});
        mesh.triMaterial.push_back(mat);
    }
}

inline int triangleCount(const Mesh &m) { return (int)m.tris.size() / 3; }

// ---------------------------------------------------------------------------------------------
// Writing

// Fixed precision so the bytes are the same on every run; "-0.0000" is written as "0.0000".
inline std::string fmt(double v, int decimals = 4)
{
    char b[64];
    std::snprintf(b, sizeof b, "%.*f", decimals, v);
    std::string s(b);
    if (s.find_first_not_of("-0.") == std::string::npos) s = s.substr(s[0] == '-' ? 1 : 0);
    return s;
}

// Index of `text` in `list`, appending it on first sight; 1-based as the OBJ format counts.
inline int intern(std::map<std::string, int> &seen, std::vector<std::string> &list, const std::string &text)
{
    auto it = seen.find(text);
    if (it != seen.end()) return it->second;
    list.push_back(text);
    return seen[text] = (int)list.size();
}

// The OBJ text: header comment, mtllib, de-duplicated v/vt/vn lists, then faces grouped by
// material in the order the materials were declared.
inline std::string objText(const Mesh &m)
{
    std::map<std::string, int> seenV, seenT, seenN;
    std::vector<std::string> vs, ts, ns;
    std::vector<std::string> corner(m.verts.size());
    for (size_t i = 0; i < m.verts.size(); ++i) {
        const Vertex &v = m.verts[i];
        int pi = intern(seenV, vs, fmt(v.p.x) + " " + fmt(v.p.y) + " " + fmt(v.p.z));
        int ni = intern(seenN, ns, fmt(v.n.x) + " " + fmt(v.n.y) + " " + fmt(v.n.z));
        if (m.textured) {
            int ti = intern(seenT, ts, fmt(v.u) + " " + fmt(v.v));
            corner[i] = std::to_string(pi) + "/" + std::to_string(ti) + "/" + std::to_string(ni);
        } else {
            corner[i] = std::to_string(pi) + "//" + std::to_string(ni);
        }
    }
    std::string out = "# " + m.name + ": " + std::to_string(triangleCount(m)) + " triangles, made by gen_models\n";
    out += "mtllib data/models/" + m.name + ".mtl\n";
    for (auto &s : vs) out += "v " + s + "\n";
    for (auto &s : ts) out += "vt " + s + "\n";
    for (auto &s : ns) out += "vn " + s + "\n";
    for (size_t mat = 0; mat < m.materials.size(); ++mat) {
        std::string faces;
        for (size_t t = 0; t < m.triMaterial.size(); ++t)
            if (m.triMaterial[t] == (int)mat)
                faces += "f " + corner[m.tris[3 * t]] + " " + corner[m.tris[3 * t + 1]] + " " +
                         corner[m.tris[3 * t + 2]] + "\n";
        if (!faces.empty()) out += "usemtl " + m.materials[mat].name + "\n" + faces;
    }
    return out;
}

// The MTL text: every key for every material, so no value leaks from one block into the next.
inline std::string mtlText(const Mesh &m)
{
    std::string out;
    auto colour = [](const char *key, V3 c) {
        return std::string(key) + " " + fmt(c.x, 3) + " " + fmt(c.y, 3) + " " + fmt(c.z, 3) + "\n";
    };
    for (const Material &mat : m.materials) {
        out += "newmtl " + mat.name + "\n";
        out += "Ns " + fmt(mat.shininess, 3) + "\n";
        out += colour("Ka", mat.ambient);
        out += colour("Kd", mat.diffuse);
        out += colour("Ks", mat.specular);
        out += "Ni 1.000\n";
        out += "d 1.000\n";
        out += "illum 2\n";
        if (!mat.colourMap.empty()) out += "map_Kd " + mat.colourMap + "\n";
        out += "\n";
    }
    return out;
}

}  // namespace mb
