// Which kind of GL this is, by the renderer's name.
#include "software_gl.h"
#include <GL/glew.h>
#include <cstring>

bool vlm_softwareGL(void)
{
    static int software = -1;
    if (software < 0) {
        const char *r = (const char *)glGetString(GL_RENDERER);
        software = r && (strstr(r, "llvmpipe") || strstr(r, "softpipe") || strstr(r, "swrast"));
    }
    return software;
}
