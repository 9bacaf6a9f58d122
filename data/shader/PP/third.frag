#version 130
// The horizontal half of the glow blur, with the bright pass folded in: a 5-texel binomial
// kernel in 3 taps, spread over twice the texel distance for a wider glow at the cost of a
// small one. Each texel's bright value (the picture weighted by its glow, alpha, with a small
// knee cut off) is made here as it is read, so the bright picture never needs a target and a pass of its own. The
// side taps lie on this pixel's row: each one is the mix of two texels of the row as a
// linear filter would make it, from reads at texel centres (unfiltered, 2 instead of 4).
uniform sampler2D source; // the picture, its alpha the glow; read at texel centres
uniform int Width;        // the window's width; the blur goes by its source's size, which
                          // follows the window once a new size has held (the targets are remade)

vec3 bright(vec2 st)
{
    vec4 s = texture2D(source, st);
    return max(s.rgb * s.a - 0.03, 0.0);
}

// The bright picture `offset` (texture units) along the row at height v, as a linear filter
// reads it; the edge texel repeats rather than the texture wrapping round to the far side.
vec3 tap(vec2 uv, float offset, float n)
{
    float lo = 0.5 / n;
    float x = clamp(uv.x + offset, lo, 1.0 - lo) * n - 0.5;
    float i = floor(x);
    return mix(bright(vec2((i + 0.5) / n, uv.y)), bright(vec2((i + 1.5) / n, uv.y)), x - i);
}

void main()
{
    vec2 uv = gl_TexCoord[0].st; // a texel centre: the pass fills a target of its source's size
    float n = float(textureSize(source, 0).x);
    float d = 2.4 / n;
    vec3 c = bright(uv) * 0.375 + (tap(uv, d, n) + tap(uv, -d, n)) * 0.3125;
    gl_FragColor = vec4(c, 1.0);
}
