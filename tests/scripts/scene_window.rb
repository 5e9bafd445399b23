# Windows on screen: back and frame painted from the skin, openness closing them about the centre line while
# contents, cursor, arrows and pause sign wait for a full opening, the cursor one pixel wider than its
# rectangle and blinking, arrows by scroll position, the last painted frame kept without a skin, tiny windows,
# and windows, skins and contents dropped in any order under GC.stress.

# A skin told apart by colour: blue back base, transparent pattern, red frame with green arrows, white cursor,
# one colour per pause frame.
def make_skin
  s = Bitmap.new(128, 128)
  s.fill_rect(0, 0, 64, 64, Color.new(0, 0, 255))
  s.fill_rect(64, 0, 64, 64, Color.new(255, 0, 0))
  green = Color.new(0, 255, 0)
  [[88, 16, 16, 8], [80, 24, 8, 16], [104, 24, 8, 16], [88, 40, 16, 8]].each { |r| s.fill_rect(*r, green) }
  s.fill_rect(64, 64, 32, 32, Color.new(255, 255, 255))
  s.fill_rect(96, 64, 16, 16, Color.new(255, 255, 0))
  s.fill_rect(112, 64, 16, 16, Color.new(0, 255, 255))
  s.fill_rect(96, 80, 16, 16, Color.new(255, 0, 255))
  s.fill_rect(112, 80, 16, 16, Color.new(128, 128, 128))
  s
end

def rgb(x, y)
  c = $shot.get_pixel(x, y)
  [c.red.to_i, c.green.to_i, c.blue.to_i]
end

def near?(actual, expected)
  actual.zip(expected).all? { |a, e| (a - e).abs <= 3 }
end

def frame
  Graphics.update
  $shot.dispose if $shot
  $shot = Graphics.snap_to_bitmap
end

RED = [255, 0, 0]
GREEN = [0, 255, 0]
BLACK = [0, 0, 0]
BACK = [0, 0, 192] # the blue base at the default back opacity over black

def drawing_checks
  skin = make_skin
  w = Window.new(20, 20, 160, 96)
  w.windowskin = skin
  frame
  check('frame corner', rgb(20, 20), RED)
  check('frame bottom edge', rgb(100, 20 + 95), RED)
  check('back inside the frame', near?(rgb(100, 68), BACK), true)
  check('nothing beside the window', rgb(20 + 161, 40), BLACK)

  w.contents.fill_rect(0, 0, 144, 80, Color.new(0, 255, 0, 255))
  w.openness = 128
  frame
  check('closing: top rows gone', rgb(100, 22), BLACK)
  check('closing: bottom rows gone', rgb(100, 20 + 93), BLACK)
  check('closing: frame edge moved to the middle', rgb(100, 20 + 26), RED)
  check('closing: contents hidden', near?(rgb(100, 68), BACK), true)
  w.openness = 255
  frame
  check('open again: contents shown', rgb(100, 68), GREEN)

  w.contents.clear
  w.cursor_rect.set(0, 0, 100, 24)
  frame
  check('cursor drawn', rgb(28 + 50, 28 + 12), [255, 255, 255])
  check('cursor one pixel wider than its rectangle', rgb(28 + 100, 28 + 12), [255, 255, 255])
  check('and no more', near?(rgb(28 + 101, 28 + 12), BACK), true)
  check('and one pixel taller', rgb(28 + 50, 28 + 24), [255, 255, 255])
  20.times { w.update }
  frame
  blink = rgb(28 + 50, 28 + 12)
  check('cursor at its faintest blends 95/255 of white', (blink[0] - 95).abs <= 2, true)
  w.cursor_rect.empty
  w.update

  w.contents = Bitmap.new(144, 200)
  frame
  check('down arrow for taller contents', rgb(20 + 72 + 4, 20 + 84 + 2), GREEN)
  check('no up arrow at the top', rgb(20 + 72 + 4, 20 + 4 + 2) == GREEN, false)
  w.oy = 120
  w.pause = true
  frame
  check('up arrow once scrolled', rgb(20 + 72 + 4, 20 + 4 + 2), GREEN)
  check('no down arrow at the bottom', rgb(20 + 72 + 4, 20 + 84 + 2) == GREEN, false)
  check('pause sign in its second frame after 21 updates', rgb(20 + 72 + 4, 20 + 80 + 12), [0, 255, 255])
  w.arrows_visible = false
  frame
  check('arrows hidden on request', rgb(20 + 72 + 4, 20 + 4 + 2) == GREEN, false)

  w.windowskin = nil
  w.move(20, 20, 200, 120)
  frame
  check('without a skin the last frame stays', rgb(20, 20), RED)
  check('and is not repainted for the new size', rgb(20 + 199, 20) == RED, false)
  check('skin getter', w.windowskin, nil)
  w.dispose
  frame
  check('disposed window gone', rgb(20, 20), BLACK)
  check('the skin is the script\'s', skin.disposed?, false)
  skin.dispose
end

def tiny_windows
  skin = make_skin
  tiny = [Window.new, Window.new(300, 300, 8, 8), Window.new(350, 300, 40, 40)]
  tiny[1].padding = 12
  tiny[2].move(350, 300, -5, -5)
  tiny.each do |t|
    t.windowskin = skin
    t.cursor_rect.set(0, 0, 2, 2)
  end
  tiny[0].pause = tiny[2].pause = true
  frame
  check('tiny window contents are empty', [tiny[1].contents.width, tiny[1].contents.height], [0, 0])
  check('an 8x8 window still draws its corners', rgb(300, 300), RED)
  tiny.each(&:dispose)
  skin.dispose
end

def churn
  GC.stress = true
  srand(3)
  skins = Array.new(2) { make_skin }
  pool = []
  20.times do |i|
    w = Window.new(i * 3, i * 2, 30 + i, 20 + i)
    w.windowskin = skins.sample if i.even?
    w.contents = Bitmap.new(8, 40) if i % 3 == 0
    w.cursor_rect.set(0, 0, i, 3)
    pool << w
    pool.delete_at(rand(pool.size)).dispose if i % 4 == 0
    pool.delete_at(rand(pool.size)) if i % 3 == 1
    skins[rand(2)] = make_skin if i == 10
    Graphics.update if i % 5 == 0
  end
  pool = skins = nil
  GC.stress = false
  GC.start
  Graphics.update
end

begin
  drawing_checks
  tiny_windows
  churn
rescue Exception => error
  $failures << "unexpected #{error.class}: #{error.message}\n#{error.backtrace.join("\n")}"
end

finish
