// Shader programs: source loading (packed file first, then disk), compile, link, bind and
// uniforms. Compile and link failures print the GL log as a "[/] " warning naming the
// source files; the program is kept and the run goes on.
#include "shader.h"
#include "io.h"
#include "live.h"
#include <GL/glew.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

static const int SHADER_CAPACITY = 63;

// One program: its source texts (own, zero-terminated, kept for the run), the paths they were
// read from (own copies, null for a stage the program lacks) and GL objects.
struct ShaderEntry {
    char *vertexPath;
    char *fragmentPath;
    char *geometryPath;
    char *vertexSource;
    char *fragmentSource;
    char *geometrySource;
    GLuint vertexShader;
    GLuint fragmentShader;
    GLuint geometryShader;
    GLuint program;
};

static ShaderEntry shader[SHADER_CAPACITY];
static int CURRENT_ID = -1;  // index last handed out

static void fail(const char *message)
{
    fputs(message, stdout);
    fflush(stdout);
    exit(-1);
}

char *loadFile(const char *path)
{
    vlm_liveWatchFolderOf(path);
    VlmFile file = vlm_io_readFile(path, VLM_FROM_NONEMPTY_PACKED_OR_DISK);
    if (VLM_LIVE && file.packed) {
        // Live, the loose file is the one being edited: it wins over its packed copy (which is
        // still looked up, so the run says what it always says).
        VlmFile disk = vlm_io_readFile(path, VLM_FROM_DISK);
        if (disk.status == VLM_FILE_READ) {
            free(file.bytes);
            file = disk;
        } else {
            free(disk.bytes);
        }
    }
    if (file.status == VLM_FILE_MISSING) {
        printf("[!] Couldn't load shaderfile %s\n", path);
        fflush(stdout);
        exit(-1);
    }
    if (!file.bytes) fail("[!] Couldn't allocate memory\n");
    return file.bytes;
}

// Takes the next table index; a full table is fatal.
static int nextIndex(bool giveBack)
{
    CURRENT_ID += 1;
    if (CURRENT_ID >= SHADER_CAPACITY) {
        if (giveBack) CURRENT_ID -= 1;
        fail("[!] Maximum amount of shaders reached.\n");
    }
    return CURRENT_ID;
}

static void printLog(const char *what, const char *files, const char *log)
{
    printf("[/] %s failed for %s:\n%s", what, files, log);
    size_t length = strlen(log);
    if (length == 0 || log[length - 1] != '\n') printf("\n");
}

static GLuint compileShader(GLenum type, const char *source, const char *path)
{
    GLuint object = glCreateShader(type);
    glShaderSource(object, 1, &source, nullptr);
    glCompileShader(object);
    GLint compiled = GL_FALSE;
    glGetShaderiv(object, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        char log[4096] = "";
        glGetShaderInfoLog(object, sizeof log, nullptr, log);
        printLog("shader compile", path, log);
    }
    return object;
}

static void linkProgram(GLuint program, const char *files)
{
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[4096] = "";
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        printLog("program link", files, log);
    }
}

// "a + b" naming the source files of a program, for its link warning.
static void describeFiles(char *out, size_t room, const char *a, const char *b, const char *c)
{
    snprintf(out, room, "%s%s%s%s%s", a ? a : "", a && (b || c) ? " + " : "", b ? b : "",
             b && c ? " + " : "", c ? c : "");
}

static char *copyOf(const char *text)
{
    return text ? strdup(text) : nullptr;
}

static void rememberPaths(ShaderEntry *entry, const char *vertex, const char *fragment,
                          const char *geometry)
{
    entry->vertexPath = copyOf(vertex);
    entry->fragmentPath = copyOf(fragment);
    entry->geometryPath = copyOf(geometry);
}

