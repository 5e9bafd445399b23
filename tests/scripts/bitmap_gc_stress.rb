# Bitmaps, fonts and their colours made and dropped while the collector runs at every allocation: records are
# released in any order, a process_color block keeps its pixels, and nothing is touched after it is gone.
kept = []
GC.stress = true
begin
  60.times do |i|
    bitmap = Bitmap.new(4 + i % 3, 3)
    bitmap.fill_rect(bitmap.rect, Color.new(i, 2, 3))
    copy = bitmap.dup
    bitmap.font = Font.new(['No Such Face', 'Arial'], 10 + i)
    copy.font.out_color = Color.new(i, i, i)
    copy.blt(1, 1, bitmap, Rect.new(0, 0, 2, 2), 128)
    copy.process_color { |pixels| pixels[0] = pixels[1]; bitmap.dispose if i.odd? }
    copy.draw_text(copy.rect, 'a') if i % 20 == 10
    kept << [copy, copy.font.size] if (i % 20).zero?
  end
ensure
  GC.stress = false
end
GC.start
summary = kept.map { |bitmap, size| [bitmap.get_pixel(0, 0).red, bitmap.font.size, size] }
expected = [[0, 24, 24], [20, 24, 24], [40, 24, 24]]
if summary == expected
  exit 0
else
  $stderr.puts "FAIL: #{summary.inspect}, expected #{expected.inspect}"
  exit 1
end
