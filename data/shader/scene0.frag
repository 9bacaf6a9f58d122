#version 120
// Teal grid lines on black: every cell edge faintly, every tenth line bright, a pulse
// travelling outwards with the swell, fading into the distance.
uniform float timer;
uniform float intensity;
varying vec3 world;
varying float eyeDepth;

// 1 on the lines of a grid of unit cells, antialiased over one pixel.
float gridLine(vec2 coord)
{
    vec2 w = max(fwidth(coord), vec2(1e-4));
    vec2 g = abs(fract(coord - 0.5) - 0.5) / w;
    return 1.0 - min(min(g.x, g.y), 1.0);
}

void main()
{
    vec2 cell = world.xz / intensity;
    float density = max(fwidth(cell.x), fwidth(cell.y)); // cells per pixel
    float minor = gridLine(cell) * clamp(1.5 - density * 2.0, 0.0, 1.0);
    float major = gridLine(cell / 10.0) * clamp(1.5 - density * 0.2, 0.0, 1.0);
    float r = length(world.xz);
    float pulse = pow(0.5 + 0.5 * sin(r * 0.3 - timer * 1.6), 6.0);
    float fog = exp(-eyeDepth * 0.018);
    vec3 teal = vec3(0.05, 0.85, 0.8);
    vec3 c = teal * (minor * 0.3 + major * 0.95) * (0.45 + 0.9 * pulse);
    c += vec3(0.0, 0.04, 0.05) * pulse;
    gl_FragColor = vec4(c * fog, 1.0);
}
