// Textures (PNG through libgd, TGA, black), screenshots and frame capture.
#include "textures.h"
#include "io.h"
#include "vlm.h"
#include <GL/glew.h>
#include <gd.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

// One loaded PNG: its texture and the module's own copy of the path it was asked for by.
struct TextureEntry {
    GLuint texture;
    char *path;
};

// Starts with room for 2048 entries and doubles when full.
static TextureEntry *cache = nullptr;
static int cache_n = 0;
static int cache_capacity = 0;
static int capture_id = 0;  // number of the last captured frame

static void fatal(const std::string &message)
{
    fputs(message.c_str(), stdout);
    fflush(stdout);
    exit(-1);
}

// ------------------------------------------------------------------ decoding

static VlmImage failed(const std::string &error)
{
    return {false, error, 0, 0, 0, {}};
}

// libgd's alpha runs 0 (opaque) .. 127 (transparent); GL wants 255 .. 0.
static unsigned char glAlpha(int gdAlpha)
{
    return (unsigned char)((127 - gdAlpha) * 255 / 127);
}

VlmImage vlm_decodePNG(const unsigned char *bytes, size_t size, const char *path)
{
    gdImagePtr image = size > 0 && size <= 0x7fffffff
                           ? gdImageCreateFromPngPtr((int)size, (void *)bytes) : nullptr;
    if (!image) return failed("[!] " + std::string(path) + " is not a readable PNG image\n");
    VlmImage out = {true, "", gdImageSX(image), gdImageSY(image), 4, {}};
    out.pixels.resize((size_t)out.width * out.height * 4);
    bool trueColour = gdImageTrueColor(image);
    for (int j = 0; j < out.height; j++) {      // j = 0 is the image's top row
        for (int k = 0; k < out.width; k++) {
            int pixel = gdImageGetPixel(image, k, j);
            unsigned char *p = &out.pixels[4 * ((size_t)j * out.width + k)];
            p[0] = trueColour ? gdTrueColorGetRed(pixel) : gdImageRed(image, pixel);
            p[1] = trueColour ? gdTrueColorGetGreen(pixel) : gdImageGreen(image, pixel);
            p[2] = trueColour ? gdTrueColorGetBlue(pixel) : gdImageBlue(image, pixel);
            p[3] = glAlpha(trueColour ? gdTrueColorGetAlpha(pixel) : gdImageAlpha(image, pixel));
        }
    }
    gdImageDestroy(image);
    return out;
}

VlmImage vlm_decodeTGA(const unsigned char *bytes, size_t size, const char *path)
{
    static const unsigned char header[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::string name(path);
    if (size < 18 || memcmp(bytes, header, 12) != 0) return failed("[!] Unable to load " + name + "\n");
    int width = bytes[12] | bytes[13] << 8;
    int height = bytes[14] | bytes[15] << 8;
    int bits = bytes[16];
    if (width == 0 || height == 0 || (bits != 24 && bits != 32))
        return failed("[!] " + name + " was a corrupt image =/\n");
    int depth = bits / 8;
    size_t length = (size_t)width * height * depth;
    if (size - 18 < length) return failed("[!] Unable to allocate memory for tga " + name + "...\n");
    VlmImage out = {true, "", width, height, depth, {}};
    out.pixels.assign(bytes + 18, bytes + 18 + length);
    for (size_t i = 0; i < length; i += depth) std::swap(out.pixels[i], out.pixels[i + 2]);
    return out;
}

// ------------------------------------------------------------------ loading

// The whole file in a malloc'ed buffer, or null when it cannot be opened.
static unsigned char *readDiskFile(const char *path, size_t *size)
{
    FILE *file = fopen(path, "rb");
    if (!file) return nullptr;
    fseek(file, 0, SEEK_END);
    long length = ftell(file);
    fseek(file, 0, SEEK_SET);
    unsigned char *data = (unsigned char *)malloc(length > 0 ? (size_t)length : 1);
    if (!data) fatal("[!] " + std::string(path) + ": no memory to read it\n");
    *size = fread(data, 1, length > 0 ? (size_t)length : 0, file);
    fclose(file);
    return data;
}

static int findCachedTexture(const char *path)
{
    for (int i = 0; i < cache_n; i++)
        if (strcmp(cache[i].path, path) == 0) return i;
    return -1;
}

static void addCachedTexture(GLuint texture, const char *path)
{
    if (cache_n == cache_capacity) {
        int capacity = cache_capacity ? cache_capacity * 2 : 2048;
        TextureEntry *grown = (TextureEntry *)realloc(cache, sizeof(TextureEntry) * capacity);
        if (!grown) fatal("[!] no memory for the texture cache\n");
        cache = grown;
        cache_capacity = capacity;
    }
    cache[cache_n].texture = texture;
    cache[cache_n].path = strdup(path);
    cache_n++;
}

static GLuint uploadTexture(const VlmImage &image, GLint internalFormat, GLenum format)
{
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, image.width, image.height, 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.data());
    return texture;
}

