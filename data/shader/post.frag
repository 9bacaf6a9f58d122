#version 120
// A scene's post pass. Output 0: the picture, its alpha = how much each pixel glows.
// Output 1: the glow source (picture times glow). "fade": on dark paper 0..1 fades in from
// black (below 0 stays black); on light paper it turns block by block to the negative (all
// of it at 0), which fades to black by -1; above 1 is a flash that makes everything glow.
uniform sampler2D picture; // unit 0
uniform float fade;
uniform float paper;       // the scene's paper: 0 dark, 1 light; set once per program

float luma(vec3 c) { return dot(c, vec3(0.299, 0.587, 0.114)); }

void main()
{
    vec4 s = texture2D(picture, gl_TexCoord[0].st);
    bool lightPaper = paper > 0.5;

    vec3 pic;
    float glow;
    if (s.a < 0.5) { // ink: red = shade, green = fog
        vec3 ink = lightPaper ? vec3(0.0, 0.13, 0.16) * (1.0 - s.r)
                              : mix(vec3(0.0, 0.35, 0.4), vec3(0.75, 1.0, 0.97), s.r);
        pic = mix(ink, lightPaper ? vec3(1.0) : vec3(0.0), s.g);
        glow = lightPaper ? 0.0 : 0.3 * (1.0 - s.g);
    } else {
        pic = s.rgb;
        glow = lightPaper ? 0.0 : smoothstep(0.2, 0.8, luma(pic));
    }
    float flash = max(fade - 1.0, 0.0);
    if (lightPaper) {
        // Below 1 the paper turns to its negative block by block, in a fixed random order
        // (all of it at 0), and the negative fades out by -1.
        vec2 block = floor(gl_TexCoord[0].st * vec2(96.0, 54.0));
        float order = fract(sin(dot(block, vec2(12.9898, 78.233))) * 43758.5453);
        float positive = order < fade ? 1.0 : 0.0;
        pic = mix(1.0 - pic, pic, positive) * clamp(1.0 + fade, 0.0, 1.0);
        glow = (1.0 - positive) * 0.6 * luma(pic) + 0.12 * flash;
    } else {
        pic *= clamp(fade, 0.0, 1.0);
        glow = glow * (1.0 + 0.35 * flash);
    }
    gl_FragData[0] = vec4(pic, glow);
    gl_FragData[1] = vec4(pic * glow, 1.0);
}
