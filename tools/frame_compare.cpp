// frame_compare A B [--every N] [--from N] [--to N]: compares two captures of the demo, two
// PNG files or two folders of numbered frames (N.png), and says whether a viewer could tell
// them apart. Exit status 0 when every compared frame passes, 1 when one does not, 2 on bad
// arguments or a frame that is missing or of another size.
//
// What a frame may differ by, and why:
// - a channel off by at most 2 (of 255) is no difference: half-float targets and a pass that
//   computes the same sum in another order round the last bit either way;
// - pixels off by more than that ("moved") may be at most 0.1 % of the frame, and no 8x8 tile
//   may hold more than 8 of them: rasterisation of the same geometry from other calls may
//   settle a tie on an edge the other way, which moves single pixels along an edge and
//   nothing more. A moved line, a missing cell or a shifted model fills tiles and fails.
// The figures printed per failing frame (moved pixels, the worst tile, the largest channel
// difference) say what moved; the summary gives the worst frame of the run.
#include <gd.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <sys/stat.h>

namespace {

const int kTolerance = 2;           // channel difference that counts as none (of 255)
const double kMovedShare = 0.001;   // moved pixels allowed, share of the frame
const int kTile = 8;                // tile edge in pixels
const int kMovedPerTile = 8;        // moved pixels allowed in one tile

struct FrameResult {
    int moved = 0;        // pixels with a channel off by more than kTolerance
    int worstTile = 0;    // moved pixels in the tile that holds most
    int largest = 0;      // largest channel difference, 0..255
    double meanAbs = 0;   // mean channel difference over the frame
    bool passes = false;
};

gdImagePtr loadPng(const std::string &path)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    gdImagePtr image = gdImageCreateFromPng(file);
    fclose(file);
    return image;
}

int channelDifference(int a, int b)
{
    int dr = abs(((a >> 16) & 255) - ((b >> 16) & 255));
    int dg = abs(((a >> 8) & 255) - ((b >> 8) & 255));
    int db = abs((a & 255) - (b & 255));
    return std::max(dr, std::max(dg, db));
}

int pixelAt(gdImagePtr image, int x, int y)
{
    int c = gdImageGetPixel(image, x, y);
    if (gdImageTrueColor(image)) return c & 0xffffff;
    return (gdImageRed(image, c) << 16) | (gdImageGreen(image, c) << 8) | gdImageBlue(image, c);
}

FrameResult compareImages(gdImagePtr a, gdImagePtr b)
{
    FrameResult r;
    int w = gdImageSX(a), h = gdImageSY(a);
    int tilesX = (w + kTile - 1) / kTile;
    std::map<int, int> tiles;
    double sum = 0;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            int d = channelDifference(pixelAt(a, x, y), pixelAt(b, x, y));
            sum += d;
            r.largest = std::max(r.largest, d);
            if (d <= kTolerance) continue;
            r.moved++;
            int &tile = tiles[(y / kTile) * tilesX + x / kTile];
            tile++;
            r.worstTile = std::max(r.worstTile, tile);
        }
    }
    r.meanAbs = sum / ((double)w * h);
    r.passes = r.moved <= kMovedShare * w * h && r.worstTile <= kMovedPerTile;
    return r;
}

// 0 passes, 1 differs, 2 missing or of another size.
int compareFiles(const std::string &pathA, const std::string &pathB, const std::string &name,
                 FrameResult *out)
{
    gdImagePtr a = loadPng(pathA), b = loadPng(pathB);
    int status = 0;
    if (!a || !b) {
        printf("%s: missing or unreadable (%s)\n", name.c_str(), !a ? pathA.c_str() : pathB.c_str());
        status = 2;
    } else if (gdImageSX(a) != gdImageSX(b) || gdImageSY(a) != gdImageSY(b)) {
        printf("%s: sizes differ (%dx%d, %dx%d)\n", name.c_str(), gdImageSX(a), gdImageSY(a),
               gdImageSX(b), gdImageSY(b));
        status = 2;
    } else {
        *out = compareImages(a, b);
        if (!out->passes) {
            printf("%s: %d moved pixels, %d in the worst %dx%d tile, largest difference %d, "
                   "mean %.3f\n", name.c_str(), out->moved, out->worstTile, kTile, kTile,
                   out->largest, out->meanAbs);
            status = 1;
        }
    }
    if (a) gdImageDestroy(a);
    if (b) gdImageDestroy(b);
    return status;
}

bool isFolder(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// The largest N with N.png in `folder`.
int lastFrame(const std::string &folder)
{
    int last = 0;
    DIR *dir = opendir(folder.c_str());
    if (!dir) return 0;
    while (dirent *e = readdir(dir)) {
        char *end = nullptr;
        long n = strtol(e->d_name, &end, 10);
        if (end != e->d_name && !strcmp(end, ".png")) last = std::max(last, (int)n);
    }
    closedir(dir);
    return last;
}

int usage(void)
{
    fprintf(stderr, "usage: frame_compare A.png B.png\n"
                    "       frame_compare FOLDER_A FOLDER_B [--every N] [--from N] [--to N]\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3) return usage();
    std::string a = argv[1], b = argv[2];
    int every = 1, from = 1, to = 0;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--every")) every = std::max(1, atoi(argv[i + 1]));
        else if (!strcmp(argv[i], "--from")) from = std::max(1, atoi(argv[i + 1]));
        else if (!strcmp(argv[i], "--to")) to = atoi(argv[i + 1]);
        else return usage();
    }
    if (!isFolder(a.c_str())) {
        FrameResult r;
        int status = compareFiles(a, b, b, &r);
        if (status == 0)
            printf("same picture: %d moved pixels, largest difference %d\n", r.moved, r.largest);
        return status;
    }
    if (to <= 0) to = std::min(lastFrame(a), lastFrame(b));
    int compared = 0, failed = 0, worstStatus = 0, worstMoved = -1, worstFrame = 0, largest = 0;
    for (int n = from; n <= to; n += every) {
        std::string name = std::to_string(n) + ".png";
        FrameResult r;
        int status = compareFiles(a + "/" + name, b + "/" + name, name, &r);
        worstStatus = std::max(worstStatus, status);
        compared++;
        if (status) failed++;
        if (r.moved > worstMoved) worstMoved = r.moved, worstFrame = n;
        largest = std::max(largest, r.largest);
    }
    printf("%d frames compared (%d to %d, every %d): %d differ; most moved pixels %d (frame %d), "
           "largest channel difference %d\n", compared, from, to, every, failed,
           std::max(worstMoved, 0), worstFrame, largest);
    return compared == 0 ? 2 : worstStatus;
}
