/* The soak's window on the demo clock, loaded into the demo with LD_PRELOAD; the demo itself
 * is not changed. The final composite pass of every frame sends the demo clock in seconds to
 * its program as the uniform "timer"; the composite is the program that is also asked for
 * "wobble_ammount". The probe wraps the GL entry points the extension loader asks for and
 * appends one line per frame to the file named by SOAK_CLOCK_LOG:
 *     <CLOCK_MONOTONIC seconds> <demo clock in ms>
 * Build: cc -shared -fPIC -O2 -o probe.so soak-clock-probe.c -ldl */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef unsigned int GLuint;
typedef int GLint;
typedef float GLfloat;
typedef char GLchar;
typedef void (*Proc)(void);

#define PROGRAMS 4096
static GLint timerLocation[PROGRAMS];
static char isComposite[PROGRAMS];
static GLuint current;
static FILE *out;

static void (*realUseProgram)(GLuint);
static GLint (*realGetUniformLocation)(GLuint, const GLchar *);
static void (*realUniform1f)(GLint, GLfloat);
static Proc (*realGetProc)(const unsigned char *);

static void record(GLfloat seconds)
{
    if (!out) {
        const char *path = getenv("SOAK_CLOCK_LOG");
        out = fopen(path ? path : "/dev/null", "w");
        if (!out) return;
    }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    fprintf(out, "%.3f %.1f\n", now.tv_sec + now.tv_nsec / 1e9, seconds * 1000.0);
    fflush(out);
}

static void probeUseProgram(GLuint program)
{
    current = program;
    realUseProgram(program);
}

static GLint probeGetUniformLocation(GLuint program, const GLchar *name)
{
    GLint location = realGetUniformLocation(program, name);
    if (program < PROGRAMS && strcmp(name, "timer") == 0) timerLocation[program] = location;
    if (program < PROGRAMS && strcmp(name, "wobble_ammount") == 0) isComposite[program] = 1;
    return location;
}

static void probeUniform1f(GLint location, GLfloat value)
{
    if (current < PROGRAMS && isComposite[current] && location >= 0 &&
        location == timerLocation[current])
        record(value);
    realUniform1f(location, value);
}

static Proc wrap(const char *name, Proc real)
{
    if (!real) return real;
    if (strcmp(name, "glUseProgram") == 0) {
        realUseProgram = (void (*)(GLuint))real;
        return (Proc)probeUseProgram;
    }
    if (strcmp(name, "glGetUniformLocation") == 0) {
        realGetUniformLocation = (GLint(*)(GLuint, const GLchar *))real;
        return (Proc)probeGetUniformLocation;
    }
    if (strcmp(name, "glUniform1f") == 0) {
        realUniform1f = (void (*)(GLint, GLfloat))real;
        return (Proc)probeUniform1f;
    }
    return real;
}

Proc glXGetProcAddressARB(const unsigned char *name)
{
    if (!realGetProc) realGetProc = (Proc(*)(const unsigned char *))dlsym(RTLD_NEXT, "glXGetProcAddressARB");
    return wrap((const char *)name, realGetProc(name));
}

Proc glXGetProcAddress(const unsigned char *name)
{
    return glXGetProcAddressARB(name);
}
