#version 120
// The horizontal half of the glow blur: a 9-tap Gaussian folded into 5 bilinear fetches,
// spread over twice the texel distance for a wider, cheap glow.
uniform sampler2D source;
uniform int Width; // window size in pixels along the blur

// The source `offset` (texture units) along the blur; the edge texel repeats rather than
// the texture wrapping round to the far side.
vec3 tap(vec2 uv, float offset)
{
    float lo = 0.5 / float(Width);
    return texture2D(source, vec2(clamp(uv.x + offset, lo, 1.0 - lo), uv.y)).rgb;
}

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    float d1 = 2.0 * 1.3846 / float(Width), d2 = 2.0 * 3.2308 / float(Width);
    vec3 c = tap(uv, 0.0) * 0.2270;
    c += (tap(uv, d1) + tap(uv, -d1)) * 0.3162;
    c += (tap(uv, d2) + tap(uv, -d2)) * 0.0703;
    gl_FragColor = vec4(c, 1.0);
}
