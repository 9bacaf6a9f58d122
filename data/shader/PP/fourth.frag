#version 120
// The vertical half of the glow blur: a 5-texel binomial kernel in 3 bilinear fetches,
// spread over twice the texel distance for a wider glow at the cost of a small one.
uniform sampler2D source;
uniform int Height; // window size in pixels along the blur

// The source `offset` (texture units) along the blur; the edge texel repeats rather than
// the texture wrapping round to the far side.
vec3 tap(vec2 uv, float offset)
{
    float lo = 0.5 / float(Height);
    return texture2D(source, vec2(uv.x, clamp(uv.y + offset, lo, 1.0 - lo))).rgb;
}

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    float d = 2.0 * 1.2 / float(Height);
    vec3 c = tap(uv, 0.0) * 0.375 + (tap(uv, d) + tap(uv, -d)) * 0.3125;
    gl_FragColor = vec4(c, 1.0);
}
