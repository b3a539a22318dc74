#version 120
// Point lines: the "col" colour, tinted by the party image (bound on unit 0)
// looked up in screen space so the lines shimmer as they move.
uniform sampler2D tex;
uniform vec4 col;

void main()
{
    vec3 party = texture2D(tex, gl_FragCoord.xy / 256.0).rgb;
    gl_FragColor = vec4(col.rgb * mix(vec3(1.0), party, 0.5), col.a);
}
