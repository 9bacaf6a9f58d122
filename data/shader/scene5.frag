#version 120
// Wireframe reactors in their materials' colours with rings of energy climbing their height
// twice a bar, fading into the dark with distance.
uniform float timer;
varying vec3 normal;
varying vec3 eyePos;
varying float height;

void main()
{
    vec3 n = normalize(normal);
    float facing = abs(dot(n, normalize(-eyePos)));
    vec3 base = gl_FrontMaterial.diffuse.rgb * (0.3 + 0.7 * facing);
    float climb = fract(height / 10.0 - timer / 0.9375);
    float ring = pow(1.0 - climb, 10.0);
    vec3 c = base * 0.8 + vec3(0.3, 1.0, 0.95) * ring * 0.8;
    float fog = clamp((-eyePos.z - 20.0) / 120.0, 0.0, 1.0);
    gl_FragColor = vec4(c * (1.0 - fog), 1.0);
}
