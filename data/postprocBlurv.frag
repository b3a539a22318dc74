// Vertical half of the glow blur (after verblur.frag).
// A 9-texel Gaussian along blurStep, read as five linearly filtered
// samples: each off-centre sample lands between two texels with the
// offset that weighs them as the Gaussian does.
const float centreWeight = 0.2270270270;
const float nearWeight = 0.3162162162;
const float farWeight = 0.0702702703;
const float nearOffset = 1.3846153846;
const float farOffset = 3.2307692308;

void main()
{
    vec4 sum = texture2D(tex, uv) * centreWeight;
    sum += texture2D(tex, uv + blurStep * nearOffset) * nearWeight;
    sum += texture2D(tex, uv - blurStep * nearOffset) * nearWeight;
    sum += texture2D(tex, uv + blurStep * farOffset) * farWeight;
    sum += texture2D(tex, uv - blurStep * farOffset) * farWeight;
    // Opaque, so a pass gives the same result whatever blending is on.
    gl_FragColor = vec4(sum.rgb, 1.0);
}
