#version 120
// The floor grid: world position (the grid is drawn in world coordinates) and eye depth.
uniform float timer;
uniform float intensity; // the grid's cell size, units
varying vec3 world;
varying float depth;

void main()
{
    world = gl_Vertex.xyz;
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    depth = -eye.z;
    gl_Position = gl_ProjectionMatrix * eye;
}
