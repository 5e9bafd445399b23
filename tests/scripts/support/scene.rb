# Shared by the scene tests: solid bitmaps, colour checks within rounding, objects disposed after each case, and
# the run of every case once plainly and once under GC.stress.

def solid(color, width = 8, height = 8)
  bitmap = Bitmap.new(width, height)
  bitmap.fill_rect(bitmap.rect, color)
  bitmap
end

def rgb(color)
  [color.red.to_i, color.green.to_i, color.blue.to_i]
end

def check_near(what, color, expected, tolerance = 1)
  got = rgb(color)
  close = got.zip(expected).all? { |value, want| (value - want).abs <= tolerance }
  $failures << "#{what}: got #{got.inspect}, expected #{expected.inspect} within #{tolerance}" unless close
end

# Remembers a scene object for clear_scene.
def made(object)
  ($made ||= []) << object
  object
end

def clear_scene
  ($made || []).reverse_each { |object| object.dispose unless object.disposed? }
  $made = []
end

# Calls each case method with the pass's name ('plain', then 'GC.stress'); a case that raises is a failure, and
# what it made is disposed after it.
def run_scene_cases(cases)
  ['plain', 'GC.stress'].each do |pass|
    GC.stress = pass != 'plain'
    begin
      cases.each do |name|
        send(name, pass)
      rescue StandardError => error
        $failures << "#{pass} #{name}: #{error.class}: #{error.message}"
      ensure
        clear_scene
      end
    ensure
      GC.stress = false
    end
  end
end
