// Machine check and the development print.
#include "system.h"
#include <cstdio>
#include <cstdlib>

void vlm_systemCheck(const void *quiet)
{
    int one = 1;
    if (*(const unsigned char *)&one != 1) {
        printf("[!] System is not little endian.\n");
        if (!quiet) exit(-1);
    }
    for (int i = 0; i < 10; i++) {
        // The blocks only prove that the allocator works; they live as long as the process.
        void *block = malloc(2048);
        if (!block && !quiet)
            printf("[!] System cannot allocate memory. is fatal. is bad. is really reaaally bad. "
                   "fix ur goddamn system :'(\n");
        free(block);
    }
}

void dprint(const char *text, int enabled)
{
    if (enabled) printf("[DEV] %s\n", text);
}
