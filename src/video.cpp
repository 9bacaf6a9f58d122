// The video road: frames back to back, each appended to a file as raw RGB.
#include "video.h"
#include "textures.h"
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <fcntl.h>
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

// A pipe holds 64 KiB by default and the stream's buffer is a page: a frame of several
// megabytes would cross in hundreds of writes and dozens of hand-overs between the demo and
// the encoder. A wide buffer and a wider pipe (as wide as the system lets an unprivileged
// process make it) take a frame in a few. Not a pipe, or refused: the pipe is left as it is.
static const size_t STREAM_BUFFER = 1 << 20;

static void widenPipe(int fd)
{
#ifdef F_SETPIPE_SZ
    int widest = 1 << 20;
    if (FILE *limit = fopen("/proc/sys/fs/pipe-max-size", "r")) {
        if (fscanf(limit, "%d", &widest) != 1) widest = 1 << 20;
        fclose(limit);
    }
    if (widest > 0) fcntl(fd, F_SETPIPE_SZ, widest);
#else
    (void)fd;
#endif
}

void vlm_startVideo(void (*display)(void))
{
    VIDEO_DISPLAY = display;
    VIDEO_FILE = fopen(VLM_VIDEO_PATH, "wb");
    if (!VIDEO_FILE) {
        printf("[!] cannot open %s for the video frames: %s\n", VLM_VIDEO_PATH, strerror(errno));
        fflush(stdout);
        exit(-1);
    }
    setvbuf(VIDEO_FILE, nullptr, _IOFBF, STREAM_BUFFER);
    widenPipe(fileno(VIDEO_FILE));
}

// The picture the frame left in the read buffer (the back buffer, as a capture reads it),
// written top row first: the rows of a capture PNG, in its order.
static void appendPicture(int width, int height)
{
    size_t row = (size_t)width * 3, bytes = row * height;
    PIXELS.assign(bytes, 0);
    vlm_readPicture(width, height, PIXELS.data());
    for (int i = height - 1; i >= 0; i--) {
        if (fwrite(PIXELS.data() + row * i, 1, row, VIDEO_FILE) == row) continue;
        printf("[!] writing the video frames failed: %s\n", strerror(errno));
        fflush(stdout);
        exit(-1);
    }
}

void vlm_videoFrame(void)
{
    int width = (int)vlm_Get(1), height = (int)vlm_Get(2);
    VIDEO_DISPLAY();
    appendPicture(width, height);
    vlm_frameDrawn(width, height);
    fflush(VIDEO_FILE); // the whole frame is in the pipe before it is counted
    CAPTURE_TIMER += 25;
    VIDEO_FRAME += 1;
    printf("[VIDEO] frame %d\n", VIDEO_FRAME);
    fflush(stdout); // a reader counting frames sees each one as it is written
    glutPostRedisplay();
}