int vlm_loadShader(const char *vertexPath, const char *fragmentPath)
{
    int index = nextIndex(true);
    if (!vertexPath && !fragmentPath) fail("[!] No files given to function loadShader()\n");
    ShaderEntry *entry = &shader[index];
    rememberPaths(entry, vertexPath, fragmentPath, nullptr);
    if (vertexPath) entry->vertexSource = loadFile(vertexPath);
    if (fragmentPath) entry->fragmentSource = loadFile(fragmentPath);
    entry->program = glCreateProgram();
    if (vertexPath) entry->vertexShader = compileShader(GL_VERTEX_SHADER, entry->vertexSource, vertexPath);
    if (fragmentPath)
        entry->fragmentShader = compileShader(GL_FRAGMENT_SHADER, entry->fragmentSource, fragmentPath);
    if (vertexPath) glAttachShader(entry->program, entry->vertexShader);
    if (fragmentPath) glAttachShader(entry->program, entry->fragmentShader);
    char files[512];
    describeFiles(files, sizeof files, vertexPath, fragmentPath, nullptr);
    linkProgram(entry->program, files);
    return index;
}

// Out-of-range indices stand for "no program": binding one gives the fixed-function
// pipeline and a uniform sent through one goes nowhere.
static GLuint programOf(int index)
{
    return index >= 0 && index <= CURRENT_ID ? shader[index].program : 0;
}

static GLint uniformLocation(int index, const char *name)
{
    GLuint program = programOf(index);
    return program ? glGetUniformLocation(program, name) : -1;
}

void vlm_enableShader(int index)
{
    glUseProgram(programOf(index));
}

void vlm_disableShader(void)
{
    glUseProgram(0);
}

void vlm_shader_sendUniformValue(int index, const char *name, const float *values, int count)
{
    GLint location = uniformLocation(index, name);
    if (count > 4) {
        printf("[!] The velmor framework only supports float4\n Any complains? Go to hell.\n");
        return;
    }
    switch (count) {
    case 0:
        fail("[!] vlm_shader_sendUniformValue was given an invalid count-value check argument 4 "
             "and redo.. *sadface* :(\n");
        break;
    case 1: glUniform1f(location, values[0]); break;
    case 2: glUniform2f(location, values[0], values[1]); break;
    case 3: glUniform3f(location, values[0], values[1], values[2]); break;
    case 4: glUniform4f(location, values[0], values[1], values[2], values[3]); break;
    default: break;  // negative: nothing at all
    }
}

void vlm_shader_sendUniformInt(int index, const char *name, int value)
{
    glUniform1i(uniformLocation(index, name), value);
}

// Points in, triangle strips of 16 vertices out. Drivers without the extension entry point
// take these from the shader's layout.
static void setGeometryParameters(GLuint program)
{
    if (!glProgramParameteriEXT) return;
    glProgramParameteriEXT(program, GL_GEOMETRY_INPUT_TYPE_EXT, GL_POINTS);
    glProgramParameteriEXT(program, GL_GEOMETRY_OUTPUT_TYPE_EXT, GL_TRIANGLE_STRIP);
    glProgramParameteriEXT(program, GL_GEOMETRY_VERTICES_OUT_EXT, 16);
}

int vlm_loadG80Shader(const char *vertexPath, const char *geometryPath, const char *fragmentPath)
{
    int index = nextIndex(false);
    if (!vertexPath || !geometryPath)
        fail("[!] vlm_loadG80Shader() required at least one vertex and one geometry shader\n");
    ShaderEntry *entry = &shader[index];
    rememberPaths(entry, vertexPath, fragmentPath, geometryPath);
    entry->program = glCreateProgram();
    entry->vertexSource = loadFile(vertexPath);
    entry->geometrySource = loadFile(geometryPath);
    if (fragmentPath) entry->fragmentSource = loadFile(fragmentPath);
    entry->vertexShader = compileShader(GL_VERTEX_SHADER, entry->vertexSource, vertexPath);
    entry->geometryShader = compileShader(GL_GEOMETRY_SHADER_EXT, entry->geometrySource, geometryPath);
    GLint maxOutputVertices = 0;  // asked for, as drivers expect, but not needed
    glGetIntegerv(GL_MAX_GEOMETRY_OUTPUT_VERTICES_EXT, &maxOutputVertices);
    setGeometryParameters(entry->program);
    if (fragmentPath)
        entry->fragmentShader = compileShader(GL_FRAGMENT_SHADER, entry->fragmentSource, fragmentPath);
    glAttachShader(entry->program, entry->vertexShader);
    glAttachShader(entry->program, entry->geometryShader);
    if (fragmentPath) glAttachShader(entry->program, entry->fragmentShader);
    char files[768];
    describeFiles(files, sizeof files, vertexPath, geometryPath, fragmentPath);
    linkProgram(entry->program, files);
    return index;
}

