#version 120
// The car, its particle trails and the road: eye-space position and normal for the fragment
// stage. The road's slabs are the only unit cubes of the scene (every corner at +-0.5 before
// scaling), which is how the fragment stage tells them from the car and the trails.
uniform float timer;
varying vec3 normal;  // eye space
varying vec3 eyePos;  // eye space
varying float slab;   // 1 on the road's slabs

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    eyePos = eye.xyz;
    normal = gl_NormalMatrix * gl_Normal;
    vec3 corner = abs(abs(gl_Vertex.xyz) - 0.5);
    slab = max(max(corner.x, corner.y), corner.z) < 1e-4 ? 1.0 : 0.0;
    gl_Position = gl_ProjectionMatrix * eye;
}
