// Particle systems: the PSYSTEM table, spawning from the shared vlm_random sequence, drawing.
#include "effects_particles.h"

unsigned int vlm_genParticleSystem(unsigned int count)
{
    static unsigned int next = 0;
    return next++;
}

void vlm_drawParticleSystem(int id, float x, float y, float z, float offsetX, float offsetY,
                            float offsetZ, int spawnLimit, float time)
{
}
