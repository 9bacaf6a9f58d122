#version 120
// Writes ink, not colour: red = shade (0..1, facing the viewer), green = distance fog (0 near,
// 1 gone), alpha 0 marks the pixel as ink. The post program turns ink into dark lines on light
// paper and glowing teal on dark paper, so one program serves both.
uniform float timer;
varying vec3 normal;
varying vec3 eyePos;

void main()
{
    vec3 n = normalize(normal);
    vec3 v = normalize(-eyePos);
    float shade = 0.35 + 0.65 * abs(dot(n, v));
    float fog = clamp((-eyePos.z - 45.0) / 150.0, 0.0, 1.0);
    gl_FragColor = vec4(shade, fog, 0.0, 0.0);
}
