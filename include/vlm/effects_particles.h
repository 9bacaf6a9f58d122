/// @file
/// Particle systems: fixed pools of particles shot from an emitter point along quadratic
/// Bezier arcs to landing points on the ground plane y = 0, drawn as shrinking solid cubes.
/// Owns the table PSYSTEM (64 systems); ids are handed out in order and never reused, and
/// systems live until the process exits. All randomness comes from vlm_random. Reads no files.
///
/// @warning The scale is fixed and large: a particle lands within 10 units of
/// (x + 100 frac(offsetX), 0, z + 100 frac(offsetZ)) (a 20 x 20 patch), its arc's control point
/// lies 0 to 100 units above the emitter (the arc rises up to 50 units from an emitter on the
/// ground), and its cube is 0.7 units at spawn. Around a model a few units across, scale the
/// whole system down with the model-view matrix (the cubes shrink with it):
/// @code
/// glPushMatrix();
/// glTranslatef(0, -3, 0);          // the emitter's place in the scene
/// glScalef(0.15f, 0.15f, 0.15f);   // arcs about 3 by 15 units, cubes 0.1
/// vlm_drawParticleSystem(sparks, 0, 0, 0, 0, 0, 0, 10, seconds * 1.5f);
/// glPopMatrix();
/// @endcode
#pragma once
#include <stdint.h>
#include "vlm_math.h"

#define VLM_MAX_PARTICLE_SYSTEMS 64 ///< capacity of the table PSYSTEM

/// One particle: its arc and its life.
typedef struct {
    vec3 emitter;    ///< start of the arc (Bezier parameter 0)
    vec3 landing;    ///< end of the arc, on y = 0 (parameter 1)
    vec3 control;    ///< above the landing point; pulls the arc upward
    vec3 position;   ///< last position computed for drawing
    float life;      ///< -1 at creation (dead), 1 at spawn, -0.05 per draw; dead while < 0
    float spawnTime; ///< the time argument of the call that spawned it
} vlm_particle;

/// A particle system: a fixed pool of particles.
typedef struct {
    vlm_particle *particles; ///< allocated once at creation, never released
    uint32_t count;          ///< number of particles in the array
} vlm_particleSystem;

/// The table; entries below the next id are created systems, the rest are empty.
extern vlm_particleSystem PSYSTEM[VLM_MAX_PARTICLE_SYSTEMS];

/// Creates a system of `count` dead particles and returns its id (0, 1, 2, ...). Needs no GL
/// context. The 65th creation, or a pool that cannot be allocated, prints a "[!] " message and
/// exits with -1 (status 255).
unsigned int vlm_genParticleSystem(unsigned int count);

/// Spawns up to `spawnLimit` dead particles (in index order) at the emitter (x, y, z), then
/// draws every live particle as a glutSolidCube of life x 0.7 units at its place on its arc at
/// `time` and ages it by 0.05, so a particle is drawn on exactly 20 calls (frames), whatever
/// the time. `time` is in arc units: the arc is walked from emitter (0) to landing point (1)
/// as `time` minus the particle's spawn time goes from 0 to 1, so the caller's rate sets the
/// speed (seconds x 1.5 at 40 frames a second reaches three quarters of the arc). Only the
/// fractional parts of offsetX and offsetZ count (each moves the landing patch by up to 100
/// units); offsetY is unused. The caller sets transform, colour, material and program; each
/// cube is drawn inside glPushMatrix / glPopMatrix, so the matrices are left as they were.
/// An id that no creation returned prints a "[!] " message and exits with -1. Allocates nothing.
void vlm_drawParticleSystem(int id, float x, float y, float z, float offsetX, float offsetY,
                            float offsetZ, int spawnLimit, float time);
