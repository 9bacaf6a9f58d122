/* Frame timer for scripts/bench, preloaded into the demo: the process start and then
 * every glutSwapBuffers append the wall time in microseconds to the file named by
 * BENCH_SWAP_LOG, one line each, followed by the CPU time of the whole process (all its
 * threads, the renderer's included) in microseconds. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static FILE *LOG;

static void stamp(void)
{
    struct timespec now, cpu;
    clock_gettime(CLOCK_MONOTONIC, &now);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    fprintf(LOG, "%lld %lld\n", (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000,
            (long long)cpu.tv_sec * 1000000 + cpu.tv_nsec / 1000);
    fflush(LOG);
}

__attribute__((constructor)) static void openLog(void)
{
    const char *path = getenv("BENCH_SWAP_LOG");
    if (path) LOG = fopen(path, "w");
    if (LOG) stamp();
}

void glutSwapBuffers(void)
{
    static void (*real)(void);
    if (!real) real = (void (*)(void))dlsym(RTLD_NEXT, "glutSwapBuffers");
    real();
    if (LOG) stamp();
}
