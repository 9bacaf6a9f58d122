// Particle systems: the PSYSTEM table, spawning from the shared vlm_random sequence, drawing.
#include "effects_particles.h"
#include "noise.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

vlm_particleSystem PSYSTEM[VLM_MAX_PARTICLE_SYSTEMS];
static int CURRENT_ID = 0; // the id the next creation takes

unsigned int vlm_genParticleSystem(unsigned int count)
{
    int id = CURRENT_ID;
    CURRENT_ID += 1;
    if (id + 1 > VLM_MAX_PARTICLE_SYSTEMS) {
        puts("[!] no go, can't create that many particle systems. system will def go capoof. "
             ":( and.. kittens will cry");
        exit(-1);
    }
    // At least one record so that an empty system is not mistaken for a failed allocation.
    vlm_particle *particles = (vlm_particle *)calloc(count ? count : 1, sizeof(vlm_particle));
    if (!particles) {
        puts("[!] particlesystem() Couldn't allocate enuff memoryzorz. is bad.");
        exit(-1);
    }
    for (uint32_t j = 0; j < count; j++) particles[j].life = -1.0f;
    PSYSTEM[id].particles = particles;
    PSYSTEM[id].count = count;
    return (unsigned int)id;
}

// Starts a dead particle at the emitter; draws three values of vlm_random: landing x, landing
// z, then the arc's height. Landing points scatter +-10 units around (x + 100 fx, 0, z + 100 fz).
static void spawnParticle(vlm_particle *p, float x, float y, float z, float fx, float fz,
                          float time)
{
    p->spawnTime = time;
    p->life = 1.0f;
    p->emitter.x = x;
    p->emitter.y = y;
    p->emitter.z = z;
    float r1 = vlm_random();
    p->landing.x = (float)(((double)r1 / 10 + fx) * 100 + x);
    p->landing.y = 0.0f;
    float r2 = vlm_random();
    p->landing.z = (float)(((double)r2 / 10 + fz) * 100 + z);
    p->control.x = p->landing.x;
    float r3 = vlm_random();
    p->control.y = (float)(((double)r3 + 1) * 50 + y);
    p->control.z = p->landing.z;
}

// Draws a live particle where its arc is at `time` and ages it; with single-precision life a
// particle is drawn exactly 20 times (0.7 down to about 0.035) before it is dead again.
static void drawParticle(vlm_particle *p, float time)
{
    glPushMatrix();
    vlm_bezierCurve(p->landing, p->control, p->emitter, &p->position, time - p->spawnTime);
    glTranslatef(p->position.x, p->position.y, p->position.z);
    glutSolidCube((double)p->life * 0.7);
    p->life = (float)(p->life - 0.05);
    glPopMatrix();
}

void vlm_drawParticleSystem(int id, float x, float y, float z, float offsetX, float offsetY,
                            float offsetZ, int spawnLimit, float time)
{
    if (id < 0 || id >= CURRENT_ID || id >= VLM_MAX_PARTICLE_SYSTEMS) {
        printf("[!] vlm_drawParticleSystem: no particle system with id %d\n", id);
        exit(-1);
    }
    vlm_particleSystem *system = &PSYSTEM[id];
    float fx = offsetX - truncf(offsetX);
    float fz = offsetZ - truncf(offsetZ);
    int spawned = 0;
    for (uint32_t j = 0; j < system->count; j++) {
        vlm_particle *p = &system->particles[j];
        if (p->life < 0) {
            spawned += 1;
            if (spawned > spawnLimit) continue;
            spawnParticle(p, x, y, z, fx, fz, time);
        }
        if (p->life > 0) drawParticle(p, time);
    }
}
