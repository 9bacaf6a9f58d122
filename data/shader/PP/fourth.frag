#version 130
// The vertical half of the glow blur (see third.frag), then what the composite adds to the
// picture at the same place: the blurred glow times 1.5 plus a quarter of the sharp glow
// source (picture times glow), and the picture's own green, which the composite reads there
// too (its red and blue it reads a little to the sides). The composite reads all of it
// through one linear filter, so adding them here once per texel saves it two filtered reads
// per pixel. All reads here are at texel centres.
uniform sampler2D source;     // the horizontal blur
uniform sampler2D glowSource; // the picture, its alpha the glow
uniform int Height;           // the window's height; the blur goes by its source's size, which
                              // follows the window once a new size has held (the targets are remade)

// The source `offset` (texture units) along the column at u, as a linear filter reads it;
// the edge texel repeats rather than the texture wrapping round to the far side.
vec3 tap(vec2 uv, float offset, float n)
{
    float lo = 0.5 / n;
    float y = clamp(uv.y + offset, lo, 1.0 - lo) * n - 0.5;
    float i = floor(y);
    return mix(texture2D(source, vec2(uv.x, (i + 0.5) / n)).rgb,
               texture2D(source, vec2(uv.x, (i + 1.5) / n)).rgb, y - i);
}

void main()
{
    vec2 uv = gl_TexCoord[0].st; // a texel centre: the pass fills a target of its source's size
    float n = float(textureSize(source, 0).y);
    float d = 2.4 / n;
    vec3 c = texture2D(source, uv).rgb * 0.375 + (tap(uv, d, n) + tap(uv, -d, n)) * 0.3125;
    vec4 s = texture2D(glowSource, uv);
    gl_FragColor = vec4(c * 1.5 + s.rgb * s.a * 0.25 + vec3(0.0, s.g, 0.0), 1.0);
}
