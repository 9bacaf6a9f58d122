// Camera tracks: timed eye positions and look angles, eased between keys, plus the edit axes.
// Owns the track table CAMERA_TRACK and the camera slots CAMERA (32 each; ids in creation
// order, never reused or freed). Reads track files from disk only, never from data.vfile.
//
// Track file: one key per line, "%d %f %f %f %f %f %f" = time ms, eye x y z, pitch yaw z (rad).
#pragma once
#include <stdint.h>
#include <stddef.h>
#include <string>
#include "io.h"
#include "vlm_math.h"

#define VLM_MAX_CAMERA_TRACKS 32
#define VLM_MAX_CAMERAS 32
#define VLM_TRACK_EMPTY 0  // cleared edit track: never animated
#define VLM_TRACK_LOADED 2 // read from a file: follows the demo clock

struct CameraTrack {
    vec3 position;         // current eye position
    vec3 rotation;         // current look angles, radians: x = pitch, y = yaw, z carried along
    uint32_t keyCount;     // keys in the key arrays (the room, for a recording track)
    uint32_t recordedKeys; // keys recorded by the editor since creation or loading
    vec3 *keyPositions;    // eye position per key
    vec3 *keyRotations;    // look angles per key, radians
    uint32_t *keyTimes;    // demo clock ms per key, ascending
    uint8_t kind;          // VLM_TRACK_EMPTY or VLM_TRACK_LOADED
    char *path;            // file a loaded track was read from (own copy); null otherwise
};

extern CameraTrack CAMERA_TRACK[VLM_MAX_CAMERA_TRACKS];
extern CameraTrack *CAMERA[VLM_MAX_CAMERAS]; // slot -> track, null until attached
extern int CURRENT_TRACK_ID;                 // the id the next created track takes
extern vec3 null_vec3;                       // (0, 0, 0): start of every track's first segment

// Creates a track and returns its id: kind 2 with a path loads the file (failures exit -1);
// any other call gives an empty track. A 33rd track prints "[!] " and exits -1.
int vlm_genCameraTrack(uint8_t kind, const char *path);
// Attaches track id `track` to slot `camera`; an unknown slot or track prints "[!] ", exits -1.
void vlm_camera_useTrack(int camera, int track);
// Sets the view of slot `camera` with gluLookAt (modelview selected, identity loaded). Outside
// edit mode the track first follows the demo clock; in edit mode the origin axes are drawn.
// A slot without a track does nothing.
void vlm_useCamera(int camera);
// Moves a kind 2 track to `timeMs`: cosine-eased between the keys around it, the origin before
// the first key, holding the last key at and after it. Other kinds are left alone.
void vlm_interpolate_track(CameraTrack *track, uint32_t timeMs);
// Copies the current position / rotation of slot `camera`; a null output is skipped.
void vlm_getCameraTrackPos(int camera, vec3 *position, vec3 *rotation);
// Sets the current position / rotation of slot `camera`; a null input leaves that one alone.
void vlm_setCameraTrackPos(int camera, const vec3 *position, const vec3 *rotation);
// Records the current view of slot `camera` as the next key at `timeMs`; the key arrays grow
// (room for 32 on a fresh track, doubled when full).
void vlm_savePosToTrack(int camera, uint32_t timeMs);
// Writes the recorded keys of slot `camera` to `path`, one "%d %f %f %f %f %f %f \n" line each,
// whole or not at all. On failure (a full disk; "[!] Can't open %s for writing :(" first when
// nothing could be created) it prints why, leaves the old file as it was and returns false:
// the author can free space and save again.
bool vlm_saveTrackToFile(int camera, const char *path);
// Live editing: true when a track was loaded from `path`.
bool vlm_cameraTrackUsesFile(const char *path);
// Live editing: replaces the keys of every track loaded from `path` with those of the track
// text bytes[0..size), keeping each track's id; the camera follows the new keys from the
// current clock. Every line must hold a time and six numbers: otherwise (an empty text too)
// the tracks keep their keys and a "[/] <path> line <n>: " warning is printed. Returns the
// number of tracks reloaded.
int vlm_reloadCameraTrack(const char *path, const char *bytes, size_t size);
// Draws the recorded keys of track id `track` as GL_LINES between consecutive keys.
void vlm_drawTrackPath(int track);
// Draws the axes through the origin, 1000 units long: x blue, y red, z green.
void vlm_drawOrigo(void);

// ---------------------------------------------------------------- parser over bytes

// Parses the track text bytes[0..size) of `path` into *track as a loaded track (kind 2, zero
// position and rotation, nothing recorded). Every line, an empty one too, is a key; a short
// line leaves zeros. Returns false, *outcome failed, on an empty file.
bool trackParse(const char *path, const char *bytes, size_t size, CameraTrack *track,
                VlmParseOutcome *outcome);
