#version 120
// The tunnel's pipes and rings and the greetings: eye-space position and normal, and the
// current colour, which tells the letters (white) from the models (the model loader's red).
uniform float timer;
varying vec3 normal;
varying vec3 eyePos;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    eyePos = eye.xyz;
    normal = gl_NormalMatrix * gl_Normal;
    gl_FrontColor = gl_Color;
    gl_Position = gl_ProjectionMatrix * eye;
}
