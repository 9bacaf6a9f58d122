#version 130
// The horizontal half of the glow blur: a 5-texel binomial kernel in 3 bilinear taps, spread
// over twice the texel distance for a wider glow at the cost of a small one. The taps lie on
// this pixel's row, so each one is the mix of two texels of the row, which a linear filter
// reads as four: the mixes are made here from unfiltered reads, 5 of them instead of 12.
uniform sampler2D source;
uniform int Width; // window size in pixels along the blur

// Texel column `i` of a texture `n` wide, repeating as the texture does.
int column(float i, float n)
{
    return int(i - n * floor(i / n));
}

// The source `offset` (texture units) along the blur, as a linear filter reads it; the edge
// texel repeats rather than the texture wrapping round to the far side.
vec3 tap(vec2 uv, float offset, vec2 size, int row)
{
    float lo = 0.5 / float(Width);
    float x = clamp(uv.x + offset, lo, 1.0 - lo) * size.x - 0.5;
    float i = floor(x);
    vec3 a = texelFetch(source, ivec2(column(i, size.x), row), 0).rgb;
    vec3 b = texelFetch(source, ivec2(column(i + 1.0, size.x), row), 0).rgb;
    return mix(a, b, x - i);
}

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    vec2 size = vec2(textureSize(source, 0));
    // The row and column under the pixel: a filtered read there has all its weight on them.
    ivec2 p = ivec2(floor(uv * size));
    float d = 2.0 * 1.2 / float(Width);
    vec3 c = texelFetch(source, p, 0).rgb * 0.375 +
             (tap(uv, d, size, p.y) + tap(uv, -d, size, p.y)) * 0.3125;
    gl_FragColor = vec4(c, 1.0);
}
