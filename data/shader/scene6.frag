#version 120
// Filled pipes and rings in their materials' colours, lit from the eye with a sharp
// highlight, and pulses of light running down the tunnel on the beat; far rows sink into
// the dark so the tunnel has depth. The letters are white with a cold edge. The demo's
// last seconds close to black with the music: its last note lets go 63.75 s into the scene,
// which ends at 66 s.
uniform float timer;
varying vec3 normal;
varying vec3 eyePos;

void main()
{
    vec3 n = normalize(normal);
    vec3 v = normalize(-eyePos);
    float facing = abs(dot(n, v));
    vec3 base = gl_FrontMaterial.diffuse.rgb;
    float dist = length(eyePos);
    float pulse = pow(1.0 - fract(dist / 48.0 - timer / 1.875), 12.0);
    vec3 c = base * (0.2 + 0.6 * facing) + vec3(0.7, 0.95, 1.0) * pow(facing, 24.0) * 0.5
           + vec3(0.1, 0.6, 0.65) * pulse * 0.6;
    vec3 letters = mix(vec3(0.3, 0.85, 0.9), vec3(0.95, 1.0, 1.0), 0.4 + 0.6 * facing);
    c = mix(c, letters, gl_Color.g);
    float fog = clamp((dist - 12.0) / 90.0, 0.0, 1.0);
    float close = 1.0 - smoothstep(63.75, 66.0, timer);
    gl_FragColor = vec4(c * (1.0 - fog * fog) * close, 1.0);
}
