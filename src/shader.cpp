// Shader programs (stub until the loader lands).
#include "shader.h"
int vlm_loadShader(const char *, const char *) { return 0; }
void vlm_enableShader(int) {}
void vlm_disableShader(void) {}
void vlm_shader_sendUniformValue(int, const char *, const float *, int) {}
void vlm_shader_sendUniformInt(int, const char *, int) {}
int vlm_loadG80Shader(const char *, const char *, const char *) { return 0; }
char *loadFile(const char *) { return nullptr; }
unsigned vlm_shaderProgram(int) { return 0; }
