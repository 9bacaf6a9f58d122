#version 120
// Full-screen pass: texture coordinates of unit 0 straight through.
void main()
{
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
