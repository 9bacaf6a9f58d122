#version 130
// The vertical half of the glow blur: a 5-texel binomial kernel in 3 bilinear taps, spread
// over twice the texel distance for a wider glow at the cost of a small one. The taps lie on
// this pixel's column, so each one is the mix of two texels of the column, which a linear
// filter reads as four: the mixes are made here from unfiltered reads, 5 of them instead of 12.
uniform sampler2D source;
uniform int Height; // window size in pixels along the blur

// Texel row `i` of a texture `n` high, repeating as the texture does.
int row(float i, float n)
{
    return int(i - n * floor(i / n));
}

// The source `offset` (texture units) along the blur, as a linear filter reads it; the edge
// texel repeats rather than the texture wrapping round to the far side.
vec3 tap(vec2 uv, float offset, vec2 size, int column)
{
    float lo = 0.5 / float(Height);
    float y = clamp(uv.y + offset, lo, 1.0 - lo) * size.y - 0.5;
    float i = floor(y);
    vec3 a = texelFetch(source, ivec2(column, row(i, size.y)), 0).rgb;
    vec3 b = texelFetch(source, ivec2(column, row(i + 1.0, size.y)), 0).rgb;
    return mix(a, b, y - i);
}

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    vec2 size = vec2(textureSize(source, 0));
    // The row and column under the pixel: a filtered read there has all its weight on them.
    ivec2 p = ivec2(floor(uv * size));
    float d = 2.0 * 1.2 / float(Height);
    vec3 c = texelFetch(source, p, 0).rgb * 0.375 +
             (tap(uv, d, size, p.x) + tap(uv, -d, size, p.x)) * 0.3125;
    gl_FragColor = vec4(c, 1.0);
}
