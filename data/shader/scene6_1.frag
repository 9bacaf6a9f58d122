#version 120
// Runway lights: dashes along the axis streaming towards -z with the tunnel, with a faint
// centre line between them; they go out with the tunnel in the demo's last seconds.
uniform float timer;
uniform float intensity;
varying vec3 world;
varying float depth;

void main()
{
    float dash = step(0.6, fract((world.z + 24.0 * timer) / (8.0 * intensity)));
    float centre = 1.0 - smoothstep(0.0, 0.45, abs(world.x));
    vec3 c = vec3(0.05, 0.3, 0.35) * centre + vec3(0.6, 1.0, 1.0) * dash * centre;
    float fog = clamp((depth - 10.0) / 80.0, 0.0, 1.0);
    float close = 1.0 - smoothstep(63.75, 66.0, timer);
    gl_FragColor = vec4(c * (1.0 - fog) * close, 1.0);
}
