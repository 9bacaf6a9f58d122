// Procedural city (stub until the builder lands).
#include "effects_city.h"

vlm_procMap *vlm_genProcFromImage(vlm_procMap *map, const char *) { return map; }
void vlm_drawCity(void) {}
VlmProcMapResult vlm_parseProcMap(const unsigned char *, size_t, const char *) { return {}; }
VlmCityGeometry vlm_buildCity(int, int, const float *, const char *) { return {}; }
void vlm_drawCityGeometry(const VlmCityGeometry *, unsigned, unsigned) {}
