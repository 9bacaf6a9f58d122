// Render targets: framebuffer objects with two floating-point colour textures and a depth buffer.
#include "fbo.h"
#include "software_gl.h"
#include "vlm_state.h"
#include <GL/glew.h>
#include <stdio.h>
#include <stdlib.h>
#include <initializer_list>

static const int FBO_CAPACITY = 64;

// One target; all GL names, sizes in pixels.
struct FboEntry {
    GLuint texture0;      // first colour attachment (a depth texture for depth-only targets)
    GLuint texture1;      // second colour attachment
    GLuint framebuffer;
    GLuint depthBuffer;   // renderbuffer
    int width, height;
    bool followsWindow;   // made at the window's size: remade when the window settles at another
    bool fullFloat;       // made while full floats were asked for: RGBA32F when the size allows
};

static FboEntry fbo[FBO_CAPACITY];
static int CURRENT_ID = 0;  // next free index

// The window size the targets are to follow, and for how many frames in a row it was seen.
static int followWidth = 0, followHeight = 0, followFrames = 0;

static int takeIndex(int width, int height)
{
    int index = CURRENT_ID;
    if (index + 1 > FBO_CAPACITY) {
        printf("Maximum numbers of fbo's reached.. exiting\n");
        fflush(stdout);
        exit(-1);
    }
    fbo[index].width = width;
    fbo[index].height = height;
    return index;
}

static void checkComplete(int index)
{
    GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT) {
        printf("[!] Error creating fbo #%d , errcode 0x%x\n", index, status);
        fflush(stdout);
        exit(-1);
    }
}

static VlmFullFloat askedFullFloat = VLM_FULL_FLOAT_NEVER;

void vlm_fboFullFloat(VlmFullFloat when)
{
    askedFullFloat = when;
}

// Whether a target made now is to hold full floats where its size allows.
static bool fullFloatAsked(void)
{
    return askedFullFloat == VLM_FULL_FLOAT_ALWAYS ||
           (askedFullFloat == VLM_FULL_FLOAT_ON_SOFTWARE_GL && vlm_softwareGL());
}

// Half floats unless the target asked for full ones and is small enough for them.
static GLint colourFormat(const FboEntry &entry, int width, int height)
{
    bool fits = (long long)width * height <= VLM_FBO_FULL_FLOAT_PIXELS;
    return entry.fullFloat && fits ? GL_RGBA32F_ARB : GL_RGBA16F_ARB;
}

static GLuint makeColourTexture(GLint format, int width, int height, GLenum attachment)
{
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, GL_RGBA, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, attachment, GL_TEXTURE_2D, texture, 0);
    return texture;
}

int vlm_loadFBO(int width, int height)
{
    int index = takeIndex(width, height);
    FboEntry *entry = &fbo[index];
    glGenFramebuffersEXT(1, &entry->framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, entry->framebuffer);
    glGenRenderbuffersEXT(1, &entry->depthBuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, entry->depthBuffer);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 entry->depthBuffer);
    entry->fullFloat = fullFloatAsked();
    GLint format = colourFormat(*entry, width, height);
    entry->texture0 = makeColourTexture(format, width, height, GL_COLOR_ATTACHMENT0_EXT);
    entry->texture1 = makeColourTexture(format, width, height, GL_COLOR_ATTACHMENT1_EXT);
    checkComplete(index);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    entry->followsWindow = width == vlm_globalX && height == vlm_globalY;
    CURRENT_ID += 1;
    return index;
}

// The 3D matrices every scene starts from, with texture unit 0 active.
static void resetMatrices(void)
{
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, (double)(vlm_Get(VLM_GET_WIDTH) / vlm_Get(VLM_GET_HEIGHT)), 0.1, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Clears the bound target and sets the 3D matrices.
static void clearAndReset(float red, float green, float blue)
{
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    resetMatrices();
}

// The window's viewport while a target is bound; a target is drawn through a viewport of its
// own size, so a window resized after loading never makes a scene overrun or underfill its
// target.
static GLint windowViewport[4];
static bool targetBound = false;

static void bindFramebuffer(const FboEntry *entry)
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, entry->framebuffer);
    if (entry->framebuffer) {
        if (!targetBound) glGetIntegerv(GL_VIEWPORT, windowViewport);
        targetBound = true;
        glViewport(0, 0, entry->width, entry->height);
    } else if (targetBound) {
        targetBound = false;
        glViewport(windowViewport[0], windowViewport[1], windowViewport[2], windowViewport[3]);
    }
}

// An index that was never handed out binds the window instead of a stray object.
static const FboEntry *entryOf(int index)
{
    static const FboEntry window = {};
    return index >= 0 && index < CURRENT_ID ? &fbo[index] : &window;
}

