# Tile maps on the screen: water cycling through its frames, a waterfall falling, tiles above and below a
# sprite by their flag, shadows, flashes, the rebuild rule of the map table, wrapping, zoom and viewports.
# ini: ScreenWidth=160
# ini: ScreenHeight=120
# Failures name the colours they saw.
class Color
  def inspect = to_s
end

RED = Color.new(255, 0, 0)
GREEN = Color.new(0, 255, 0)
BLUE = Color.new(0, 0, 255)
YELLOW = Color.new(255, 255, 0)
CYAN = Color.new(0, 255, 255)
MAGENTA = Color.new(255, 0, 255)
WHITE = Color.new(255, 255, 255)
ORANGE = Color.new(255, 128, 0)
PURPLE = Color.new(128, 0, 128)

# Water (A1 kind 0) shows 64-pixel frames side by side; the waterfall beside the right-half block (kind 5)
# stacks 32-pixel frames downwards.
def water_sheet
  sheet = Bitmap.new(512, 384)
  sheet.fill_rect(0, 0, 64, 96, RED)
  sheet.fill_rect(64, 0, 64, 96, GREEN)
  sheet.fill_rect(128, 0, 64, 96, BLUE)
  sheet.fill_rect(448, 0, 64, 32, YELLOW)
  sheet.fill_rect(448, 32, 64, 32, CYAN)
  sheet.fill_rect(448, 64, 64, 32, MAGENTA)
  sheet
end

# Sheet B: tile 1 orange, tile 2 white.
def b_sheet
  sheet = Bitmap.new(512, 512)
  sheet.fill_rect(32, 0, 32, 32, ORANGE)
  sheet.fill_rect(64, 0, 32, 32, WHITE)
  sheet
end

WATER = 2048 + 47
WATERS = [RED, GREEN, BLUE]
FALLS = [YELLOW, CYAN, MAGENTA]
WATERFALL = 2288 + 1

def make_tilemap(viewport = nil)
  tilemap = Tilemap.new(viewport)
  tilemap.bitmaps[0] = water_sheet
  (1..8).each { |i| tilemap.bitmaps[i] = i == 5 ? b_sheet : Bitmap.new(32, 32) }
  flags = Table.new(8192)
  flags[1] = 0x10
  tilemap.flags = flags
  data = Table.new(5, 4, 4)
  data[0, 0, 0] = WATER
  data[1, 0, 0] = WATERFALL
  data[2, 0, 0] = 1
  data[3, 0, 0] = 2
  data[4, 0, 0] = 2
  (0..2).each { |x| data[x, 1, 0] = 2 }
  data[0, 1, 3] = 0b0101
  tilemap.map_data = data
  tilemap
end

def pixel(x, y)
  Graphics.snap_to_bitmap.get_pixel(x, y)
end

def updates(tilemap, count)
  count.times { tilemap.update }
  Graphics.update
end

