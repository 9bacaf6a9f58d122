// Camera tracks: loading track files, easing the eye between keys, recording and writing keys,
// and the axes and paths drawn while editing.
//
// Index: track table; parser; creating; reloading while live; attaching; using and
// interpolating; recording and writing; drawing.
#include "camera.h"
#include "io.h"
#include "io_save.h"
#include "live.h"
#include "vlm_state.h"
#include <GL/glew.h>
#include <GL/glu.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

CameraTrack CAMERA_TRACK[VLM_MAX_CAMERA_TRACKS];
CameraTrack *CAMERA[VLM_MAX_CAMERAS];
int CURRENT_TRACK_ID = 0;
vec3 null_vec3 = {0, 0, 0};

// Room for a fresh recording track; the arrays double whenever recording fills them.
static const uint32_t RECORDING_ROOM = 32;

// ================================================================ parser

// Key arrays of `count` keys, zero-filled so that short lines leave zeros.
static void allocateKeys(CameraTrack *track, uint32_t count)
{
    track->keyPositions = (vec3 *)calloc(count ? count : 1, sizeof(vec3));
    track->keyRotations = (vec3 *)calloc(count ? count : 1, sizeof(vec3));
    track->keyTimes = (uint32_t *)calloc(count ? count : 1, sizeof(uint32_t));
    if (!track->keyPositions || !track->keyRotations || !track->keyTimes) {
        puts("[!] camera, can't allocate enuff memoriez... is bad");
        exit(-1);
    }
    track->keyCount = count;
}

// Every line counts, an empty one too; a last line without '\n' counts as well.
static uint32_t countLines(const char *bytes, size_t size)
{
    uint32_t lines = 0;
    for (size_t i = 0; i < size; i++)
        if (bytes[i] == '\n') lines++;
    if (size > 0 && bytes[size - 1] != '\n') lines++;
    return lines;
}

// Scans one key line; fields the line does not hold stay 0.
static void scanKey(const char *line, size_t length, CameraTrack *track, uint32_t k)
{
    std::string text(line, strnlen(line, length));
    int timeMs = 0;
    vec3 p = {0, 0, 0}, r = {0, 0, 0};
    sscanf(text.c_str(), "%d %f %f %f %f %f %f", &timeMs, &p.x, &p.y, &p.z, &r.x, &r.y, &r.z);
    track->keyTimes[k] = (uint32_t)timeMs;
    track->keyPositions[k] = p;
    track->keyRotations[k] = r;
}

bool trackParse(const char *path, const char *bytes, size_t size, CameraTrack *track,
                VlmParseOutcome *outcome)
{
    if (size == 0) {
        char message[512];
        snprintf(message, sizeof message, "[!] %s has got a baaaaad filesize... :( \n", path);
        return vlm_parseFail(outcome, message);
    }
    allocateKeys(track, countLines(bytes, size));
    size_t at = 0;
    for (uint32_t k = 0; k < track->keyCount; k++) {
        const char *newline = (const char *)memchr(bytes + at, '\n', size - at);
        size_t length = newline ? (size_t)(newline - (bytes + at)) + 1 : size - at;
        scanKey(bytes + at, length, track, k);
        at += length;
    }
    track->recordedKeys = 0;
    track->position = null_vec3;
    track->rotation = null_vec3;
    track->kind = VLM_TRACK_LOADED;
    return true;
}

// ================================================================ creating and attaching

// Reads a track file whole. A failed read is reported and ends the count: the bytes read so
// far are the track.
static void loadTrackFile(CameraTrack *track, const char *path)
{
    vlm_liveWatchFolderOf(path);
    VlmFile file = vlm_io_readFile(path, VLM_FROM_DISK);
    if (file.status == VLM_FILE_MISSING) {
        printf("[!] Can't open %s :(\n", path);
        exit(-1);
    }
    if (file.status == VLM_FILE_NO_MEMORY) {
        puts("[!] 0x1 Can't allocate memoriez..");
        exit(-1);
    }
    if (file.status != VLM_FILE_READ) printf("[!] %s, error when reading!\n", path);
    VlmParseOutcome outcome;
    trackParse(path, file.bytes ? file.bytes : "", file.size, track, &outcome);
    free(file.bytes);
    vlm_reportOutcome(outcome);
}

int vlm_genCameraTrack(uint8_t kind, const char *path)
{
    if (CURRENT_TRACK_ID >= VLM_MAX_CAMERA_TRACKS) {
        printf("[!] Can't create camera track for %s: the track table holds %d tracks\n",
               path ? path : "(none)", VLM_MAX_CAMERA_TRACKS);
        exit(-1);
    }
    CameraTrack *track = &CAMERA_TRACK[CURRENT_TRACK_ID];
    if (kind == VLM_TRACK_EMPTY) {
        track->position = null_vec3;
        track->rotation = null_vec3;
        track->kind = VLM_TRACK_EMPTY;
    }
    if (kind == VLM_TRACK_LOADED && path) {
        loadTrackFile(track, path);
        track->path = strdup(path);
    }
    return CURRENT_TRACK_ID++;
}

