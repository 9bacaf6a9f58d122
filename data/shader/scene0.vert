#version 120
// The cell plane: slow swells roll out from the origin; the fragment stage draws the cells.
uniform float timer;     // scene time, seconds
uniform float intensity; // cell size, world units
varying vec3 world;      // position on the plane, world units
varying float eyeDepth;  // distance along the view axis

void main()
{
    vec4 p = gl_Vertex;
    float r = length(p.xz);
    p.y += 0.5 * sin(r * 0.3 - timer * 1.6) * exp(-r * 0.015);
    world = p.xyz;
    vec4 eye = gl_ModelViewMatrix * p;
    eyeDepth = -eye.z;
    gl_Position = gl_ProjectionMatrix * eye;
}