// Binds the target (the window for an index never handed out) drawing into `outputs` (1 or 2)
// of its colour textures.
static const FboEntry *bindOutputs(int index, int outputs)
{
    static const GLenum both[2] = {GL_COLOR_ATTACHMENT0_EXT, GL_COLOR_ATTACHMENT1_EXT};
    const FboEntry *entry = entryOf(index);
    bindFramebuffer(entry);
    if (!entry->framebuffer) glDrawBuffer(GL_BACK);
    else if (outputs == 2) glDrawBuffers(2, both);
    else glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    return entry;
}

unsigned vlm_enableFBO(int index, float red, float green, float blue)
{
    const FboEntry *entry = bindOutputs(index, 1);
    clearAndReset(red, green, blue);
    return entry->texture0;
}

void vlm_enableMultiTargetFBO(int index, float red, float green, float blue, unsigned textures[2])
{
    const FboEntry *entry = bindOutputs(index, 2);
    clearAndReset(red, green, blue);
    textures[0] = entry->texture0;
    textures[1] = entry->texture1;
}

void vlm_enableFBOUncleared(int index, int outputs, unsigned textures[2])
{
    const FboEntry *entry = bindOutputs(index, outputs);
    resetMatrices();
    textures[0] = entry->texture0;
    textures[1] = entry->texture1;
}

void vlm_disableFBO(float red, float green, float blue)
{
    static const FboEntry window = {};
    bindFramebuffer(&window);
    glDrawBuffer(GL_BACK);
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

int vlm_loadDepthFBO(int width, int height)
{
    int index = takeIndex(width, height);
    FboEntry *entry = &fbo[index];
    entry->followsWindow = false;
    entry->fullFloat = false;
    glGenTextures(1, &entry->texture0);
    glBindTexture(GL_TEXTURE_2D, entry->texture0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, width, height, 0, GL_DEPTH_COMPONENT,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffersEXT(1, &entry->framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, entry->framebuffer);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                              entry->texture0, 0);
    checkComplete(index);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    CURRENT_ID += 1;
    return index;
}

unsigned vlm_fboTexture(int index, int which)
{
    const FboEntry *entry = entryOf(index);
    return which == 0 ? entry->texture0 : entry->texture1;
}

void vlm_fboSize(int index, int *width, int *height)
{
    const FboEntry *entry = entryOf(index);
    *width = entry->width;
    *height = entry->height;
}

// ---------------------------------------------------------------- following the window

// The largest side a target can take: texture, renderbuffer and viewport limits together.
static int largestSide(void)
{
    static GLint side = 0;
    if (!side) {
        GLint texture = 0, renderbuffer = 0, viewport[2] = {0, 0};
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &renderbuffer);
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
        side = texture;
        for (GLint limit : {renderbuffer, viewport[0], viewport[1]})
            if (limit > 0 && limit < side) side = limit;
        if (side <= 0) side = 4096;
    }
    return side;
}

// New storage for a target's depth buffer and both colour textures, under the same names:
// respecifying an image lets the driver free the old one, so memory does not grow however
// often the window changes. The framebuffer keeps its attachments.
static void remakeStorage(int index, int width, int height)
{
    FboEntry *entry = &fbo[index];
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, entry->depthBuffer);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
    for (GLuint texture : {entry->texture0, entry->texture1}) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, colourFormat(*entry, width, height), width, height, 0,
                     GL_RGBA, GL_FLOAT, nullptr);
    }
    entry->width = width;
    entry->height = height;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, entry->framebuffer);
    checkComplete(index);
}

int vlm_fboFollowWindow(int width, int height)
{
    if (width < VLM_FBO_FOLLOW_FLOOR || height < VLM_FBO_FOLLOW_FLOOR) {
        followFrames = 0;
        return 0;
    }
    if (width != followWidth || height != followHeight) {
        followWidth = width;
        followHeight = height;
        followFrames = 0;
    }
    if (++followFrames < VLM_FBO_FOLLOW_FRAMES) return 0;
    followFrames = VLM_FBO_FOLLOW_FRAMES; // held long enough; no overflow however long it holds
    int side = largestSide();
    int targetWidth = width < side ? width : side, targetHeight = height < side ? height : side;
    GLint texture = 0, renderbuffer = 0, framebuffer = 0;
    int remade = 0;
    for (int index = 0; index < CURRENT_ID; index++) {
        const FboEntry *entry = &fbo[index];
        if (!entry->followsWindow) continue;
        if (entry->width == targetWidth && entry->height == targetHeight) continue;
        if (!remade) {
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
            glGetIntegerv(GL_RENDERBUFFER_BINDING_EXT, &renderbuffer);
            glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
        }
        remakeStorage(index, targetWidth, targetHeight);
        remade++;
    }
    if (!remade) return 0;
    glBindTexture(GL_TEXTURE_2D, (GLuint)texture);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, (GLuint)renderbuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, (GLuint)framebuffer);
    printf("[*] %d render targets remade at %dx%d\n", remade, targetWidth, targetHeight);
    fflush(stdout);
    return remade;
}