// ================================================================ reloading while live

bool vlm_cameraTrackUsesFile(const char *path)
{
    for (int id = 0; id < CURRENT_TRACK_ID; id++)
        if (CAMERA_TRACK[id].path && strcmp(CAMERA_TRACK[id].path, path) == 0) return true;
    return false;
}

// The first line (from 1) that is not a whole key, or 0 when every line is one. A file that
// ends with a newline has no empty line after it.
static uint32_t firstBadKeyLine(const char *bytes, size_t size)
{
    if (size == 0) return 1;
    size_t at = 0;
    for (uint32_t line = 1; at < size; line++) {
        const char *newline = (const char *)memchr(bytes + at, '\n', size - at);
        size_t length = newline ? (size_t)(newline - (bytes + at)) : size - at;
        std::string text(bytes + at, strnlen(bytes + at, length));
        int timeMs;
        float v[6];
        if (sscanf(text.c_str(), "%d %f %f %f %f %f %f", &timeMs, &v[0], &v[1], &v[2], &v[3],
                   &v[4], &v[5]) != 7)
            return line;
        at += length + 1;
    }
    return 0;
}

// Swaps the keys of `fresh` into `track`; the current position and rotation stay until the
// next use of the camera moves them.
static void takeKeys(CameraTrack *track, CameraTrack *fresh)
{
    free(track->keyPositions);
    free(track->keyRotations);
    free(track->keyTimes);
    track->keyPositions = fresh->keyPositions;
    track->keyRotations = fresh->keyRotations;
    track->keyTimes = fresh->keyTimes;
    track->keyCount = fresh->keyCount;
    track->recordedKeys = 0;
}

int vlm_reloadCameraTrack(const char *path, const char *bytes, size_t size)
{
    if (!vlm_cameraTrackUsesFile(path)) return 0;
    uint32_t bad = firstBadKeyLine(bytes, size);
    if (bad) {
        printf("[/] %s line %u: not a key (time in ms and six numbers); the camera keeps its "
               "previous track\n", path, bad);
        return 0;
    }
    int reloaded = 0;
    for (int id = 0; id < CURRENT_TRACK_ID; id++) {
        CameraTrack *track = &CAMERA_TRACK[id];
        if (!track->path || strcmp(track->path, path) != 0) continue;
        CameraTrack fresh = {};
        VlmParseOutcome outcome;
        if (!trackParse(path, bytes, size, &fresh, &outcome)) continue;
        takeKeys(track, &fresh);
        reloaded++;
    }
    return reloaded;
}

void vlm_camera_useTrack(int camera, int track)
{
    if (camera < 0 || camera >= VLM_MAX_CAMERAS || track < 0 || track >= CURRENT_TRACK_ID) {
        printf("[!] Can't attach camera track %d to camera %d (cameras 0..%d, tracks 0..%d)\n",
               track, camera, VLM_MAX_CAMERAS - 1, CURRENT_TRACK_ID - 1);
        exit(-1);
    }
    CAMERA[camera] = &CAMERA_TRACK[track];
}

// The track in slot `camera`, or null for an empty or unknown slot.
static CameraTrack *trackInSlot(int camera)
{
    if (camera < 0 || camera >= VLM_MAX_CAMERAS) return nullptr;
    return CAMERA[camera];
}

// ================================================================ using and interpolating

// Looks from the eye along yaw (about y) and pitch; the direction is deliberately not
// normalised: pitch lifts the centre by sin(pitch) without shortening the horizontal part.
static void lookFrom(const CameraTrack *track)
{
    const vec3 &p = track->position, &r = track->rotation;
    gluLookAt(p.x, p.y, p.z, p.x + sin(r.y), p.y + sin(r.x), p.z + cos(r.y), 0, 1, 0);
}

// The demo clock truncated to whole ms; anything that is not a count of ms reads as 0.
static uint32_t clockMs(void)
{
    float ms = vlm_Get(VLM_GET_TIME_MS);
    return ms > 0 && ms < 4294967295.0f ? (uint32_t)ms : 0;
}

void vlm_useCamera(int camera)
{
    CameraTrack *track = trackInSlot(camera);
    if (!track) return;
    if (vlm_Get(VLM_GET_EDIT_MODE) != 0) {
        lookFrom(track);
        vlm_drawOrigo();
        return;
    }
    vlm_interpolate_track(track, clockMs());
    lookFrom(track);
}

