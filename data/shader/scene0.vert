#version 120
// The cell plane, flat at y = 0: the swells that roll out from the origin are light only,
// drawn by the fragment stage.
uniform float timer;     // scene time, seconds
uniform float intensity; // cell size, world units
varying vec3 world;      // position on the plane, world units
varying float eyeDepth;  // distance along the view axis

void main()
{
    world = gl_Vertex.xyz;
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    eyeDepth = -eye.z;
    gl_Position = gl_ProjectionMatrix * eye;
}
