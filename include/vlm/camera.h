/// @file
/// Camera tracks: timed eye positions and look angles, eased between keys, plus the edit axes.
/// Owns the track table CAMERA_TRACK and the camera slots CAMERA (32 each; ids in creation
/// order, never reused or freed). Reads track files from disk only (relative to the working
/// directory), never from data.vfile.
///
/// Track file: one key per line, "%d %f %f %f %f %f %f" = time (ms of the demo clock, not scene
/// time), eye x y z, then pitch, yaw and roll in radians. The eye looks along
/// (sin yaw, sin pitch, cos yaw) with y up: yaw 0 looks along +z, pitch lifts the look without
/// shortening its horizontal part, so the view tilts at most 45 degrees up or down (at pitch
/// +-pi/2); roll is kept and never used. Every line is a key, an empty one too (time 0, at
/// the origin).
#pragma once
#include <stdint.h>
#include <stddef.h>
#include <string>
#include "io.h"
#include "vlm_math.h"

#define VLM_MAX_CAMERA_TRACKS 32 ///< capacity of the track table CAMERA_TRACK
#define VLM_MAX_CAMERAS 32       ///< camera slots in CAMERA, numbered 0..31
#define VLM_TRACK_EMPTY 0  ///< cleared edit track: never animated
#define VLM_TRACK_LOADED 2 ///< read from a file: follows the demo clock

/// One camera track: its keys and where the camera stands now.
struct CameraTrack {
    vec3 position;         ///< current eye position
    vec3 rotation;         ///< current look angles, radians: x = pitch, y = yaw, z carried along
    uint32_t keyCount;     ///< keys in the key arrays (the room, for a recording track)
    uint32_t recordedKeys; ///< keys recorded by the editor since creation or loading
    vec3 *keyPositions;    ///< eye position per key
    vec3 *keyRotations;    ///< look angles per key, radians
    uint32_t *keyTimes;    ///< demo clock ms per key, ascending
    uint8_t kind;          ///< VLM_TRACK_EMPTY or VLM_TRACK_LOADED
    char *path;            ///< file a loaded track was read from (own copy); null otherwise
};

/// The track table; ids below CURRENT_TRACK_ID are created tracks.
extern CameraTrack CAMERA_TRACK[VLM_MAX_CAMERA_TRACKS];
extern CameraTrack *CAMERA[VLM_MAX_CAMERAS]; ///< slot -> track, null until attached
extern int CURRENT_TRACK_ID;                 ///< the id the next created track takes
extern vec3 null_vec3;                       ///< (0, 0, 0): start of every track's first segment

/// Creates a track and returns its id (0, 1, ... in creation order). VLM_TRACK_LOADED with a
/// path reads that file from disk: a missing file prints "[!] Can't open PATH :(", an empty one
/// "[!] PATH has got a baaaaad filesize... :( ", and both exit -1 (status 255). Any other call
/// gives a track without keys. A 33rd track prints "[!] Can't create camera track ..." and
/// exits -1. Needs no GL context.
/// @code
/// vlm_camera_useTrack(0, vlm_genCameraTrack(VLM_TRACK_LOADED, "data/camera/orbit.vtrack"));
/// @endcode
int vlm_genCameraTrack(uint8_t kind, const char *path);
/// Attaches track id `track` to slot `camera` (0..31); a slot may change tracks at any time. An
/// unknown slot or track prints "[!] Can't attach camera track ..." and exits -1.
void vlm_camera_useTrack(int camera, int track);
/// Moves the track of slot `camera` to the demo clock (vlm_interpolate_track at vlm_getTime) and
/// multiplies the current matrix by its gluLookAt view (up is +y). In edit mode (-e) the track
/// stays where the editor put it and the origin's axes are drawn after the view (vlm_drawOrigo,
/// current colour left green). A slot without a track does nothing.
///
/// @warning It neither selects the model-view matrix nor loads the identity: the caller does,
/// before it. vlm_enableFBO leaves exactly that state; anywhere else, or after other transforms,
/// the view is multiplied onto whatever matrix is current:
/// @code
/// glMatrixMode(GL_MODELVIEW);
/// glLoadIdentity();
/// vlm_useCamera(0);
/// // the scene's own transforms after the view, inside glPushMatrix / glPopMatrix
/// @endcode
/// The view cannot look down (or up) more than 45 degrees (see the file's track format); for a
/// steeper view, read the eased place with vlm_getCameraTrackPos after vlm_useCamera and call
/// gluLookAt yourself with a direction of your own, on an identity model-view.
void vlm_useCamera(int camera);
/// Moves a VLM_TRACK_LOADED track's position and rotation to `timeMs` (demo clock): cosine-eased
/// between the keys around it, from the origin (position and angles 0) at 0 ms to the first
/// key before it, holding the last key at and after it. Keys are walked in file order and
/// must rise in time. Other kinds, and tracks without keys, are left alone. No GL call.
void vlm_interpolate_track(CameraTrack *track, uint32_t timeMs);
/// Copies the current position / rotation (radians) of slot `camera`; a null output is
/// skipped, and an empty or unknown slot leaves both outputs as they were.
void vlm_getCameraTrackPos(int camera, vec3 *position, vec3 *rotation);
/// Sets the current position / rotation (radians) of slot `camera`; a null input leaves that
/// one alone. The next vlm_useCamera outside edit mode moves the track to the clock again.
void vlm_setCameraTrackPos(int camera, const vec3 *position, const vec3 *rotation);
/// Records the current view of slot `camera` as the next key at `timeMs` (ms); the key arrays
/// grow (room for 32 on a track with fewer than 2 keys, which drops them, doubled when full).
/// An empty or unknown slot does nothing.
void vlm_savePosToTrack(int camera, uint32_t timeMs);
/// Writes the recorded keys of slot `camera` to `path` (only those recorded, not the loaded
/// ones), one "%d %f %f %f %f %f %f \n" line each,
/// whole or not at all. On failure (a full disk; "[!] Can't open %s for writing :(" first when
/// nothing could be created) it prints why, leaves the old file as it was and returns false:
/// the author can free space and save again.
bool vlm_saveTrackToFile(int camera, const char *path);
/// Live editing: true when a track was loaded from `path`.
bool vlm_cameraTrackUsesFile(const char *path);
/// Live editing: replaces the keys of every track loaded from `path` with those of the track
/// text bytes[0..size), keeping each track's id; the camera follows the new keys from the
/// current clock. Every line must hold a time and six numbers: otherwise (an empty text too)
/// the tracks keep their keys and a "[/] <path> line <n>: " warning is printed. Returns the
/// number of tracks reloaded.
int vlm_reloadCameraTrack(const char *path, const char *bytes, size_t size);
/// Draws the recorded keys of track id `track` as GL_LINES between consecutive keys, in the
/// current colour and transform; an unknown id or a track with fewer than 2 keys draws nothing.
void vlm_drawTrackPath(int track);
/// Draws the axes through the origin of the current transform, 1000 units long, as GL_LINES:
/// x blue, y red, z green. Leaves the current colour green (0, 1, 0).
void vlm_drawOrigo(void);

// ---------------------------------------------------------------- parser over bytes

/// Parses the track text bytes[0..size) of `path` into *track as a loaded track (kind 2, zero
/// position and rotation, nothing recorded). Every line, an empty one too, is a key; a short
/// line leaves zeros. Returns false, *outcome failed, on an empty file.
bool trackParse(const char *path, const char *bytes, size_t size, CameraTrack *track,
                VlmParseOutcome *outcome);
