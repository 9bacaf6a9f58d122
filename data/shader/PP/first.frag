#version 120
// Copy of the picture (the program of the shared target; no pass draws with it).
uniform sampler2D source;

void main()
{
    gl_FragColor = texture2D(source, gl_TexCoord[0].st);
}
