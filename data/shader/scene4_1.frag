#version 120
// Dim teal grid lines with bright bands that sweep towards +z at the road's 35 units per
// second, one every five cells, so the floor seems to stream with the road.
uniform float timer;
uniform float intensity;
varying vec3 world;
varying float depth;

void main()
{
    float band = fract((world.z - 35.0 * timer) / (5.0 * intensity));
    float sweep = pow(1.0 - band, 8.0);
    vec3 c = vec3(0.02, 0.22, 0.26) + vec3(0.2, 0.75, 0.8) * sweep;
    float fog = clamp((depth - 15.0) / 90.0, 0.0, 1.0);
    gl_FragColor = vec4(c * (1.0 - fog), 1.0);
}
