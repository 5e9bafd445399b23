// The effect every 2D draw goes through. Scene objects set the parameters below by name; scripts' shaders
// added with Graphics.add_shader may read them too, so names and meanings stay fixed.

static const float PI = 3.14159265;

texture tex : register(t0);
sampler spriteSampler : register(s0) = sampler_state
{
  Texture = <tex>;
};

texture transitionTexture;
sampler transitionSampler : register(s1) = sampler_state
{
  Texture = <transitionTexture>;
  AddressU = WRAP;
  AddressV = WRAP;
};

float transitionThresholdMin;
float transitionThresholdMax;
float sampWidth;
float sampHeight;
int bushDepth = 0;
float bushOpacity = 0;
float texcoordYBottom = 1.0;
float4 blendColor = float4(0, 0, 0, 0);
float4 tone = float4(0, 0, 0, 0);
float2 texcoordScale = float2(1, 1);
float2 texcoordOffset = float2(0, 0);
float wave_amp = 0;
float wave_speedangle = 0;
float wave_freq = 0;
float wave_phase = 0;

// Every shader writes its colour to all three targets, so the renderer's second target gets a copy.
struct TripleColor
{
  float4 color0 : COLOR0;
  float4 color1 : COLOR1;
  float4 color2 : COLOR2;
};

TripleColor triple(float4 c)
{
  TripleColor o;
  o.color0 = c;
  o.color1 = c;
  o.color2 = c;
  return o;
}

// The wave moves each row sideways by a sine of its height.
float4 samp(float2 coordinate)
{
  coordinate = coordinate * texcoordScale - texcoordOffset;
  // Without a wave the angle may be undefined (frequency 0); skipping it keeps NaN out of the coordinate.
  if (wave_amp != 0)
  {
    int angle = int(wave_speedangle + coordinate.y / sampHeight * (360.0 / wave_freq));
    coordinate.x += wave_amp * sin((angle + wave_phase) * PI / 180.0) * sampWidth;
  }
  return tex2D(spriteSampler, coordinate);
}

float cubic(float y0, float y1, float y2, float y3, float mu)
{
  float a0 = y3 - y2 - y0 + y1;
  float a1 = y0 - y1 - a0;
  float a2 = y2 - y0;
  float a3 = y1;
  return a0 * mu * mu * mu + a1 * mu * mu + a2 * mu + a3;
}

float4 cubic4(float4 y0, float4 y1, float4 y2, float4 y3, float mu)
{
  return float4(cubic(y0.r, y1.r, y2.r, y3.r, mu), cubic(y0.g, y1.g, y2.g, y3.g, mu),
                cubic(y0.b, y1.b, y2.b, y3.b, mu), cubic(y0.a, y1.a, y2.a, y3.a, mu));
}

float4 textureBicubic(float2 coordinate)
{
  float2 texelSize = float2(sampWidth, sampHeight);
  float2 position = coordinate / texelSize - 0.5;
  float2 f = frac(position);
  float2 base = position - f;
  float4 columns[4];
  for (int x = 0; x < 4; x++)
  {
    float u = (base.x + x - 0.5) * texelSize.x;
    float4 t0 = tex2D(spriteSampler, float2(u, (base.y - 0.5) * texelSize.y));
    float4 t1 = tex2D(spriteSampler, float2(u, (base.y + 0.5) * texelSize.y));
    float4 t2 = tex2D(spriteSampler, float2(u, (base.y + 1.5) * texelSize.y));
    float4 t3 = tex2D(spriteSampler, float2(u, (base.y + 2.5) * texelSize.y));
    columns[x] = cubic4(t0, t1, t2, t3, f.y);
  }
  return cubic4(columns[0], columns[1], columns[2], columns[3], f.x);
}

