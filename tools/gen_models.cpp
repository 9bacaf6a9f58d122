// gen_models STAGE_DIR: writes the demo's models (data/models/*.obj + .mtl) and textures
// (data/textures/*.png) into the stage, every shape built from the parameters below.
// Output is byte-for-byte the same on every run: fixed-precision numbers, a fixed-seed
// generator for the spike layout, and libgd PNGs (which carry no time stamps).
//
// Index: Random | Materials | Models (spike pillar, film camera, reel, smiling cube, car body,
// wheels, reactor, pipe, ring) | Textures | main

#include "mesh_builder.h"

#include <gd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

using namespace mb;

namespace {

// ---------------------------------------------------------------------------------------------
// Random: 32-bit LCG, so the spike layout never depends on the C library.

struct Lcg {
    uint32_t state;
    // Uniform in [lo, hi).
    double next(double lo, double hi)
    {
        state = state * 1664525u + 1013904223u;
        return lo + (hi - lo) * ((state >> 8) / 16777216.0);
    }
};

// ---------------------------------------------------------------------------------------------
// Materials: colours 0..1, shininess 0..128 (the range GL_SHININESS accepts).

Material material(const char *name, V3 ambient, V3 diffuse, V3 specular, double shininess,
                  const char *colourMap = "")
{
    return Material{name, ambient, diffuse, specular, shininess, colourMap};
}

V3 grey(double g) { return v3(g, g, g); }

// ---------------------------------------------------------------------------------------------
// Models. Units are scene units; +y is up, the car faces -z.

// A pillar 12 units tall on the origin, its spikes laid out on a golden-angle spiral.
Mesh spikePillar()
{
    Mesh m;
    m.name = "spikepelare";
    m.materials = {material("pillar_steel", v3(0.10, 0.13, 0.15), v3(0.55, 0.62, 0.66), grey(0.8), 64),
                   material("spike_chrome", v3(0.05, 0.20, 0.22), v3(0.30, 0.78, 0.82), grey(1.0), 110)};
    add(m,
        lathe({{0, 0}, {1.1, 0}, {1.1, 0.35}, {0.75, 0.55}, {0.5, 0.8}, {0.5, 10.6}, {0.7, 10.8},
               {0.7, 11.0}, {0, 12.0}},
              8),
        Xf{}, "pillar_steel");
    Lcg rng{20100217u};
    const int spikes = 34;
    for (int i = 0; i < spikes; ++i) {
        double f = (double)i / (spikes - 1);
        double y = 1.3 + 9.0 * f;
        double azimuthDeg = i * 137.508 + rng.next(-12, 12);
        double elevationDeg = rng.next(-25, 35);
        double len = 1.3 + 1.3 * std::sin(kPi * f) + rng.next(0, 0.5);
        double baseRadius = rng.next(0.15, 0.22);
        double az = rad(azimuthDeg), el = rad(elevationDeg);
        V3 dir = v3(std::cos(el) * std::cos(az), std::sin(el), std::cos(el) * std::sin(az));
        V3 root = v3(0.4 * std::cos(az), y, 0.4 * std::sin(az));
        add(m, cone(baseRadius, len, 6), translate(root.x, root.y, root.z) * alignY(dir), "spike_chrome");
    }
    return m;
}

// A film camera: body, lens, viewfinder, magazine mount and crank; the front faces -z.
Mesh filmCamera()
{
    Mesh m;
    m.name = "camera_body";
    m.materials = {material("camera_black", grey(0.06), grey(0.22), grey(0.5), 40),
                   material("camera_chrome", grey(0.15), grey(0.70), grey(1.0), 110),
                   material("lens_glass", v3(0.02, 0.08, 0.10), v3(0.10, 0.25, 0.30), grey(1.0), 128)};
    add(m, box(1.4, 1.8, 3.0, 1), Xf{}, "camera_black");
    Xf toFront = translate(0, 0, -1.5) * rotate(-90, v3(1, 0, 0));  // +y becomes -z
    add(m, lathe({{0.55, 0}, {0.55, 0.5}, {0.7, 0.6}, {0.7, 1.3}, {0.5, 1.35}}, 16), toFront, "camera_chrome");
    add(m, lathe({{0.5, 1.35}, {0, 1.25}}, 16), toFront, "lens_glass");
    Xf toBack = translate(0.45, 0.6, 1.5) * rotate(90, v3(1, 0, 0));  // +y becomes +z
    add(m, lathe({{0.18, 0}, {0.18, 0.45}, {0.26, 0.5}, {0.26, 0.7}, {0, 0.7}}, 10), toBack, "camera_chrome");
    add(m, box(0.5, 0.35, 1.6, 1), translate(0, 1.07, 0), "camera_black");
    Xf toSide = translate(0.7, -0.3, 0.4) * rotate(-90, v3(0, 0, 1));  // +y becomes +x
    add(m, cylinder(0.12, 0, 0.35, 8), toSide, "camera_chrome");
    add(m, box(0.1, 0.7, 0.1, 1), translate(1.05, -0.6, 0.4), "camera_chrome");
    return m;
}

// A spoked film reel about the x axis, 2.6 across, centred on the origin.
Mesh filmReel()
{
    Mesh m;
    m.name = "camera_prop";
    m.materials = {material("reel_alu", grey(0.15), grey(0.65), grey(0.9), 90),
                   material("film_stock", v3(0.03, 0.02, 0.02), v3(0.18, 0.12, 0.10), grey(0.3), 20)};
    Xf alongX = rotate(-90, v3(0, 0, 1));  // +y becomes +x
    for (double side : {-0.32, 0.32}) {
        Xf at = translate(side, 0, 0) * alongX;
        add(m, lathe({{1.1, -0.04}, {1.3, -0.04}, {1.3, 0.04}, {1.1, 0.04}}, 24, true), at, "reel_alu");
        for (int k = 0; k < 3; ++k)
            add(m, box(0.8, 0.08, 0.22, 1), at * rotate(120.0 * k, v3(0, 1, 0)) * translate(0.7, 0, 0), "reel_alu");
    }
    add(m, cylinder(0.3, -0.45, 0.45, 12), alongX, "reel_alu");
    add(m, cylinder(0.85, -0.28, 0.28, 24), alongX, "film_stock");
    return m;
}

// A 1.5-unit cube, each face split 4 x 4 so that lighting varies across it, the smile on every face.
Mesh smileCube()
{
    Mesh m;
    m.name = "smilecube";
    m.textured = true;
    m.materials = {material("smile_face", grey(0.35), grey(0.95), grey(0.6), 48, "data/textures/smilecube.png")};
    add(m, box(1.5, 1.5, 1.5, 4), Xf{}, "smile_face");
    return m;
}

// Value at x of a smooth curve through the (x, y) keys (Catmull-Rom; held beyond the ends).
double curve(const std::vector<std::pair<double, double>> &keys, double x)
{
    size_t n = keys.size();
    if (x <= keys.front().first) return keys.front().second;
    if (x >= keys.back().first) return keys.back().second;
    size_t i = 0;
    while (keys[i + 1].first < x) ++i;
    double p0 = keys[i ? i - 1 : 0].second, p1 = keys[i].second, p2 = keys[i + 1].second;
    double p3 = keys[i + 2 < n ? i + 2 : n - 1].second;
    double t = (x - keys[i].first) / (keys[i + 1].first - keys[i].first);
    return 0.5 * (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t +
                  (-p0 + 3 * p1 - 3 * p2 + p3) * t * t * t);
}

// Signed power keeping the sign of the base: shapes the superellipse cross-sections.
double spow(double v, double e) { return v < 0 ? -std::pow(-v, e) : std::pow(v, e); }

// The car body: a lofted shell of rounded cross-sections from the front bumper (z = -11.7) to
// the tail (z = 2.3), four fender arches over the axles at z = 0 and z = -9, bumpers,
// headlights and running boards. Wheels (radius 2) sit at y = 0, so the ground is y = -2.
Mesh bugBody()
{
    Mesh m;
    m.name = "bug_body";
    m.materials = {material("bug_paint", v3(0.02, 0.12, 0.14), v3(0.10, 0.62, 0.66), grey(0.9), 96),
                   material("bug_trim", grey(0.12), grey(0.75), grey(1.0), 120),
                   material("bug_rubber", grey(0.03), grey(0.10), grey(0.2), 10)};
    const double zFront = -11.7, zRear = 2.3;
    // Roof line and half width along the car, u = 0 at the front bumper, 1 at the tail.
    const std::vector<std::pair<double, double>> roof = {
        {0.0, 1.0}, {0.08, 1.6}, {0.2, 2.0}, {0.3, 2.3}, {0.42, 3.8}, {0.52, 4.2},
        {0.64, 4.0}, {0.8, 3.0}, {0.93, 1.9}, {1.0, 1.2}};
    const std::vector<std::pair<double, double>> halfWidth = {
        {0.0, 2.2}, {0.1, 2.45}, {0.3, 2.6}, {0.6, 2.7}, {0.9, 2.55}, {1.0, 2.3}};
    const double floorY = -0.8;
    const int along = 24, around = 16;
    auto point = [&](int i, int j) {
        double u = (double)j / along;
        // Both ends close: the top comes down to the floor and the sides draw in, so the
        // hood and the tail slope down to the bumpers.
        double edge = 1 - std::pow(std::fabs(2 * u - 1), 10);
        double endH = std::sqrt(edge), endW = std::pow(edge, 0.3);
        double top = floorY + (curve(roof, u) - floorY) * endH;
        double yc = 0.5 * (top + floorY), h = 0.5 * (top - floorY);
        double phi = 2 * kPi * i / around;
        double cy = spow(std::sin(phi), 2.0 / 3.0), cx = spow(std::cos(phi), 2.0 / 3.0);
        double taper = cy > 0 ? 1 - 0.3 * cy * cy * std::min(1.0, (top - 1.5) / 2.0 + 0.2) : 1;
        double w = curve(halfWidth, u) * endW * taper;
        return v3(w * cx, yc + h * cy, zFront + (zRear - zFront) * u);
    };
    add(m, grid(around, along, true, point, v3(0, 1.0, -4.7)), Xf{}, "bug_paint");
    // Fender arches: shells about the axle line, from 20 degrees below the front horizontal over
    // the top to 20 degrees below the back (lathe angle 180 is straight up after the turn).
    std::vector<RY> fender = {{2.25, 2.0}, {2.55, 2.05}, {2.75, 2.35}, {2.8, 2.75}, {2.6, 3.1}, {2.2, 3.2}};
    for (double axleZ : {0.0, -9.0})
        for (double side : {1.0, -1.0}) {
            Xf f = translate(0, 0, axleZ) * scale(side, 1, 1) * rotate(-90, v3(0, 0, 1));  // +y becomes +x
            add(m, lathe(fender, 12, false, 70, 290), f, "bug_paint");
        }
    for (double z : {zFront - 0.15, zRear + 0.15}) {
        Xf across = translate(0, -0.35, z) * rotate(-90, v3(0, 0, 1));
        add(m, cylinder(0.16, -2.9, 2.9, 8), across, "bug_trim");
    }
    for (double side : {1.0, -1.0}) {
        Xf light = translate(side * 2.35, 2.3, -10.6) * rotate(-90, v3(1, 0, 0));  // +y becomes -z
        add(m, lathe({{0, -0.2}, {0.38, -0.2}, {0.42, 0.1}, {0.3, 0.3}, {0, 0.38}}, 10), light, "bug_trim");
        add(m, box(0.5, 0.12, 5.6, 1), translate(side * 2.75, -0.75, -4.5), "bug_rubber");
    }
    return m;
}

// Two wheels of radius 2 at x = +-3.5 on one axle along the x axis; hub caps with five
// bolts so that the spin reads even in wireframe.
Mesh bugWheels()
{
    Mesh m;
    m.name = "bug_wheel";
    m.materials = {material("tyre_rubber", grey(0.02), grey(0.10), grey(0.25), 12),
                   material("rim_chrome", grey(0.2), grey(0.80), grey(1.0), 110),
                   material("axle_steel", grey(0.08), grey(0.40), grey(0.6), 60)};
    std::vector<RY> tyre = {{1.35, -0.45}, {1.85, -0.45}, {2.0, -0.3}, {2.0, 0.3}, {1.85, 0.45}, {1.35, 0.45}};
    std::vector<RY> rim = {{1.36, -0.3}, {1.36, 0.3}, {1.0, 0.32}, {0.6, 0.45}, {0, 0.52}};
    for (double side : {1.0, -1.0}) {
        Xf wheel = translate(side * 3.5, 0, 0) * scale(side, 1, 1) * rotate(-90, v3(0, 0, 1));  // +y outward
        add(m, lathe(tyre, 16, true), wheel, "tyre_rubber");
        add(m, lathe(rim, 16), wheel, "rim_chrome");
        add(m, lathe({{0, -0.3}, {1.36, -0.3}}, 16), wheel, "rim_chrome");
        for (int k = 0; k < 5; ++k) {
            double a = rad(72.0 * k);
            add(m, cylinder(0.1, 0.35, 0.62, 6), wheel * translate(0.8 * std::cos(a), 0, 0.8 * std::sin(a)), "axle_steel");
        }
    }
    add(m, cylinder(0.2, -3.2, 3.2, 8), rotate(-90, v3(0, 0, 1)), "axle_steel");
    add(m, box(0.9, 0.7, 0.7, 1), Xf{}, "axle_steel");
    return m;
}

// A reactor column 10 tall on four splayed legs. The legs stand on the diagonals, clear of the
// strip the scene lays along x at the column's foot (5 wide, 0.2 deep), and the column's
// lowest point is kReactorClearance above the floor, so that strip lies open under it:
// plinth, core, three glowing coils, eight fins, dome.
const double kReactorClearance = 2.2;

Mesh reactor()
{
    Mesh m;
    m.name = "reactor";
    m.materials = {material("reactor_hull", v3(0.08, 0.10, 0.12), v3(0.45, 0.50, 0.55), grey(0.8), 70),
                   material("reactor_coil", v3(0.0, 0.45, 0.45), v3(0.10, 0.90, 0.90), grey(1.0), 120),
                   material("reactor_fin", v3(0.05, 0.06, 0.08), v3(0.30, 0.34, 0.40), grey(0.6), 40)};
    const double base = kReactorClearance;
    std::vector<RY> hull = {{0, base}, {3.0, base}, {3.0, base + 0.4}, {2.6, base + 0.7}};
    for (int k = 0; k <= 6; ++k) hull.push_back({1.8, base + 0.9 + 5.5 * k / 6});  // bands read in wireframe
    for (RY p : {RY{2.2, 8.8}, RY{2.2, 9.2}, RY{1.6, 9.4}}) hull.push_back(p);
    for (int k = 1; k <= 4; ++k) {  // dome
        double a = kPi / 2 * k / 4;
        hull.push_back({1.6 * std::cos(a), 9.4 + 0.6 * std::sin(a)});
    }
    add(m, lathe(hull, 16), Xf{}, "reactor_hull");
    for (double y : {4.2, 5.85, 7.5}) add(m, torus(2.35, 0.22, 16, 5), translate(0, y, 0), "reactor_coil");
    for (int k = 0; k < 8; ++k) {
        Xf fin = rotate(45.0 * k + 22.5, v3(0, 1, 0)) * translate(2.35, 5.7, 0);
        add(m, box(1.2, 5.0, 0.12, 1), fin, "reactor_fin");
    }
    for (int k = 0; k < 4; ++k) {  // legs from a foot pad at radius 2.9 up under the plinth at 2.3
        double a = rad(45.0 + 90.0 * k);
        V3 foot = v3(2.9 * std::cos(a), 0.1, 2.9 * std::sin(a));  // on its pad
        V3 top = v3(2.3 * std::cos(a), base, 2.3 * std::sin(a));
        add(m, cylinder(0.13, 0, length(top - foot), 6), translate(foot.x, foot.y, foot.z) * alignY(top - foot), "reactor_fin");
        add(m, cylinder(0.35, 0, 0.1, 8), translate(foot.x, 0, foot.z), "reactor_hull");
    }
    return m;
}

// A pipe 4 long on the y axis (y = -2..2) with half-flanges at both ends, so that pipes laid
// 4 apart meet flange to flange. Few segments and no end faces (they would only ever touch
// the next pipe's): the tunnel draws 800 of them per frame.
Mesh pipe()
{
    Mesh m;
    m.name = "pipe";
    m.materials = {material("pipe_metal", v3(0.05, 0.10, 0.12), v3(0.35, 0.55, 0.60), grey(0.9), 80),
                   material("flange_steel", grey(0.12), grey(0.70), grey(1.0), 110)};
    add(m, lathe({{0.45, -1.82}, {0.45, 1.82}}, 8), Xf{}, "pipe_metal");
    for (double end : {-1.0, 1.0}) {
        Xf f = scale(1, end, 1);
        add(m, lathe({{0.45, 1.82}, {0.75, 1.88}, {0.75, 2.0}}, 8), f, "flange_steel");
    }
    return m;
}

// A torus about the y axis, 2 across; kept light for the 800 copies of the tunnel.
Mesh ring()
{
    Mesh m;
    m.name = "ring";
    m.materials = {material("ring_glow", v3(0.0, 0.35, 0.40), v3(0.20, 0.85, 0.90), grey(1.0), 100)};
    add(m, torus(0.8, 0.2, 12, 5), Xf{}, "ring_glow");
    return m;
}

// ---------------------------------------------------------------------------------------------
// Textures (libgd: alpha 0 = opaque .. 127 = transparent)

int clamp255(double v) { return v < 0 ? 0 : v > 255 ? 255 : (int)(v + 0.5); }

bool writePng(gdImagePtr im, const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    gdImagePngEx(im, f, 9);
    std::fclose(f);
    return true;
}

// Coverage 0..1 of a pixel by a shape whose signed distance (pixels, negative inside) is d.
double cover(double d) { return std::min(1.0, std::max(0.0, 0.5 - d)); }

// Yellow face with a dark border, two eyes and a wide smile with round ends; 256 x 256,
// opaque, drawn from distance functions so the edges are smooth.
gdImagePtr smileTexture()
{
    const int size = 256;
    gdImagePtr im = gdImageCreateTrueColor(size, size);
    const double inkR = 24, inkG = 18, inkB = 10;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double dx = (px - 128) / 128, dy = (py - 128) / 128;
            double shade = 1.0 - 0.18 * (dx * dx + dy * dy);  // a little darker towards the corners
            double border = std::min(std::min(px, size - px), std::min(py, size - py)) - 12;
            double eyes = 1e9;
            for (double ex : {88.0, 168.0}) {  // ellipses 15 x 28, distance approximated in scaled space
                double u = (px - ex) / 15, v = (py - 92) / 28;
                eyes = std::min(eyes, (std::hypot(u, v) - 1) * 15);
            }
            // The mouth: an arc of radius 78 about (128, 110) from 28 to 152 degrees below the
            // centre, 13 pixels thick, ends rounded.
            double mx = px - 128, my = py - 110, angle = std::atan2(my, mx) * 180 / kPi;
            double mouth;
            if (angle >= 28 && angle <= 152) {
                mouth = std::fabs(std::hypot(mx, my) - 78) - 6.5;
            } else {
                mouth = 1e9;
                for (double endDeg : {28.0, 152.0}) {
                    double ex = 128 + 78 * std::cos(rad(endDeg)), ey = 110 + 78 * std::sin(rad(endDeg));
                    mouth = std::min(mouth, std::hypot(px - ex, py - ey) - 6.5);
                }
            }
            double ink = cover(std::min(std::min(border, eyes), mouth));
            double r = 255 * shade, g = 208 * shade, b = 24 * shade;
            gdImageSetPixel(im, x, y,
                            gdTrueColor(clamp255(r + (inkR - r) * ink), clamp255(g + (inkG - g) * ink),
                                        clamp255(b + (inkB - b) * ink)));
        }
    return im;
}

