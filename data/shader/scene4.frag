#version 120
// Wireframe in the material's colour pulled towards teal, lit from the viewer's side and
// fading into the dark with distance, with a cold highlight where the line faces the eye and
// a faint beat on the bar. The road's slabs burn brighter so the flexing road reads.
uniform float timer; // scene seconds
varying vec3 normal;
varying vec3 eyePos;
varying float slab;

void main()
{
    vec3 n = normalize(normal);
    vec3 v = normalize(-eyePos);
    float facing = abs(dot(n, v));
    vec3 base = mix(vec3(0.1, 0.75, 0.8), gl_FrontMaterial.diffuse.rgb, 0.55);
    base = mix(base, vec3(0.5, 1.0, 1.0), slab);
    float beat = 1.0 + 0.25 * pow(1.0 - fract(timer / 1.875), 6.0);
    vec3 c = base * (0.35 + 0.65 * facing) * beat + vec3(0.55, 0.9, 1.0) * pow(facing, 12.0) * 0.35;
    float fog = clamp((-eyePos.z - 25.0) / 110.0, 0.0, 1.0);
    gl_FragColor = vec4(c * (1.0 - fog), 1.0);
}
