/* Preloaded into the program by the first-frame benchmark: after the first buffer swap it writes the
 * monotonic clock, in nanoseconds, to the file descriptor named by GEOMETRIJA_FIRST_FRAME_FD and ends the
 * process at once. Nothing else of the program changes. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

void glFinish(void);

void glutSwapBuffers(void) {
    void (*swap)(void) = NULL;
    void* symbol = dlsym(RTLD_NEXT, "glutSwapBuffers");
    memcpy(&swap, &symbol, sizeof swap); /* an object pointer to a function pointer, as dlsym promises */
    if (swap) swap();
    glFinish(); /* the frame is on its way to the screen, not just queued */
    const char* fd = getenv("GEOMETRIJA_FIRST_FRAME_FD");
    if (!fd) return;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[32];
    const int length = snprintf(line, sizeof line, "%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    if (write(atoi(fd), line, (size_t)length) != length) _exit(3);
    _exit(0);
}
