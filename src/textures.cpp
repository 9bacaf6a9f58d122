// Textures (PNG through libgd, TGA, black), screenshots and frame capture.
#include "textures.h"
#include "io.h"
#include "io_save.h"
#include "vlm_state.h"
#include <GL/glew.h>
#include <GL/glx.h>
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
    VlmImage image;
    vlm_parseFail(&image, error);
    return image;
}

// An image of the given size with room for its pixels; `bytesPerPixel` 3 or 4.
static VlmImage sized(int width, int height, int bytesPerPixel)
{
    VlmImage image;
    image.width = width;
    image.height = height;
    image.bytesPerPixel = bytesPerPixel;
    image.pixels.resize((size_t)width * height * bytesPerPixel);
    return image;
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
    VlmImage out = sized(gdImageSX(image), gdImageSY(image), 4);
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
    VlmImage out = sized(width, height, depth);
    memcpy(out.pixels.data(), bytes + 18, length);
    for (size_t i = 0; i < length; i += depth) std::swap(out.pixels[i], out.pixels[i + 2]);
    return out;
}

// ------------------------------------------------------------------ loading

// The whole file from `source`; "[! path] file not found" + `notFoundTail` when it cannot be
// opened, and the process ends.
static VlmFile readImageFile(const char *path, VlmFileSource source, const char *notFoundTail)
{
    VlmFile file = vlm_io_readFile(path, source);
    if (file.status == VLM_FILE_MISSING) fatal("[! " + std::string(path) + "]" + notFoundTail);
    if (file.status == VLM_FILE_NO_MEMORY)
        fatal("[!] " + std::string(path) + ": no memory to read it\n");
    return file;
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
    VlmFile file = readImageFile(path, VLM_FROM_PACKED_OR_DISK, " file not found.\n");
    VlmImage image = vlm_decodePNG((const unsigned char *)file.bytes, file.size, path);
    free(file.bytes);
    vlm_reportOutcome(image);
    GLuint texture = uploadTexture(image, GL_RGBA8, GL_RGBA);
    addCachedTexture(texture, path);
    return texture;
}

unsigned vlm_loadTGA(const char *path)
{
    VlmFile file = readImageFile(path, VLM_FROM_DISK, " file not found \n");
    VlmImage image = vlm_decodeTGA((const unsigned char *)file.bytes, file.size, path);
    free(file.bytes);
    vlm_reportOutcome(image);
    return uploadTexture(image, 4, image.bytesPerPixel == 3 ? GL_RGB : GL_RGBA);
}

unsigned vlm_loadBlack(void)
{
    VlmImage black = sized(512, 512, 3);
    return uploadTexture(black, 4, GL_RGB);
}

// ------------------------------------------------------------------ screenshots and capture

// Whether the window (when it is what is read) has the size width x height at the X server.
static bool windowHasSize(int width, int height)
{
    GLint target = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &target);
    Display *display = glXGetCurrentDisplay();
    GLXDrawable window = glXGetCurrentDrawable();
    if (target != 0 || !display || !window) return true;
    unsigned int w = 0, h = 0;
    glXQueryDrawable(display, window, GLX_WIDTH, &w);
    glXQueryDrawable(display, window, GLX_HEIGHT, &h);
    return (int)w == width && (int)h == height;
}

void vlm_readPicture(int width, int height, unsigned char *rgb)
{
    // After a swap or a glViewport the software GL driver takes the window's size afresh from
    // the X server at its next use of the window, but glReadPixels clips the rectangle to the
    // size it knew before: a window the server has made smaller meanwhile would be read past
    // the end of its new buffer. A one-pixel read (inside any window) brings the size up to
    // date first, so the real read is clipped to the buffer that is there.
    unsigned char first[3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, first);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}

// Read-back rows are bottom first; the file gets them top first, as the screen shows them.
// Whatever lies outside the window's buffer (a window made smaller since) stays black.
static gdImagePtr imageFromFramebuffer(int width, int height)
{
    unsigned char *rgb = (unsigned char *)calloc((size_t)width * height * 3 + 1, 1);
    if (!rgb) fatal("[!] vlm_screenshot() couldn't allocate memory!\n");
    vlm_readPicture(width, height, rgb);
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

// Writes the read buffer's picture to `path`; returns 0 when written, else the errno of the
// failed save (-1 when nothing was tried). Every failure is reported here.
static int saveScreenshot(int width, int height, const char *path, int level)
{
    if (width <= 0 || height <= 0) {
        printf("[/] screenshot %s not taken: the window is %dx%d\n", path, width, height);
        return -1;
    }
    // The level is checked before the file is opened, so a bad level leaves it untouched.
    if (level > 9 || level < 0) {
        printf("[!] Major fuckup detected in vlm_screenshot, given compressionlevel was faily. redo\n");
        return -1;
    }
    // The current read buffer: between frames the window's back buffer still holds the
    // frame just swapped (a copy swap). GL_FRONT is no use here: software GL keeps a
    // separate front image that swaps never update.
    gdImagePtr image = imageFromFramebuffer(width, height);
    int size = 0;
    void *png = gdImagePngPtrEx(image, &size, level);
    gdImageDestroy(image);
    if (!png) fatal("[!] vlm_screenshot() couldn't allocate memory!\n");
    int error = 0;
    VlmSaveResult result = vlm_io_saveFile(path, png, (size_t)size, &error);
    gdFree(png);
    if (result == VLM_SAVE_CANNOT_OPEN)
        printf("couldn't open %s for writing. screenshot not performed\n", path);
    if (result != VLM_SAVED) fputs(vlm_io_saveFailure(path, error).c_str(), stdout);
    return result == VLM_SAVED ? 0 : error;
}

void vlm_screenshot(int width, int height, const char *path, int level)
{
    saveScreenshot(width, height, path, level);
}

// The screenshot key's file, until a frame is drawn.
static std::string requestedShot;

void vlm_requestScreenshot(const char *path)
{
    requestedShot = path;
}

void vlm_frameDrawn(int width, int height)
{
    if (requestedShot.empty()) return;
    // A window resized since the frame was drawn has a new, empty buffer: the next frame,
    // drawn at the new size, is taken instead.
    if (!windowHasSize(width, height)) return;
    std::string path;
    path.swap(requestedShot);
    saveScreenshot(width, height, path.c_str(), 0);
}

void vlm_captureStep(void)
{
    capture_id += 1;
    if (mkdir("capture", 0755) != 0 && errno != EEXIST)
        printf("[/] cannot create the capture directory: %s\n", strerror(errno));
    char name[64];
    snprintf(name, sizeof name, "capture/%d.png", capture_id);
    int error = saveScreenshot((int)vlm_Get(VLM_GET_WIDTH), (int)vlm_Get(VLM_GET_HEIGHT), name, CAPTURE_CLEVEL);
    // A full disk would leave a hole in the numbered frames from here on: stop instead.
    if (error > 0 && vlm_io_isFullDisk(error)) {
        printf("[!] Capture stopped at frame %d: %s: %s\n", capture_id, name, strerror(error));
        fflush(stdout);
        exit(-1);
    }
    printf("[CAPTURE] frame %d\n", capture_id);
    fflush(stdout);  // a reader of the pipe (the video render) follows the frames as they come
}