// A summer sun: white-hot core, orange rim, twelve soft rays, transparent around; 256 x 256 RGBA.
gdImagePtr sunTexture()
{
    const int size = 256;
    gdImagePtr im = gdImageCreateTrueColor(size, size);
    gdImageAlphaBlending(im, 0);
    gdImageSaveAlpha(im, 1);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double dx = x - 127.5, dy = y - 127.5, d = std::hypot(dx, dy) / 128.0;
            double angle = std::atan2(dy, dx);
            double c6 = std::cos(6 * angle);  // six long rays and six short ones between them
            double ray = 0.42 + 0.5 * std::pow(std::max(0.0, c6), 8.0) + 0.25 * std::pow(std::max(0.0, -c6), 8.0);
            double disc = d < 0.4 ? 1.0 : 0.0;
            double glow = std::exp(-std::max(0.0, d - 0.4) * 9.0);
            double rays = d < ray ? std::pow(1 - d / ray, 0.7) : 0.0;
            double a = std::min(1.0, disc + 0.8 * glow + rays);
            double core = std::max(0.0, 1 - d / 0.4);
            int r = 255, g = clamp255(150 + 105 * core), b = clamp255(40 + 215 * core * core);
            int alpha = 127 - (int)(a * 127.0 + 0.5);
            gdImageSetPixel(im, x, y, gdTrueColorAlpha(r, g, b, alpha));
        }
    return im;
}