unsigned vlm_shaderProgram(int index)
{
    return programOf(index);
}

// ================================================================ rebuilding in place

static bool samePath(const char *a, const char *b)
{
    return a && b && strcmp(a, b) == 0;
}

static bool builtFrom(const ShaderEntry *entry, const char *path)
{
    return samePath(entry->vertexPath, path) || samePath(entry->fragmentPath, path) ||
           samePath(entry->geometryPath, path);
}

bool vlm_shaderUsesFile(const char *path)
{
    for (int i = 0; i <= CURRENT_ID; i++)
        if (builtFrom(&shader[i], path)) return true;
    return false;
}

// The source line a GL log names first: "0:12(5): error" (Mesa) or "0(12) : error"; 0 if none.
static int logLine(const char *log)
{
    for (const char *c = log; *c; c++) {
        if (c[0] < '0' || c[0] > '9' || (c[1] != ':' && c[1] != '(')) continue;
        char *end = nullptr;
        long line = strtol(c + 2, &end, 10);
        if (end != c + 2 && (*end == '(' || *end == ')')) return (int)line;
    }
    return 0;
}

// A build that failed: the warning names the file and the line the log points at. Programs
// built from one file fail alike, so a warning the same as the last one is not repeated.
static std::string LAST_WARNING;

static void warnKept(const char *path, const char *what, const char *log)
{
    char head[600];
    int line = logLine(log);
    if (line > 0) snprintf(head, sizeof head, "[/] %s line %d: ", path, line);
    else snprintf(head, sizeof head, "[/] %s: ", path);
    std::string warning = std::string(head) + what +
                          " failed; the programs built from it keep their last good build:\n" + log;
    if (warning.back() != '\n') warning += '\n';
    if (warning == LAST_WARNING) return;
    LAST_WARNING = warning;
    fputs(warning.c_str(), stdout);
}

// One stage of a program: where its path, source and object live, and its shader type.
struct StageRef {
    char **path;
    char **source;
    GLuint *object;
    GLenum type;
};

// The stages of `entry` in attach order: vertex, geometry, fragment.
static void stagesOf(ShaderEntry *entry, StageRef stages[3])
{
    stages[0] = {&entry->vertexPath, &entry->vertexSource, &entry->vertexShader, GL_VERTEX_SHADER};
    stages[1] = {&entry->geometryPath, &entry->geometrySource, &entry->geometryShader,
                 GL_GEOMETRY_SHADER_EXT};
    stages[2] = {&entry->fragmentPath, &entry->fragmentSource, &entry->fragmentShader,
                 GL_FRAGMENT_SHADER};
}

