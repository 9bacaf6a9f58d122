/* Frame timer for scripts/bench_scenes, preloaded into the demo: every glutSwapBuffers
 * appends the wall time in microseconds to the file named by BENCH_SWAP_LOG. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

void glutSwapBuffers(void)
{
    static void (*real)(void);
    static FILE *log;
    if (!real) real = (void (*)(void))dlsym(RTLD_NEXT, "glutSwapBuffers");
    if (!log && getenv("BENCH_SWAP_LOG")) log = fopen(getenv("BENCH_SWAP_LOG"), "w");
    real();
    if (log) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        fprintf(log, "%lld\n", (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000);
        fflush(log);
    }
}