// ---------------------------------------------------------------------------------------------

bool writeText(const std::string &path, const std::string &text)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_models STAGE_DIR\n");
        return 2;
    }
    std::string stage = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(stage + "/data/models", ec);
    std::filesystem::create_directories(stage + "/data/textures", ec);

    const std::vector<std::function<Mesh()>> models = {spikePillar, filmCamera, filmReel, smileCube,
                                                       bugBody,     bugWheels,  reactor,  pipe,
                                                       ring};
    for (const auto &make : models) {
        Mesh m = make();
        std::string base = stage + "/data/models/" + m.name;
        if (!writeText(base + ".obj", objText(m)) || !writeText(base + ".mtl", mtlText(m))) {
            std::printf("[!] gen_models: couldn't write %s.obj/.mtl\n", base.c_str());
            return 1;
        }
        std::printf("[*] %s.obj: %d triangles\n", m.name.c_str(), triangleCount(m));
    }
    const std::pair<const char *, std::function<gdImagePtr()>> textures[] = {
        {"smilecube.png", smileTexture}, {"sun_summer.png", sunTexture}};
    for (const auto &[name, paint] : textures) {
        gdImagePtr im = paint();
        bool ok = writePng(im, stage + "/data/textures/" + name);
        gdImageDestroy(im);
        if (!ok) {
            std::printf("[!] gen_models: couldn't write data/textures/%s\n", name);
            return 1;
        }
    }
    return 0;
}
