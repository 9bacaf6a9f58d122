/// @file
/// Shader programs: GLSL sources (from the packed data file, else from disk) compiled and
/// linked into programs. Owns the program table: 63 entries, indices 0..62 in load order,
/// never freed. Compile and link failures print the log as a "[/] " warning and go on. With
/// -live a loose source file wins over its packed copy and programs can be rebuilt in place.
/// Paths are as the demo writes them, from the working directory ("data/shader/x.frag"). Every
/// call but loadFile needs a current GL context.
#pragma once

/// Loads, compiles and links a program (GLSL 1.20 in the compatibility profile suits every
/// driver); either path may be null (a fragment-only program runs with the fixed-function
/// vertex stage), not both. Returns the index (0, 1, ... in load order). A source on neither
/// data.vfile nor disk prints "[!] Couldn't load shaderfile PATH"; both null, or a 64th program
/// ("[!] Maximum amount of shaders reached."), are fatal too: exit -1 (status 255). A compile or
/// link error is only a "[/] " warning with the log: the index is still handed out.
int vlm_loadShader(const char *vertexPath, const char *fragmentPath);
/// Makes program `index` current (glUseProgram); an index never handed out (-1 too) gives the
/// fixed-function pipeline.
void vlm_enableShader(int index);
/// Back to the fixed-function pipeline.
void vlm_disableShader(void);
/// Sets float uniform `name` of program `index` to `count` (1..4) values (glUniform1f..4f).
/// @warning The location is looked up in `index` but the GL sets it in the current program: bind
/// `index` first (vlm_enableShader), or the value lands in another program or nowhere. A name
/// the program lacks is ignored; a count of 0 prints a "[!] " line and exits -1; above 4 prints
/// "[!] The velmor framework only supports float4 ..." and sends nothing; negative does nothing.
void vlm_shader_sendUniformValue(int index, const char *name, const float *values, int count);
/// Sets int uniform `name` (a sampler's texture unit, say) of program `index`, bound first as
/// for vlm_shader_sendUniformValue.
void vlm_shader_sendUniformInt(int index, const char *name, int value);
/// A program with a geometry shader (points in, triangle strips of 16 vertices out);
/// vertex and geometry paths are required, the fragment path may be null. Returns the index;
/// failures as vlm_loadShader.
int vlm_loadG80Shader(const char *vertexPath, const char *geometryPath, const char *fragmentPath);
/// The zero-terminated text of a source file, packed (a non-empty record) or on disk, the loose
/// file first with -live; malloc'ed, the caller frees. Missing on both: "[!] Couldn't load
/// shaderfile PATH" and exit -1. Needs no GL context.
char *loadFile(const char *path);
/// Live editing: true when a program was built from the source file `path`.
bool vlm_shaderUsesFile(const char *path);
/// Live editing: rebuilds every program built from `path` with `text` (zero-terminated) as that
/// file's source, keeping each program's index. A build that fails to compile or link is
/// dropped with a "[/] <path> line <n>: " warning and the log; the program keeps its last good
/// build. A rebuilt program keeps the values of the float uniforms both builds have (others start
/// from their defaults). Returns the number of programs rebuilt.
int vlm_reloadShaderSource(const char *path, const char *text);
/// GL program object of a table entry (for tests and diagnostics); 0 for an index never
/// handed out.
unsigned vlm_shaderProgram(int index);
