#version 120
// The strip along the tunnel's axis: its world position (drawn in world coordinates).
uniform float timer;
uniform float intensity; // the strip's cell size, units
varying vec3 world;
varying float depth;

void main()
{
    world = gl_Vertex.xyz;
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    depth = -eye.z;
    gl_Position = gl_ProjectionMatrix * eye;
}