begin
  tilemap = make_tilemap
  updates(tilemap, 1)
  check('water frame 0', pixel(8, 8), RED)
  check('waterfall frame 0', pixel(40, 8), YELLOW)
  updates(tilemap, 30)
  check('water frame 1 after 30 updates', pixel(8, 8), GREEN)
  check('waterfall frame 1', pixel(40, 8), CYAN)
  updates(tilemap, 30)
  check('water frame 2', pixel(8, 8), BLUE)
  check('waterfall frame 2', pixel(40, 8), MAGENTA)
  updates(tilemap, 30)
  check('the fourth frame shows frame 1', [pixel(8, 8), pixel(40, 8)], [GREEN, CYAN])
  updates(tilemap, 30)
  check('then frame 0 again', pixel(8, 8), RED)

  cover = Bitmap.new(64, 32)
  cover.fill_rect(cover.rect, PURPLE)
  sprite = Sprite.new
  sprite.bitmap = cover
  sprite.x = 64
  sprite.z = 100
  Graphics.update
  check('a tile flagged 0x10 draws above a sprite at z 100', pixel(72, 8), ORANGE)
  check('an unflagged tile draws below it', pixel(104, 8), PURPLE)
  sprite.dispose

  check('shadow 0b0101 darkens the top-left quarter', pixel(4, 40).red.between?(120, 135), true)
  check('and the bottom-left quarter', pixel(12, 60).red.between?(120, 135), true)
  check('the right half keeps its colour', [pixel(20, 40), pixel(28, 60)], [WHITE, WHITE])

  data = tilemap.map_data
  data[3, 1, 0] = 1
  data.resize(5, 4, 4) # same shape and elements, and no changed mark
  tilemap.map_data = data
  updates(tilemap, 1)
  check('the same map data given again does not rebuild', pixel(104, 40).alpha == 0 || pixel(104, 40) == Color.new(0, 0, 0), true)
  data[4, 1, 0] = 2
  updates(tilemap, 1)
  check('one changed element rebuilds at the next update', [pixel(104, 40), pixel(136, 40)], [ORANGE, WHITE])

  flash = Table.new(5, 4)
  flash[2, 1] = 0xF00
  tilemap.flash_data = flash
  updates(tilemap, 1)
  flashed = pixel(72, 40)
  check('a flash tints its cell', flashed.red == 255 && flashed.green < 200 && flashed.blue == flashed.green, true)
  check('the cells beside it stay', pixel(40, 40), WHITE)
  tilemap.flash_data = nil
  updates(tilemap, 1)
  check('no flash table, no flash', pixel(72, 40), WHITE)

  tilemap.ox = -32
  updates(tilemap, 1)
  check('scrolled before its left edge, the map repeats its last column', pixel(8, 8), WHITE)
  check('and the first column follows', WATERS.include?(pixel(40, 8)), true)
  tilemap.ox = 5 * 32 - 16
  tilemap.oy = 4 * 32
  updates(tilemap, 1)
  check('scrolled past its right and bottom edges, the first cells come round again', WATERS.include?(pixel(20, 8)), true)
  check('the waterfall beside them', FALLS.include?(pixel(52, 8)), true)
  tilemap.ox = tilemap.oy = 0

  tilemap.zoom_x = 0
  check('zoom_x = 0 stores 1.0', tilemap.zoom_x, 1.0)
  tilemap.zoom_x = 2
  tilemap.zoom_y = 2
  updates(tilemap, 1)
  check('zoom 2 doubles a cell', WATERS.include?(pixel(40, 40)), true)
  check('and the next one starts 64 pixels on', FALLS.include?(pixel(72, 8)), true)
  tilemap.zoom_x = tilemap.zoom_y = 1.0

  viewport = Viewport.new(32, 32, 64, 64)
  tilemap.viewport = viewport
  updates(tilemap, 1)
  check('in a viewport the map starts at its corner', [WATERS.include?(pixel(40, 40)), FALLS.include?(pixel(72, 40))], [true, true])
  check('and is clipped by it', pixel(100, 40) == ORANGE, false)
  tilemap.visible = false
  updates(tilemap, 1)
  check('an invisible map draws nothing', pixel(40, 40), Color.new(0, 0, 0))

  small = Tilemap.new
  9.times { |i| small.bitmaps[i] = tilemap.bitmaps[i] }
  cells = Table.new(3, 3, 4)
  3.times { |x| 3.times { |y| cells[x, y, 0] = 2 } }
  cells[0, 0, 3] = 0b1111
  small.map_data = cells
  updates(small, 1)
  check('a map narrower than the screen shades each place once', pixel(8, 8).red.between?(120, 135), true)
  check('and its repetition too', [pixel(96 + 8, 8).red.between?(120, 135), pixel(40, 8)], [true, WHITE])
  small.dispose

  tilemap.dispose
  check('disposed?', tilemap.disposed?, true)
  check('a disposed tilemap refuses update', error_of { tilemap.update }, 'RGSSError: disposed Tilemap')
  Graphics.update
  viewport.dispose

  GC.stress = true
  maps = Array.new(4) { |i| make_tilemap(i.odd? ? Viewport.new(0, 0, 80, 60) : nil) }
  maps.each(&:update)
  maps[1].bitmaps[0] = Bitmap.new(64, 64)
  maps.each(&:update)
  maps[2].dispose
  maps[3] = nil
  GC.stress = false
  Graphics.update
  GC.start
  Graphics.update
  check('tile maps survive the collector', maps.compact.count { |m| !m.disposed? }, 2)
rescue Exception => error
  $failures << "unexpected #{error.class}: #{error.message}\n#{error.backtrace.join("\n")}"
end

finish
