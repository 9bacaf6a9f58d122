#version 120
// Placeholder: teal shaded by the facing of the surface.
uniform float timer;
uniform float intensity;
varying vec3 normal;

void main()
{
    float shade = 0.3 + 0.7 * abs(normalize(normal).z);
    gl_FragColor = vec4(vec3(0.05, 0.8, 0.75) * shade, 1.0);
}