// Compiles `text` for every stage of `next` read from `path`. False, with the warning and
// nothing left behind, when one does not compile.
static bool compileChangedStages(ShaderEntry *next, const char *path, const char *text)
{
    StageRef stages[3];
    stagesOf(next, stages);
    GLuint made[3] = {0, 0, 0};
    for (int s = 0; s < 3; s++) {
        if (!samePath(*stages[s].path, path)) continue;
        made[s] = glCreateShader(stages[s].type);
        glShaderSource(made[s], 1, &text, nullptr);
        glCompileShader(made[s]);
        GLint compiled = GL_FALSE;
        glGetShaderiv(made[s], GL_COMPILE_STATUS, &compiled);
        if (!compiled) {
            char log[4096] = "";
            glGetShaderInfoLog(made[s], sizeof log, nullptr, log);
            warnKept(path, "shader compile", log);
            for (GLuint object : made)
                if (object) glDeleteShader(object);
            return false;
        }
    }
    for (int s = 0; s < 3; s++)
        if (made[s]) *stages[s].object = made[s];
    return true;
}

// Links the stages of `next` into a new program object; 0, with the warning, when it fails.
static GLuint linkRebuilt(const ShaderEntry *next, const char *path)
{
    GLuint program = glCreateProgram();
    if (next->vertexPath) glAttachShader(program, next->vertexShader);
    if (next->geometryPath) {
        glAttachShader(program, next->geometryShader);
        setGeometryParameters(program);
    }
    if (next->fragmentPath) glAttachShader(program, next->fragmentShader);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked) return program;
    char log[4096] = "";
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    warnKept(path, "program link", log);
    glDeleteProgram(program);
    return 0;
}

// Gives the float uniforms (float to vec4) that `from` and `to` both have `from`'s values, so
// that values a program was given once at loading survive a rebuild. Leaves `to` current.
static void keepUniformValues(GLuint from, GLuint to)
{
    GLint count = 0;
    glGetProgramiv(from, GL_ACTIVE_UNIFORMS, &count);
    glUseProgram(to);
    for (GLint i = 0; i < count; i++) {
        char name[256];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(from, (GLuint)i, sizeof name, nullptr, &size, &type, name);
        int components = type == GL_FLOAT ? 1 : type == GL_FLOAT_VEC2 ? 2 : type == GL_FLOAT_VEC3 ? 3
                       : type == GL_FLOAT_VEC4 ? 4 : 0;
        GLint at = glGetUniformLocation(to, name);
        if (!components || size != 1 || at < 0) continue;
        GLfloat value[4];
        glGetUniformfv(from, glGetUniformLocation(from, name), value);
        if (components == 1) glUniform1fv(at, 1, value);
        if (components == 2) glUniform2fv(at, 1, value);
        if (components == 3) glUniform3fv(at, 1, value);
        if (components == 4) glUniform4fv(at, 1, value);
    }
}

// Rebuilds program `index` with `text` as the source of its stages read from `path`. The entry
// changes only when the new build compiles and links; the new build keeps the old one's float
// uniform values.
static bool rebuildProgram(int index, const char *path, const char *text)
{
    ShaderEntry *entry = &shader[index];
    ShaderEntry next = *entry;
    if (!compileChangedStages(&next, path, text)) return false;
    next.program = linkRebuilt(&next, path);
    StageRef oldStages[3], newStages[3];
    stagesOf(entry, oldStages);
    stagesOf(&next, newStages);
    for (int s = 0; s < 3; s++) {
        if (*newStages[s].object == *oldStages[s].object) continue;
        // The build that is not kept loses the objects made for it.
        glDeleteShader(next.program ? *oldStages[s].object : *newStages[s].object);
        if (next.program) {
            free(*oldStages[s].source);
            *newStages[s].source = strdup(text);
        }
    }
    if (!next.program) return false;
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    keepUniformValues(entry->program, next.program);
    glUseProgram((GLuint)current == entry->program ? next.program : (GLuint)current);
    glDeleteProgram(entry->program); // GL frees it once it is no longer current
    *entry = next;
    return true;
}

int vlm_reloadShaderSource(const char *path, const char *text)
{
    int rebuilt = 0;
    LAST_WARNING.clear();
    for (int i = 0; i <= CURRENT_ID; i++)
        if (builtFrom(&shader[i], path) && rebuildProgram(i, path, text)) rebuilt++;
    return rebuilt;
}
