#version 120
// The horizontal half of the glow blur: a 9-tap Gaussian folded into 5 bilinear fetches,
// spread over twice the texel distance for a wider, cheap glow.
uniform sampler2D source;
uniform int Width; // window size in pixels along the blur

void main()
{
    float step = 2.0 / float(Width);
    vec2 uv = gl_TexCoord[0].st;
    vec2 d1 = 1.3846 * vec2(step, 0.0), d2 = 3.2308 * vec2(step, 0.0);
    vec3 c = texture2D(source, uv).rgb * 0.2270;
    c += (texture2D(source, uv + d1).rgb + texture2D(source, uv - d1).rgb) * 0.3162;
    c += (texture2D(source, uv + d2).rgb + texture2D(source, uv - d2).rgb) * 0.0703;
    gl_FragColor = vec4(c, 1.0);
}
