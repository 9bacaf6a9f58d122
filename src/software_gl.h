// Which kind of GL this is: a software rasteriser or not. Owns one answer per process.
#pragma once

// Whether this GL is a software rasteriser (llvmpipe, softpipe, swrast), by the renderer's
// name; decided at the first call, with a current context.
bool vlm_softwareGL(void);
