// Shader programs: source loading (packed file first, then disk), compile, link, bind and
// uniforms. Compile and link failures print the GL log as a "[/] " warning naming the
// source files; the program is kept and the run goes on.
#include "shader.h"
#include "io.h"
#include <GL/glew.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const int SHADER_CAPACITY = 63;

// One program: its source texts (own, zero-terminated, kept for the run) and GL objects.
struct ShaderEntry {
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
    VlmFile file = vlm_io_readFile(path, VLM_FROM_NONEMPTY_PACKED_OR_DISK);
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

int vlm_loadShader(const char *vertexPath, const char *fragmentPath)
{
    int index = nextIndex(true);
    if (!vertexPath && !fragmentPath) fail("[!] No files given to function loadShader()\n");
    ShaderEntry *entry = &shader[index];
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

int vlm_loadG80Shader(const char *vertexPath, const char *geometryPath, const char *fragmentPath)
{
    int index = nextIndex(false);
    if (!vertexPath || !geometryPath)
        fail("[!] vlm_loadG80Shader() required at least one vertex and one geometry shader\n");
    ShaderEntry *entry = &shader[index];
    entry->program = glCreateProgram();
    entry->vertexSource = loadFile(vertexPath);
    entry->geometrySource = loadFile(geometryPath);
    if (fragmentPath) entry->fragmentSource = loadFile(fragmentPath);
    entry->vertexShader = compileShader(GL_VERTEX_SHADER, entry->vertexSource, vertexPath);
    entry->geometryShader = compileShader(GL_GEOMETRY_SHADER_EXT, entry->geometrySource, geometryPath);
    GLint maxOutputVertices = 0;  // asked for, as drivers expect, but not needed
    glGetIntegerv(GL_MAX_GEOMETRY_OUTPUT_VERTICES_EXT, &maxOutputVertices);
    // Drivers without the extension entry point take these from the shader's layout.
    if (glProgramParameteriEXT) {
        glProgramParameteriEXT(entry->program, GL_GEOMETRY_INPUT_TYPE_EXT, GL_POINTS);
        glProgramParameteriEXT(entry->program, GL_GEOMETRY_OUTPUT_TYPE_EXT, GL_TRIANGLE_STRIP);
        glProgramParameteriEXT(entry->program, GL_GEOMETRY_VERTICES_OUT_EXT, 16);
    }
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
