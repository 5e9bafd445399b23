# Font attributes, class defaults and names, and Bitmap's text methods with the fonts the install script
# provides: measuring, squeezing, alignment, low rectangles, CJK and Latin text.
# [left, right, top, bottom] of the pixels that are not transparent, or nil.
def ink(bitmap)
  xs = []
  ys = []
  bitmap.height.times do |y|
    bitmap.width.times do |x|
      next if bitmap.get_pixel(x, y).alpha.zero?

      xs << x
      ys << y
    end
  end
  xs.empty? ? nil : [xs.min, xs.max, ys.min, ys.max]
end

def plain_bitmap(width, height)
  bitmap = Bitmap.new(width, height)
  bitmap.font.outline = false
  bitmap
end

begin
  font = Font.new
  check('defaults', [font.size, font.bold, font.italic, font.outline, font.shadow, font.pixel, font.color.to_s,
                     font.out_color.to_s], [24, false, false, true, false, false, '(255,255,255,255)', '(0,0,0,128)'])
  check('default names', [Font.default_name, font.name], [%w[黑体 宋体 Arial], %w[黑体 宋体 Arial]])
  font.size = 3
  small = font.size
  font.size = 200
  check('size clamps', [small, font.size], [6, 96])
  check('Font.new with a size', Font.new('Arial', 32).size, 32)
  unknown = ['No Such Face', 'Another Missing Face']
  font.name = unknown
  check('unknown names are kept', font.name.equal?(unknown), true)
  check('name type', error_of { font.name = 1 }, 'TypeError: wrong argument type')
  check('copy normalises names', Font.new(['Only']).dup.name, 'Only')
  check('Font.exist? asks the engine', [Font.exist?('Arial'), Font.exist?('No Such Face')], [false, false])

  italic = Font.new
  italic.italic = true
  check('copy keeps italic', italic.clone.italic, true)
  holder = Bitmap.new(8, 8)
  given = Font.new
  given.size = 30
  returned = holder.send(:font=, given)
  given.size = 12
  check('font= returns a copy', [returned.equal?(given), holder.font.equal?(returned), holder.font.size],
        [false, true, 30])
  check('font= type', error_of { holder.font = Color.new }, "TypeError: can't convert Color into Font")
  check('Marshal of a font', error_of { Marshal.dump(Font.new) }, 'TypeError: no _dump_data is defined for class Font')
  check('Marshal of its colour', Marshal.load(Marshal.dump(Font.new.color)).to_s, '(255,255,255,255)')

  Font.default_size = 40
  Font.default_shadow = true
  Font.default_out_color = Color.new(1, 2, 3, 4)
  made = Font.new
  check('class defaults reach new fonts', [made.size, made.shadow, made.out_color.to_s], [40, true, '(1,2,3,4)'])
  Font.default_size = 24
  Font.default_shadow = false
  Font.default_out_color = Color.new(0, 0, 0, 128)

  measure = Bitmap.new(1, 1)
  empty = measure.text_size('')
  check('text_size of nothing', [empty.x, empty.y, empty.width, empty.height], [0, 0, 0, 0])
  latin = measure.text_size('Hello')
  check('text_size height is the font size', [latin.height, latin.width > 30], [24, true])
  check('text_size of CJK', measure.text_size('漢字テスト').width > 80, true)
  # Bad bytes measure and draw as String#scrub shows them: one replacement character per ill-formed run.
  ["a\xF0\x9F\x98b", "\xE0\x80\x80", "\xE4\xB8\xE4\xB8\xAD"].each do |bad|
    scrubbed = bad.dup.force_encoding('UTF-8').scrub
    check("text_size of #{bad.b.inspect}", measure.text_size(bad).width, measure.text_size(scrubbed).width)
    drawn = [bad, scrubbed].map do |line|
      bitmap = plain_bitmap(200, 30)
      bitmap.draw_text(bitmap.rect, line)
      ink(bitmap)
    end
    check("draw_text of #{bad.b.inspect}", drawn[0], drawn[1])
  end
  check('replacement characters have width',
        measure.text_size("\xE0\x80\x80").width > measure.text_size("\xF0\x9F\x98").width, true)

  text = 'Squeeze me'
  width = measure.text_size(text).width
  full = plain_bitmap(400, 40)
  full.draw_text(0, 0, 400, 40, text)
  fit = plain_bitmap(400, 40)
  check('draw_text returns nil', fit.draw_text(0, 0, width + 2, 40, text), nil)
  long = plain_bitmap(400, 40)
  long.draw_text(0, 0, 10, 40, text)
  full_ink = ink(full)
  fit_ratio = (ink(fit)[1] - ink(fit)[0]).to_f / (full_ink[1] - full_ink[0])
  long_ratio = (ink(long)[1] - ink(long)[0]).to_f / (full_ink[1] - full_ink[0])
  check('text as wide as the rectangle minus 2 is squeezed to 0.85', (fit_ratio - 0.85).abs < 0.04, true)
  check('a very long text is squeezed to 0.6 and overflows', [(long_ratio - 0.6).abs < 0.04, ink(long)[1] > 10],
        [true, true])

  low = plain_bitmap(100, 60)
  low.draw_text(0, 20, 100, 4, 'Hg')
  check('a low rectangle draws from its top', ink(low)[2] >= 20, true)
  tall = plain_bitmap(100, 60)
  tall.draw_text(0, 0, 100, 60, 'H')
  check('text is centred vertically', ink(tall)[2] > 10, true)

  left = plain_bitmap(200, 30)
  left.draw_text(left.rect, 'ab')
  right = plain_bitmap(200, 30)
  right.draw_text(left.rect, 'ab', 2)
  centre = plain_bitmap(200, 30)
  centre.draw_text(0, 0, 200, 30, 'ab', 1)
  check('alignment', [ink(left)[0] < 5, ink(right)[1] > 190, ((ink(centre)[0] + ink(centre)[1]) / 2 - 100).abs < 6],
        [true, true, true])

  cjk = Bitmap.new(160, 32)
  cjk.draw_text(cjk.rect, '漢字のテスト')
  latin_bitmap = Bitmap.new(160, 32)
  latin_bitmap.draw_text(latin_bitmap.rect, 'Latin text')
  check('CJK and Latin text are drawn', [ink(cjk)[1] - ink(cjk)[0] > 80, ink(latin_bitmap)[1] > 60], [true, true])

  grad = plain_bitmap(60, 40)
  grad.font.size = 30
  grad.draw_text_gradient(0, 0, 60, 40, 'I', Color.new(255, 0, 0), Color.new(0, 0, 255))
  box = ink(grad)
  x = (box[0] + box[1]) / 2
  top = grad.get_pixel(x, box[2] + 1)
  bottom = grad.get_pixel(x, box[3] - 1)
  check('gradient from top to bottom', [top.red > top.blue, bottom.blue > bottom.red], [true, true])
  check('draw_text_gradient colour type', error_of { grad.draw_text_gradient(grad.rect, 'a', 1, 2) },
        "TypeError: can't convert Integer into Color")
  converted = plain_bitmap(40, 30)
  converted.draw_text(converted.rect, 42)
  check('text is converted with to_s', ink(converted).nil?, false)
rescue StandardError, ScriptError => error
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
