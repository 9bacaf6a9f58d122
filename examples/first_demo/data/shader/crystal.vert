#version 120
// Passes the eye-space normal and position on to the fragment stage.
varying vec3 normal;
varying vec3 eyePos;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    eyePos = eye.xyz;
    normal = gl_NormalMatrix * gl_Normal;
    gl_Position = gl_ProjectionMatrix * eye;
}
