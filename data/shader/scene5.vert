#version 120
// The reactors: eye-space position and normal, and the model-space height (0..10) along
// which the energy rises.
uniform float timer;
varying vec3 normal;
varying vec3 eyePos;
varying float height;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    eyePos = eye.xyz;
    normal = gl_NormalMatrix * gl_Normal;
    height = gl_Vertex.y;
    gl_Position = gl_ProjectionMatrix * eye;
}
