#version 120
// The composite onto the window: the picture with a slow wobble, thin tearing bands and a
// chromatic split, plus the glow (the blurred glow and a touch of the sharp glow source);
// highlights are rolled off softly and the corners darkened. The vertical blur has added the
// glow and the picture's green into Texture1, all read at the same place; Texture2 (the glow
// source) is bound but already in there.
uniform sampler2D Texture0; // picture: its red and blue, read to the sides
uniform sampler2D Texture1; // glow plus the picture's green
uniform float timer;          // music time, seconds
uniform float wobble_ammount; // slow sway, about -6..6
uniform float dist_ammount;   // tearing, about -0.6..0.6
uniform float rgb_ammount;    // chromatic split, about -60..60
uniform float fade;           // towards white, 0..1

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    uv.x += sin(uv.y * 6.0 + timer * 1.3) * wobble_ammount * 0.002;
    float band = floor(uv.y * 48.0);
    float tear = fract(sin(band * 12.9898 + floor(timer * 20.0) * 78.233) * 43758.5453) - 0.5;
    uv.x += tear * dist_ammount * 0.015;
    vec2 split = vec2(rgb_ammount * 0.00015, 0.0);
    // The textures repeat: every tap stays inside so the far edge never bleeds in.
    vec2 lo = vec2(0.003), hi = vec2(0.997);
    vec3 c = vec3(texture2D(Texture0, clamp(uv + split, lo, hi)).r, 0.0,
                  texture2D(Texture0, clamp(uv - split, lo, hi)).b);
    c += texture2D(Texture1, clamp(uv, lo, hi)).rgb;
    vec3 over = max(c - 0.9, 0.0);
    c = min(c, 0.9) + 0.1 * (1.0 - exp(-over * 10.0));
    vec2 d = gl_TexCoord[0].st - 0.5;
    c *= 1.0 - dot(d, d) * 0.35;
    gl_FragColor = vec4(mix(c, vec3(1.0), clamp(fade, 0.0, 1.0)), 1.0);
}
