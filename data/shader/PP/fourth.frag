#version 130
// The vertical half of the glow blur (see third.frag), then the glow the composite adds to
// the picture: the blurred glow times 1.5 plus a quarter of the sharp glow source. Both are
// read by the composite at the same place through a linear filter, so adding them here once
// per texel saves the composite a filtered read per pixel. All reads are at texel centres.
uniform sampler2D source;     // the horizontal blur
uniform sampler2D glowSource; // the scene's glow source (picture times glow)
uniform int Height;           // the window's height; the blur goes by its source's size instead,
                              // which stays at the loading-time size when the window is resized

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
    gl_FragColor = vec4(c * 1.5 + texture2D(glowSource, uv).rgb * 0.25, 1.0);
}