float4 adaptive_samp(float2 coordinate)
{
  float2 texelSize = float2(sampWidth, sampHeight);
  float2 position = coordinate / texelSize - 0.5;
  float2 f = frac(position);
  float2 base = (position - f + 0.5) * texelSize;
  float2 mu = (1.0 - cos(f * PI)) / 2.0;
  float4 topLeft = tex2D(spriteSampler, base);
  float4 topRight = tex2D(spriteSampler, base + float2(texelSize.x, 0));
  float4 bottomLeft = tex2D(spriteSampler, base + float2(0, texelSize.y));
  float4 bottomRight = tex2D(spriteSampler, base + texelSize);
  return lerp(lerp(topLeft, topRight, mu.x), lerp(bottomLeft, bottomRight, mu.x), mu.y);
}

// Video frames arrive as packed blue-green-red bytes, three pixels in four texels, upside down.
float4 videoSamp(float2 coordinate)
{
  coordinate.y = 1.0 - coordinate.y;
  int p = int(round(coordinate.x / sampWidth - 0.5));
  float4 result = float4(0, 0, 0, 1);
  for (int k = 0; k < 3; k++)
  {
    int index = 3 * p + k;
    int texel = index / 4;
    int component = 3 - fmod(index + 1, 4);
    float4 t = tex2D(spriteSampler, float2((texel + 0.5) * sampWidth, coordinate.y));
    float value = t[component];
    if (k == 0) result.b = value;
    else if (k == 1) result.g = value;
    else result.r = value;
  }
  return result;
}

float4 ColorMap(float4 c)
{
  c.rgb = c.rgb * (1.0 - blendColor.a) + blendColor.rgb * blendColor.a;
  return c;
}

float4 ToneMap(float4 c)
{
  float gray = dot(c.rgb, float3(0.3, 0.59, 0.11));
  c.rgb = c.rgb * (1.0 - tone.a) + gray * tone.a;
  c.rgb += tone.rgb;
  return c;
}

float4 BushMap(float4 c, float2 coordinate)
{
  bool inside = bushDepth * sampHeight > texcoordYBottom - coordinate.y;
  c.a *= inside ? bushOpacity : 1.0;
  return c;
}

TripleColor PS(float4 colour : COLOR0, float2 coordinate : TEXCOORD0)
{
  float4 c = samp(coordinate);
  c = ColorMap(c);
  c = BushMap(c, coordinate);
  c *= colour;
  c = ToneMap(c);
  c.rgb *= c.a;
  return triple(c);
}

float4 PSVideo(float4 colour : COLOR0, float2 coordinate : TEXCOORD0) : COLOR0
{
  return videoSamp(coordinate);
}

TripleColor PSColor(float4 colour : COLOR0, float2 coordinate : TEXCOORD0)
{
  float4 c = samp(coordinate);
  return triple(colour.a * colour * c.a);
}

TripleColor PSTransition(float4 colour : COLOR0, float2 coordinate : TEXCOORD0)
{
  float4 c = tex2D(spriteSampler, coordinate);
  float4 t = tex2D(transitionSampler, coordinate);
  c.a = 1.0 - (t.r - transitionThresholdMin) / (transitionThresholdMax - transitionThresholdMin);
  return triple(c);
}

TripleColor PSRenderTarget(float4 colour : COLOR0, float2 coordinate : TEXCOORD0)
{
  float4 c = tex2D(spriteSampler, coordinate) * colour;
  return triple(ToneMap(c));
}

float4 PSRenderTarget_Cubic(float4 colour : COLOR0, float2 coordinate : TEXCOORD0) : COLOR0
{
  return textureBicubic(coordinate);
}

float4 PSRenderTarget_Adaptive(float4 colour : COLOR0, float2 coordinate : TEXCOORD0) : COLOR0
{
  return adaptive_samp(coordinate);
}

TripleColor PSDivideAlpha(float4 colour : COLOR0, float2 coordinate : TEXCOORD0)
{
  float4 c = tex2D(spriteSampler, coordinate) * colour;
  c.rgb /= c.a;
  return triple(ToneMap(c));
}

