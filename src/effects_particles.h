// Particle systems: fixed pools of particles shot from an emitter point along quadratic
// Bezier arcs to landing points on the ground plane y = 0, drawn as shrinking solid cubes.
// Owns the table PSYSTEM (64 systems); ids are handed out in order and never reused, and
// systems live until the process exits. All randomness comes from vlm_random.
#pragma once

// Creates a system of `count` dead particles and returns its id (0, 1, 2, ...). The 65th
// creation, or a pool that cannot be allocated, prints a "[!] " message and exits with -1.
unsigned int vlm_genParticleSystem(unsigned int count);

// Spawns up to `spawnLimit` dead particles (in index order) at the emitter (x, y, z), then
// draws every live particle as a glutSolidCube of life x 0.7 at its place on its arc at `time`
// and ages it by 0.05. `time` is in arc units: one unit takes a particle from emitter to
// landing point. Only the fractional parts of offsetX and offsetZ count; offsetY is unused.
// The caller sets transform, material and shader. An id that no creation returned prints
// a "[!] " message and exits with -1.
void vlm_drawParticleSystem(int id, float x, float y, float z, float offsetX, float offsetY,
                            float offsetZ, int spawnLimit, float time);
