#version 120
// Cyan mesh, brighter on the ripple's crests, with a per-cell flicker twelve times a second.
uniform float timer;
uniform float intensity;
varying vec2 cell;
varying float ripple;
varying float depth;

void main()
{
    float flicker = fract(sin(dot(cell, vec2(12.9898, 78.233)) + floor(timer * 12.0)) * 43758.5453);
    vec3 c = mix(vec3(0.0, 0.18, 0.22), vec3(0.25, 0.62, 0.68), 0.5 + 0.5 * ripple);
    c *= 0.6 + 0.4 * flicker;
    float fog = clamp((depth - 20.0) / 120.0, 0.0, 1.0);
    gl_FragColor = vec4(c * (1.0 - fog), 1.0);
}