// [CUSTOM FUNCTIONS]

technique Render
{
  pass AlphaBlend
  {
    AlphaBlendEnable = true;
    BlendOp = Add;
    SrcBlend = One;
    DestBlend = InvSrcAlpha;
    SeparateAlphaBlendEnable = true;
    SrcBlendAlpha = One;
    DestBlendAlpha = InvSrcAlpha;
    PixelShader = compile ps_2_0 PS();
  }
  pass Additive
  {
    AlphaBlendEnable = true;
    BlendOp = Add;
    SrcBlend = One;
    DestBlend = One;
    SeparateAlphaBlendEnable = true;
    SrcBlendAlpha = One;
    DestBlendAlpha = InvSrcAlpha;
    PixelShader = compile ps_2_0 PS();
  }
  pass Subtractive
  {
    AlphaBlendEnable = true;
    BlendOp = RevSubtract;
    SrcBlend = One;
    DestBlend = One;
    SeparateAlphaBlendEnable = true;
    BlendOpAlpha = Add;
    SrcBlendAlpha = One;
    DestBlendAlpha = InvSrcAlpha;
    PixelShader = compile ps_2_0 PS();
  }
  pass ColorFill
  {
    AlphaBlendEnable = true;
    BlendOp = Add;
    SrcBlend = One;
    DestBlend = InvSrcAlpha;
    PixelShader = compile ps_2_0 PSColor();
  }
  pass Transition
  {
    AlphaBlendEnable = true;
    BlendOp = Add;
    SrcBlend = SrcAlpha;
    DestBlend = InvSrcAlpha;
    PixelShader = compile ps_2_0 PSTransition();
  }
  pass RenderTarget
  {
    AlphaBlendEnable = true;
    BlendOp = Add;
    SrcBlend = SrcAlpha;
    DestBlend = InvSrcAlpha;
    SeparateAlphaBlendEnable = true;
    SrcBlendAlpha = SrcAlpha;
    DestBlendAlpha = One;
    PixelShader = compile ps_2_0 PSRenderTarget();
  }
  pass RenderTarget_Cubic
  {
    AlphaBlendEnable = true;
    BlendOp = Add;
    SrcBlend = SrcAlpha;
    DestBlend = InvSrcAlpha;
    SeparateAlphaBlendEnable = true;
    SrcBlendAlpha = SrcAlpha;
    DestBlendAlpha = One;
    PixelShader = compile ps_2_0 PSRenderTarget_Cubic();
  }
  pass RenderTarget_Adaptive
  {
    AlphaBlendEnable = true;
    BlendOp = Add;
    SrcBlend = SrcAlpha;
    DestBlend = InvSrcAlpha;
    SeparateAlphaBlendEnable = true;
    SrcBlendAlpha = SrcAlpha;
    DestBlendAlpha = One;
    PixelShader = compile ps_2_0 PSRenderTarget_Adaptive();
  }
  pass DivideAlpha
  {
    AlphaBlendEnable = true;
    BlendOp = Add;
    SrcBlend = SrcAlpha;
    DestBlend = InvSrcAlpha;
    SeparateAlphaBlendEnable = true;
    SrcBlendAlpha = One;
    DestBlendAlpha = InvSrcAlpha;
    PixelShader = compile ps_2_0 PSDivideAlpha();
  }
  pass Video
  {
    AlphaBlendEnable = true;
    BlendOp = Add;
    SrcBlend = One;
    DestBlend = InvSrcAlpha;
    SeparateAlphaBlendEnable = true;
    SrcBlendAlpha = One;
    DestBlendAlpha = InvSrcAlpha;
    PixelShader = compile ps_2_0 PSVideo();
  }
  pass DivideAlphaOld
  {
    AlphaBlendEnable = true;
    SrcBlend = One;
    DestBlend = InvSrcAlpha;
    PixelShader = compile ps_2_0 PSRenderTarget();
  }
  // [CUSTOM PASSES]
}