void vlm_interpolate_track(CameraTrack *track, uint32_t timeMs)
{
    if (track->kind != VLM_TRACK_LOADED || track->keyCount == 0) return;
    uint32_t i = 0;
    while (i < track->keyCount && track->keyTimes[i] <= timeMs) i++;
    if (i == track->keyCount) {
        // No later key: hold the last one.
        track->position = track->keyPositions[i - 1];
        track->rotation = track->keyRotations[i - 1];
        return;
    }
    uint32_t startMs = i == 0 ? 0 : track->keyTimes[i - 1];
    const vec3 *startPosition = i == 0 ? &null_vec3 : &track->keyPositions[i - 1];
    const vec3 *startRotation = i == 0 ? &null_vec3 : &track->keyRotations[i - 1];
    float elapsed = (float)((timeMs - startMs) / 1000.0);
    float length = (float)((track->keyTimes[i] - startMs) / 1000.0);
    float f = elapsed / length;
    vlm_vec3_cos_interpolate(startRotation, &track->keyRotations[i], &track->rotation, f);
    vlm_vec3_cos_interpolate(startPosition, &track->keyPositions[i], &track->position, f);
}

void vlm_getCameraTrackPos(int camera, vec3 *position, vec3 *rotation)
{
    CameraTrack *track = trackInSlot(camera);
    if (!track) return;
    if (position) *position = track->position;
    if (rotation) *rotation = track->rotation;
}

void vlm_setCameraTrackPos(int camera, const vec3 *position, const vec3 *rotation)
{
    CameraTrack *track = trackInSlot(camera);
    if (!track) return;
    if (position) track->position = *position;
    if (rotation) track->rotation = *rotation;
}

// ================================================================ recording and writing

// Copies the keys into arrays of `room` keys (room > recorded keys).
static void growKeys(CameraTrack *track, uint32_t room)
{
    CameraTrack grown = *track;
    allocateKeys(&grown, room);
    uint32_t keep = track->recordedKeys;
    if (keep > 0) {
        memcpy(grown.keyPositions, track->keyPositions, keep * sizeof(vec3));
        memcpy(grown.keyRotations, track->keyRotations, keep * sizeof(vec3));
        memcpy(grown.keyTimes, track->keyTimes, keep * sizeof(uint32_t));
    }
    free(track->keyPositions);
    free(track->keyRotations);
    free(track->keyTimes);
    *track = grown;
}

void vlm_savePosToTrack(int camera, uint32_t timeMs)
{
    CameraTrack *track = trackInSlot(camera);
    if (!track) return;
    if (track->keyCount < 2) {
        track->recordedKeys = 0;
        growKeys(track, RECORDING_ROOM);
    }
    if (track->recordedKeys >= track->keyCount) growKeys(track, 2 * track->keyCount);
    uint32_t k = track->recordedKeys++;
    track->keyPositions[k] = track->position;
    track->keyRotations[k] = track->rotation;
    track->keyTimes[k] = timeMs;
}

// The track file text of the recorded keys, one "%d %f %f %f %f %f %f \n" line each.
static std::string trackText(const CameraTrack *track)
{
    std::string text;
    char line[512];
    for (uint32_t k = 0; track && k < track->recordedKeys; k++) {
        const vec3 &p = track->keyPositions[k], &r = track->keyRotations[k];
        snprintf(line, sizeof line, "%d %f %f %f %f %f %f \n", (int)track->keyTimes[k],
                 (double)p.x, (double)p.y, (double)p.z, (double)r.x, (double)r.y, (double)r.z);
        text += line;
    }
    return text;
}

bool vlm_saveTrackToFile(int camera, const char *path)
{
    std::string text = trackText(trackInSlot(camera));
    int error = 0;
    VlmSaveResult result = vlm_io_saveFile(path, text.data(), text.size(), &error);
    if (result == VLM_SAVED) return true;
    if (result == VLM_SAVE_CANNOT_OPEN) printf("[!] Can't open %s for writing :(\n", path);
    fputs(vlm_io_saveFailure(path, error).c_str(), stdout);
    fflush(stdout);
    return false;
}

// ================================================================ drawing

void vlm_drawTrackPath(int track)
{
    if (track < 0 || track >= CURRENT_TRACK_ID) return;
    const CameraTrack &t = CAMERA_TRACK[track];
    if (t.keyCount < 2) return;
    glBegin(GL_LINES);
    for (uint32_t k = 0; k + 1 < t.recordedKeys; k++) {
        glVertex3f(t.keyPositions[k].x, t.keyPositions[k].y, t.keyPositions[k].z);
        glVertex3f(t.keyPositions[k + 1].x, t.keyPositions[k + 1].y, t.keyPositions[k + 1].z);
    }
    glEnd();
}

void vlm_drawOrigo(void)
{
    glBegin(GL_LINES);
    glColor3f(0, 0, 1);
    glVertex3f(-500, 0, 0);
    glVertex3f(500, 0, 0);
    glColor3f(1, 0, 0);
    glVertex3f(0, -500, 0);
    glVertex3f(0, 500, 0);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, -500);
    glVertex3f(0, 0, 500);
    glEnd();
}
