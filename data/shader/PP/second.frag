#version 130
// Bright pass: the picture weighted by its glow (alpha), with a small knee cut off.
// A linear filter read at a texel's centre puts all its weight on that texel: one unfiltered
// read instead of four.
uniform sampler2D source;

void main()
{
    vec4 s = texelFetch(source, ivec2(floor(gl_TexCoord[0].st * vec2(textureSize(source, 0)))), 0);
    gl_FragColor = vec4(max(s.rgb * s.a - 0.03, 0.0), 1.0);
}
