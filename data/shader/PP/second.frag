#version 120
// The bright pass: the glow source with a small knee cut off. No pass draws with this
// program: the horizontal blur (third.frag) makes each texel's bright value as it reads it.
uniform sampler2D source; // the glow source (picture times glow)

void main()
{
    gl_FragColor = vec4(max(texture2D(source, gl_TexCoord[0].st).rgb - 0.03, 0.0), 1.0);
}
