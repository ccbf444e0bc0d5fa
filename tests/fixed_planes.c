/* Preloaded into the program by the window tests: draws with the near and far planes fixed at 1 and 1000,
 * whatever the program asks for, so a picture can be compared with the one those planes give. Only the
 * 45-degree drawing projection is changed; the provisional one, replaced before the first frame, is not. */
#define _GNU_SOURCE
#include <GL/glu.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

typedef void (*PerspectiveFunction)(GLdouble, GLdouble, GLdouble, GLdouble);

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    static PerspectiveFunction real;
    if (!real) {
        *(void**)(&real) = dlsym(RTLD_NEXT, "gluPerspective");
        if (!real) {
            fputs("fixed_planes: no gluPerspective to forward to\n", stderr);
            abort();
        }
    }
    if (fovy == 45.0) {
        zNear = 1.0;
        zFar = 1000.0;
    }
    real(fovy, aspect, zNear, zFar);
}
