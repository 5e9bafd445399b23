# Thousands of value objects created and dropped while the collector runs at every allocation: records
# are released in any order and none is touched after its object is gone. Minor collections (stress flag
# 1) free the young objects these are, at a cost that lets the test make thousands of them.
kept = []
GC.stress = 1
begin
  2000.times do |i|
    color = Color.new(i % 256, i % 7, 3).dup
    tone = Marshal.load(Marshal.dump(Tone.new(i % 256, -(i % 256), 0, 9)))
    color.set(Color.new(color.red, 1, 2))
    tone.set(tone)
    table = Table.new(2, 2)
    table[1, 1] = i
    kept << [color, tone, table] if (i % 400).zero?
  end
  # Full collections at every allocation as well, for fewer rounds.
  GC.stress = true
  150.times do |i|
    Color.new(i, i, i).dup.set(Color.new)
    Tone._load(Tone.new(i, 0, 0)._dump(0)).set(Tone.new)
  end
ensure
  GC.stress = false
end
GC.start
summary = kept.map { |color, tone, table| [color.red, tone.green, table[1, 1]] }
expected = [0, 400, 800, 1200, 1600].map { |i| [i % 256, -(i % 256), i] }
if summary == expected
  exit 0
else
  $stderr.puts "FAIL: #{summary.inspect}, expected #{expected.inspect}"
  exit 1
end
