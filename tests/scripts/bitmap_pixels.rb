# Bitmap's pixel methods as scripts see them, each against values worked out by hand: clamping, fills,
# composition, stretching, gradients, the colour filters, copies and process_color.
def row(bitmap, y = 0)
  (0...bitmap.width).map { |x| bitmap.get_pixel(x, y).to_s }
end

RED = Color.new(255, 0, 0)
BLUE = Color.new(0, 0, 255)

begin
  b = Bitmap.new(32, 32)
  check('size', [b.width, b.height, b.rect.x, b.rect.y, b.rect.width, b.rect.height], [32, 32, 0, 0, 32, 32])
  b.set_pixel(0, 31, Color.new(1, 2, 3, 4))
  check('get_pixel clamps', b.get_pixel(-5, 1000).to_s, '(1,2,3,4)')
  check('set_pixel returns nil', b.set_pixel(99, -3, Color.new(9, 9, 9)), nil)
  check('set_pixel writes the nearest edge', b.get_pixel(31, 0).to_s, '(9,9,9,255)')
  check('get_pixel gives a new colour', b.get_pixel(0, 0).equal?(b.get_pixel(0, 0)), false)

  f = Bitmap.new(100, 100)
  f.fill_rect(-10, 0, 20, 5, Color.new(7, 8, 9))
  check('fill_rect clipped left', [f.get_pixel(0, 0).to_s, f.get_pixel(9, 4).to_s, f.get_pixel(10, 0).alpha,
                                   f.get_pixel(0, 5).alpha], ['(7,8,9,255)', '(7,8,9,255)', 0, 0])
  f.fill_rect(Rect.new(95, 95, 50, 50), Color.new(1, 1, 1, 1))
  check('fill_rect by rectangle', [f.get_pixel(99, 99).to_s, f.get_pixel(94, 99).alpha], ['(1,1,1,1)', 0])
  f.clear_rect(-1, -1, 3, 3)
  check('clear_rect', [f.get_pixel(1, 1).to_s, f.get_pixel(2, 2).to_s], ['(0,0,0,0)', '(7,8,9,255)'])
  f.clear_rect(Rect.new(90, 90, 10, 10))
  check('clear_rect by rectangle', f.get_pixel(99, 99).to_s, '(0,0,0,0)')
  f.clear
  check('clear', f.get_pixel(5, 2).to_s, '(0,0,0,0)')

  red = Bitmap.new(1, 1)
  red.fill_rect(red.rect, RED)
  blue = Bitmap.new(1, 1)
  blue.fill_rect(blue.rect, BLUE)
  blue.blt(0, 0, red, red.rect, 128)
  check('blt at opacity 128', blue.get_pixel(0, 0).to_s, '(128,0,127,255)')
  clear = Bitmap.new(1, 1)
  blue.blt(0, 0, clear, clear.rect)
  check('transparent source changes nothing', blue.get_pixel(0, 0).to_s, '(128,0,127,255)')
  half = Bitmap.new(1, 1)
  half.set_pixel(0, 0, Color.new(0, 255, 0, 128))
  dest = Bitmap.new(1, 1)
  dest.set_pixel(0, 0, Color.new(255, 0, 0, 128))
  dest.blt(0, 0, half, half.rect)
  # sa = 128, da = 127 * 128 / 255 = 63, a = 191; red = 63 * 255 / 191 = 84, green = 128 * 255 / 191 = 170.
  check('blt of translucent onto translucent', dest.get_pixel(0, 0).to_s, '(84,170,0,191)')

  strip = Bitmap.new(2, 1)
  strip.set_pixel(0, 0, RED)
  strip.set_pixel(1, 0, BLUE)
  wide = Bitmap.new(4, 1)
  wide.stretch_blt(wide.rect, strip, strip.rect)
  check('stretch doubles each pixel', row(wide), ['(255,0,0,255)', '(255,0,0,255)', '(0,0,255,255)', '(0,0,255,255)'])
  shifted = Bitmap.new(4, 1)
  shifted.stretch_blt(Rect.new(-2, 0, 4, 1), strip, strip.rect)
  check('stretch from a negative origin', row(shifted), ['(0,0,255,255)', '(0,0,255,255)', '(0,0,0,0)', '(0,0,0,0)'])
  narrow = Bitmap.new(1, 1)
  narrow.stretch_blt(narrow.rect, strip, strip.rect, 255)
  check('stretch shrinks by the nearest pixel', narrow.get_pixel(0, 0).to_s, '(255,0,0,255)')
  empty = Bitmap.new(2, 1)
  empty.stretch_blt(Rect.new(-1, 0, 0, 1), strip, strip.rect)
  check('empty destination draws nothing', row(empty), ['(0,0,0,0)', '(0,0,0,0)'])
  strip.blt(1, 0, strip, Rect.new(0, 0, 1, 1))
  check('blt onto itself', row(strip), ['(255,0,0,255)', '(255,0,0,255)'])

  g = Bitmap.new(4, 2)
  g.gradient_fill_rect(0, 0, 4, 1, Color.new(0, 0, 0), Color.new(255, 255, 255))
  check('horizontal gradient', row(g).map { |c| c }, ['(0,0,0,255)', '(63,63,63,255)', '(127,127,127,255)',
                                                      '(191,191,191,255)'])
  v = Bitmap.new(1, 4)
  v.gradient_fill_rect(v.rect, Color.new(0, 0, 0, 0), Color.new(200, 100, 40, 200), true)
  check('vertical gradient', (0...4).map { |y| v.get_pixel(0, y).to_s },
        ['(0,0,0,0)', '(50,25,10,50)', '(100,50,20,100)', '(150,75,30,150)'])
  clipped = Bitmap.new(2, 1)
  clipped.gradient_fill_rect(-2, 0, 4, 1, Color.new(0, 0, 0), Color.new(255, 255, 255), 1)
  check('clipped gradient keeps its steps', row(clipped), ['(127,127,127,255)', '(191,191,191,255)'])

  hue = Bitmap.new(4, 1)
  hue.set_pixel(0, 0, Color.new(255, 0, 0))
  hue.set_pixel(1, 0, Color.new(0, 255, 0, 77))
  hue.set_pixel(2, 0, Color.new(128, 128, 128))
  hue.set_pixel(3, 0, Color.new(255, 0, 0, 10))
  hue.hue_change(120)
  check('hue change +120', row(hue), ['(0,255,0,255)', '(0,0,255,77)', '(128,128,128,255)', '(0,255,0,10)'])
  hue.hue_change(-240)
  # Green (hue 120) - 240 = -120: a negative hue falls into the last sector, (C, 0, X).
  check('hue change to a negative hue', hue.get_pixel(0, 0).to_s, '(255,0,0,255)')

  blur = Bitmap.new(3, 3)
  blur.set_pixel(1, 1, Color.new(255, 255, 255))
  blur.set_pixel(0, 0, Color.new(9, 9, 9))
  check('blur returns nil', blur.blur, nil)
  # W = 2 * 255; colour 2 * 255 * 255 / W = 255; alpha W / 6 = 85; the border keeps its pixels.
  check('blur', [blur.get_pixel(1, 1).to_s, blur.get_pixel(0, 0).to_s, blur.get_pixel(1, 0).to_s],
        ['(255,255,255,85)', '(9,9,9,255)', '(0,0,0,0)'])
  lit = Bitmap.new(3, 3)
  lit.set_pixel(1, 0, Color.new(200, 0, 0))
  lit.blur
  check('blur of a neighbour', lit.get_pixel(1, 1).to_s, '(200,0,0,42)')

  radial = Bitmap.new(4, 1)
  [[255, 1, 2, 3], [255, 30, 60, 90], [10, 20, 30, 40], [90, 90, 0, 30]].each_with_index do |(a, r, gr, bl), x|
    radial.set_pixel(x, 0, Color.new(r, gr, bl, a))
  end
  radial.radial_blur(360, 2)
  # x = 1 averages the mirrored x = 3 twice and itself once; x = 3 then reads the new x = 1.
  check('radial blur', row(radial), ['(1,2,3,255)', '(70,20,50,145)', '(20,30,40,10)', '(76,13,43,126)'])
  same = Bitmap.new(5, 5)
  same.fill_rect(same.rect, Color.new(10, 20, 30, 40))
  same.radial_blur(45, 7)
  check('radial blur of one colour', same.get_pixel(4, 1).to_s, '(10,20,30,40)')

  original = Bitmap.new(2, 1)
  original.set_pixel(1, 0, Color.new(5, 6, 7, 8))
  copy = original.dup
  original.clear
  check('dup copies pixels', [copy.get_pixel(1, 0).to_s, copy.width, copy.font.equal?(original.font)],
        ['(5,6,7,8)', 2, true])
  check('clone', original.clone.get_pixel(1, 0).to_s, '(0,0,0,0)')

  pc = Bitmap.new(2, 2)
  result = pc.process_color do |pixels|
    check('ColorArray size', pixels.size, 4)
    pixels[3] = Color.new(1, 2, 3, 4)
    pixels[0].green = 77
  end
  check('process_color returns nil', result, nil)
  check('process_color writes', [pc.get_pixel(1, 1).to_s, pc.get_pixel(0, 0).green], ['(1,2,3,4)', 77])
  check('process_color without a block', pc.process_color.class, Enumerator)
  data = "\0" * 16
  pc.process_color { |pixels| pixels.save_data(data, 4) }
  check('save_data', data.bytes[12, 4], [3, 2, 1, 4])

  check('change_tone', [pc.change_tone, pc.change_tone(Tone.new, 1, 2)], [nil, nil])
  check('change_tone changes nothing', pc.get_pixel(1, 1).to_s, '(1,2,3,4)')

  gone = Bitmap.new(2, 2)
  check('dispose', [gone.dispose, gone.disposed?, gone.dispose], [nil, true, nil])
  check('disposed message', error_of { gone.get_pixel(0, 0) }, 'RGSSError: disposed bitmap')
  check('disposed source', error_of { pc.blt(0, 0, gone, pc.rect) }, 'RGSSError: disposed bitmap')
  check('disposed copy', error_of { gone.dup }, 'RGSSError: disposed bitmap')
  check('zero size', error_of { Bitmap.new(0, 10) }, 'RGSSError: failed to create bitmap of 0 x 10')
  check('wrong class', error_of { pc.blt(0, 0, Color.new, pc.rect) }, 'TypeError: can\'t convert Color into Bitmap')
  check('wrong rectangle', error_of { pc.stretch_blt(Tone.new, pc, pc.rect) },
        'TypeError: can\'t convert Tone into Rect')
  check('wrong count', error_of { pc.blt(0, 0, pc) }, 'ArgumentError: wrong number of arguments (given 3, expected 4)')
rescue StandardError, ScriptError => error
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
