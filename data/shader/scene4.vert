#version 120
// Placeholder: lit geometry in eye space.
uniform float timer;
uniform float intensity;
varying vec3 normal;

void main()
{
    normal = gl_NormalMatrix * gl_Normal;
    gl_Position = ftransform();
}
