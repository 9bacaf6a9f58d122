// Shader programs: GLSL sources (from the packed data file, else from disk) compiled and
// linked into programs. Owns the program table: 63 entries, indices 0..62 in load order,
// never freed. Compile and link failures print the log as a "[/] " warning and go on. With
// -live a loose source file wins over its packed copy and programs can be rebuilt in place.
#pragma once

// Loads, compiles and links a program; either path may be null (fragment only runs with
// the fixed-function vertex stage), not both. Returns the index; a full table is fatal.
int vlm_loadShader(const char *vertexPath, const char *fragmentPath);
void vlm_enableShader(int index);
// Back to the fixed-function pipeline.
void vlm_disableShader(void);
// Sets float uniform `name` with `count` (1..4) values; the GL applies it to the current
// program. 0 is fatal, above 4 prints a message and sends nothing, negative does nothing.
void vlm_shader_sendUniformValue(int index, const char *name, const float *values, int count);
void vlm_shader_sendUniformInt(int index, const char *name, int value);
// A program with a geometry shader (points in, triangle strips of 16 vertices out);
// vertex and geometry paths are required, the fragment path may be null.
int vlm_loadG80Shader(const char *vertexPath, const char *geometryPath, const char *fragmentPath);
// The zero-terminated text of a source file, packed or on disk; malloc'ed, caller owns.
char *loadFile(const char *path);
// Live editing: true when a program was built from the source file `path`.
bool vlm_shaderUsesFile(const char *path);
// Live editing: rebuilds every program built from `path` with `text` (zero-terminated) as that
// file's source, keeping each program's index. A build that fails to compile or link is
// dropped with a "[/] <path> line <n>: " warning and the log; the program keeps its last good
// build. A rebuilt program keeps the values of the float uniforms both builds have (others start
// from their defaults). Returns the number of programs rebuilt.
int vlm_reloadShaderSource(const char *path, const char *text);
// GL program object of a table entry (for tests and diagnostics).
unsigned vlm_shaderProgram(int index);
