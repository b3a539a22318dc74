#version 120
// The final composite while its boosts are all 0: the finished frame only
// darkens towards the corners, as lolvarlay.frag darkens it. Drawn with a
// multiplying blend (zero, source colour) straight onto the window, so it
// needs neither a copy of the window nor a texture lookup.
varying vec2 uv;

void main()
{
    vec2 d = uv - 0.5;
    gl_FragColor = vec4(vec3(1.0 - dot(d, d) * 0.5), 1.0);
}
