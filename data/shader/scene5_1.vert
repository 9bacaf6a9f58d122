#version 120
// The flat strip at each reactor's foot, left where it lies (x -2.5..2.5, w -0.1..0.11 at
// y = 0). Only its light moves: a ripple runs across its width, and a pulse that comes and
// goes with the bar sweeps along it.
uniform float timer;
uniform float intensity; // the mesh's cell size, units
varying vec2 cell;       // the cell index of the vertex
varying float ripple;    // -1..1
varying float depth;     // distance along the view axis

void main()
{
    float across = gl_Vertex.x / 2.5 * 3.14159265;
    float rise = 0.5 - 0.5 * cos(timer * 3.14159265 / 1.875);
    ripple = sin(across * 6.0 + timer * 5.0) * (0.4 + 0.6 * rise);
    cell = floor(gl_Vertex.xz / intensity + 0.5);
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    depth = -eye.z;
    gl_Position = gl_ProjectionMatrix * eye;
}
