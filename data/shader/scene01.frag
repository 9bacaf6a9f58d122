#version 120
// Writes ink, not colour: red = shade (0..1, facing the viewer), green = distance fog (0 near,
// 1 gone), alpha 0 marks the pixel as ink. The post program turns ink into dark lines on light
// paper and glowing teal on dark paper, so one program serves both.
// With "textured" at 1 the shade also carries the luminance of the texture on unit 0 (a
// model's face shows as darker ink); at 0, its default, no texture is read at all.
uniform float timer;
uniform float textured;   // 0 or 1
uniform sampler2D colourMap; // unit 0
varying vec3 normal;
varying vec3 eyePos;

void main()
{
    vec3 n = normalize(normal);
    vec3 v = normalize(-eyePos);
    float shade = 0.35 + 0.65 * abs(dot(n, v));
    // Light texels keep the full shade and dark ones take it all, so a face stays as bright
    // as untextured ink and its features read through the glow.
    if (textured > 0.5)
        shade *= smoothstep(0.15, 0.6, dot(texture2D(colourMap, gl_TexCoord[0].st).rgb,
                                           vec3(0.299, 0.587, 0.114)));
    float fog = clamp((-eyePos.z - 45.0) / 150.0, 0.0, 1.0);
    gl_FragColor = vec4(shade, fog, 0.0, 0.0);
}
