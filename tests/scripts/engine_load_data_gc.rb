# load_data keeps a data file's bytes alive until unmarshalling ends: data files of a few megabytes, as large
# databases are, loaded while the collector runs at every allocation (GC.stress), then loaded again without it
# while garbage piles up between the loads.
SIDE = 700 # a 700 x 700 table: its _load payload alone is about 1 MB

def database(seed)
  table = Table.new(SIDE, SIDE)
  table[SIDE - 1, SIDE - 1] = seed
  [seed, 'x' * (2 << 20) + seed.to_s, table, Array.new(40) { |i| "entry #{seed}/#{i}" }]
end

def intact?(data, seed)
  data[0] == seed && data[1].bytesize == (2 << 20) + seed.to_s.bytesize && data[1].end_with?(seed.to_s) &&
    data[2].xsize == SIDE && data[2][SIDE - 1, SIDE - 1] == seed && data[3][39] == "entry #{seed}/39"
end

names = (1..3).map do |seed|
  name = "Data/Database#{seed}.rvdata2"
  save_data(database(seed), name)
  name
end
check('the files are several megabytes', names.map { |name| File.size(name) > 3_000_000 }, [true] * 3)

GC.stress = true
loaded = names.each_with_index.map { |name, index| intact?(load_data(name), index + 1) }
GC.stress = false
check('loaded under GC.stress', loaded, [true] * 3)

garbage = nil
loaded = Array.new(6) do |round|
  data = load_data(names[round % 3])
  garbage = Array.new(50_000) { |i| "garbage #{round}/#{i}" }
  intact?(data, round % 3 + 1)
end
check('loaded between heaps of garbage', loaded, [true] * 6)
check('the garbage was made', garbage.size, 50_000)
finish
