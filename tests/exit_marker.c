/* Preloaded into the program by the window tests: shows that the process ended through exit() with every
 * exit handler run. Its constructor runs before the program's own static initialisation, so the handler it
 * registers runs after the program's handlers (the scene's release among them). It writes the file named
 * by GEOMETRIJA_EXIT_MARKER. */
#include <stdio.h>
#include <stdlib.h>

static void writeMarker(void) {
    const char* path = getenv("GEOMETRIJA_EXIT_MARKER");
    if (!path) return;
    FILE* file = fopen(path, "w");
    if (!file) return;
    fputs("exit handlers ran\n", file);
    fclose(file);
}

__attribute__((constructor)) static void registerMarker(void) { atexit(writeMarker); }