unsigned vlm_loadPNG(const char *path)
{
    int cached = findCachedTexture(path);
    if (cached >= 0) return cache[cached].texture;
    unsigned packedSize = 0;
    size_t size = 0;
    unsigned char *bytes = (unsigned char *)vlm_io_uncompress(path, &packedSize);
    if (bytes) size = packedSize;
    else bytes = readDiskFile(path, &size);
    if (!bytes) fatal("[! " + std::string(path) + "] file not found.\n");
    VlmImage image = vlm_decodePNG(bytes, size, path);
    free(bytes);
    if (!image.ok) fatal(image.error);
    GLuint texture = uploadTexture(image, GL_RGBA8, GL_RGBA);
    addCachedTexture(texture, path);
    return texture;
}

unsigned vlm_loadTGA(const char *path)
{
    size_t size = 0;
    unsigned char *bytes = readDiskFile(path, &size);
    if (!bytes) fatal("[! " + std::string(path) + "] file not found \n");
    VlmImage image = vlm_decodeTGA(bytes, size, path);
    free(bytes);
    if (!image.ok) fatal(image.error);
    return uploadTexture(image, 4, image.bytesPerPixel == 3 ? GL_RGB : GL_RGBA);
}

unsigned vlm_loadBlack(void)
{
    VlmImage black = {true, "", 512, 512, 3, std::vector<unsigned char>(512 * 512 * 3, 0)};
    return uploadTexture(black, 4, GL_RGB);
}

// ------------------------------------------------------------------ screenshots and capture

// Read-back rows are bottom first; the file gets them top first, as the screen shows them.
static gdImagePtr imageFromFramebuffer(int width, int height)
{
    unsigned char *rgb = (unsigned char *)malloc((size_t)width * height * 3 + 1);
    if (!rgb) fatal("[!] vlm_screenshot() couldn't allocate memory!\n");
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    gdImagePtr image = gdImageCreateTrueColor(width, height);
    if (!image) fatal("[!] vlm_screenshot() couldn't allocate memory!\n");
    // Rows are stored straight into the true-colour rows: a million gdImageSetPixel calls
    // (with their clipping and blending tests) cost more than the read-back itself.
    for (int i = 0; i < height; i++) {
        const unsigned char *row = rgb + (size_t)i * width * 3;
        int *out = image->tpixels[height - 1 - i];
        for (int j = 0; j < width; j++) {
            const unsigned char *p = row + 3 * j;
            out[j] = (p[0] << 16) + (p[1] << 8) + p[2];
        }
    }
    free(rgb);
    return image;
}

void vlm_screenshot(int width, int height, const char *path, int level)
{
    if (width <= 0 || height <= 0) {
        printf("[/] screenshot %s not taken: the window is %dx%d\n", path, width, height);
        return;
    }
    // The level is checked before the file is opened, so a bad level leaves it untouched.
    if (level > 9 || level < 0) {
        printf("[!] Major fuckup detected in vlm_screenshot, given compressionlevel was faily. redo\n");
        return;
    }
    // The current read buffer: between frames the window's back buffer still holds the
    // frame just swapped (a copy swap). GL_FRONT is no use here: software GL keeps a
    // separate front image that swaps never update.
    gdImagePtr image = imageFromFramebuffer(width, height);
    FILE *file = fopen(path, "wb");
    if (!file) {
        printf("couldn't open %s for writing. screenshot not performed\n", path);
        gdImageDestroy(image);
        return;
    }
    gdImagePngEx(image, file, level);
    fclose(file);
    gdImageDestroy(image);
}

void vlm_captureStep(void)
{
    capture_id += 1;
    if (mkdir("capture", 0755) != 0 && errno != EEXIST)
        printf("[/] cannot create the capture directory: %s\n", strerror(errno));
    char name[64];
    snprintf(name, sizeof name, "capture/%d.png", capture_id);
    vlm_screenshot((int)vlm_Get(1), (int)vlm_Get(2), name, CAPTURE_CLEVEL);
    printf("[CAPTURE] frame %d\n", capture_id);
    fflush(stdout);  // a reader of the pipe (the video render) follows the frames as they come
}
