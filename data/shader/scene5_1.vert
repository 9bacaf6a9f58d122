#version 120
// The strips at the reactors' feet, wrapped into a band around each reactor: the strip's
// width (x, -2.5..2.5) runs once around at radius 3.6 and its depth (w, -0.1..0.11) becomes
// 2 units of height. The band rises up the reactor over one bar and sinks over the next,
// rippling as it goes, so the dense mesh reads as a shimmering cage of energy.
uniform float timer;
uniform float intensity; // the mesh's cell size, units
varying vec2 cell;       // the cell index of the vertex
varying float ripple;
varying float depth;

void main()
{
    float angle = gl_Vertex.x / 2.5 * 3.14159265;
    float rise = 0.5 - 0.5 * cos(timer * 3.14159265 / 1.875);
    ripple = sin(angle * 6.0 + timer * 5.0);
    float radius = 3.6 + 0.12 * ripple;
    float height = 1.0 + 7.0 * rise + gl_Vertex.z * 10.0 + 0.15 * sin(angle * 3.0 - timer * 3.0);
    vec4 p = vec4(radius * sin(angle), height, radius * cos(angle), 1.0);
    cell = floor(gl_Vertex.xz / intensity + 0.5);
    vec4 eye = gl_ModelViewMatrix * p;
    depth = -eye.z;
    gl_Position = gl_ProjectionMatrix * eye;
}
