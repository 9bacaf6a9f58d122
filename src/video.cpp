// The video road: frames back to back, each appended to a file as raw RGB.
#include "video.h"
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

char *VLM_VIDEO_PATH = nullptr;

static void (*VIDEO_DISPLAY)(void) = nullptr;
static FILE *VIDEO_FILE = nullptr;
static int VIDEO_FRAME = 0;               // frames written so far
static std::vector<unsigned char> PIXELS; // one frame, reused

void vlm_startVideo(void (*display)(void))
{
    VIDEO_DISPLAY = display;
    VIDEO_FILE = fopen(VLM_VIDEO_PATH, "wb");
    if (!VIDEO_FILE) {
        printf("[!] cannot open %s for the video frames: %s\n", VLM_VIDEO_PATH, strerror(errno));
        fflush(stdout);
        exit(-1);
    }
}

// The picture the frame left in the read buffer (the back buffer, as a capture reads it),
// written top row first: the rows of a capture PNG, in its order.
static void appendPicture(int width, int height)
{
    size_t row = (size_t)width * 3, bytes = row * height;
    PIXELS.resize(bytes);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, PIXELS.data());
    for (int i = height - 1; i >= 0; i--) {
        if (fwrite(PIXELS.data() + row * i, 1, row, VIDEO_FILE) == row) continue;
        printf("[!] writing the video frames failed: %s\n", strerror(errno));
        fflush(stdout);
        exit(-1);
    }
}

void vlm_videoFrame(void)
{
    VIDEO_DISPLAY();
    appendPicture((int)vlm_Get(1), (int)vlm_Get(2));
    fflush(VIDEO_FILE); // the whole frame is in the pipe before it is counted
    CAPTURE_TIMER += 25;
    VIDEO_FRAME += 1;
    printf("[VIDEO] frame %d\n", VIDEO_FRAME);
    fflush(stdout); // a reader counting frames sees each one as it is written
    glutPostRedisplay();
}
