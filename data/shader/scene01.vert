#version 120
// Ink for line drawings and letters: positions and normals in eye space, the model's
// texture coordinates passed on for a textured model.
uniform float timer;
varying vec3 normal; // eye space
varying vec3 eyePos; // eye space

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    eyePos = eye.xyz;
    normal = gl_NormalMatrix * gl_Normal;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = gl_ProjectionMatrix * eye;
}
