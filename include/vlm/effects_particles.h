// Particle systems: fixed pools of particles shot from an emitter point along quadratic
// Bezier arcs to landing points on the ground plane y = 0, drawn as shrinking solid cubes.
// Owns the table PSYSTEM (64 systems); ids are handed out in order and never reused, and
// systems live until the process exits. All randomness comes from vlm_random.
#pragma once
#include <stdint.h>
#include "vlm_math.h"

#define VLM_MAX_PARTICLE_SYSTEMS 64

typedef struct {
    vec3 emitter;    // start of the arc (Bezier parameter 0)
    vec3 landing;    // end of the arc, on y = 0 (parameter 1)
    vec3 control;    // above the landing point; pulls the arc upward
    vec3 position;   // last position computed for drawing
    float life;      // -1 at creation (dead), 1 at spawn, -0.05 per draw; dead while < 0
    float spawnTime; // the time argument of the call that spawned it
} vlm_particle;

typedef struct {
    vlm_particle *particles; // allocated once at creation, never released
    uint32_t count;          // number of particles in the array
} vlm_particleSystem;

// The table; entries below the next id are created systems, the rest are empty.
extern vlm_particleSystem PSYSTEM[VLM_MAX_PARTICLE_SYSTEMS];

// Creates a system of `count` dead particles and returns its id (0, 1, 2, ...). The 65th
// creation, or a pool that cannot be allocated, prints a "[!] " message and exits with -1.
unsigned int vlm_genParticleSystem(unsigned int count);

// Spawns up to `spawnLimit` dead particles (in index order) at the emitter (x, y, z), then
// draws every live particle as a glutSolidCube of life x 0.7 at its place on its arc at `time`
// and ages it by 0.05. `time` is in arc units: one unit takes a particle from emitter to
// landing point. Only the fractional parts of offsetX and offsetZ count; offsetY is unused.
// The caller sets transform, material and shader. An id that no creation returned prints
// a "[!] " message and exits with -1. Allocates nothing.
void vlm_drawParticleSystem(int id, float x, float y, float z, float offsetX, float offsetY,
                            float offsetZ, int spawnLimit, float time);
