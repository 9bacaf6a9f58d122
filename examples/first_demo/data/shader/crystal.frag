#version 120
// Amber glass: brighter where a face turns to the viewer, pulsing gently with the clock.
uniform float time; // seconds, sent by the demo every frame
varying vec3 normal;
varying vec3 eyePos;

void main()
{
    float facing = abs(dot(normalize(normal), normalize(-eyePos)));
    float shade = 0.45 + 0.5 * facing + 0.05 * sin(time * 6.0);
    gl_FragColor = vec4(vec3(1.0, 0.55, 0.1) * shade, 1.0);
}
