#version 120
// Bright pass: the picture weighted by its glow (alpha), with a small knee cut off.
uniform sampler2D source;

void main()
{
    vec4 s = texture2D(source, gl_TexCoord[0].st);
    gl_FragColor = vec4(max(s.rgb * s.a - 0.03, 0.0), 1.0);
}
