# One sprite's pixels: mirror, turn and zoom about the origin; colour, opacity and flash mixed as the effect
# defines; blend types adding and subtracting; a colourless flash hiding only its own object; bush rows at the
# bottom of the source rectangle; the wave shifting rows by amp x sin(row angle). Run once plainly and once
# under GC.stress.
RED = Color.new(255, 0, 0)
GREEN = Color.new(0, 255, 0)
BLUE = Color.new(0, 0, 255)
WHITE = Color.new(255, 255, 255)
# Four distinct columns, to tell a flip from a shift.
COLUMNS = [Color.new(255, 0, 0), Color.new(0, 255, 0), Color.new(0, 0, 255), Color.new(255, 255, 0)].freeze

def columns(colors, height = 1)
  bitmap = Bitmap.new(colors.size, height)
  colors.each_with_index { |color, x| bitmap.fill_rect(x, 0, 1, height, color) }
  bitmap
end

def sprite(bitmap, x, y)
  sprite = made(Sprite.new)
  sprite.bitmap = bitmap
  sprite.x = x
  sprite.y = y
  sprite
end

def row(image, xs, y)
  xs.map { |x| rgb(image.get_pixel(x, y)) }
end

BLACK3 = [0, 0, 0].freeze
COLUMNS3 = COLUMNS.map { |color| rgb(color) }.freeze

def mirror_turn_and_zoom(pass)
  sprite(columns(COLUMNS), 20, 10)
  sprite(columns(COLUMNS), 20, 12).mirror = true
  shifted = sprite(columns(COLUMNS), 40, 14)
  shifted.ox = 2
  shifted.mirror = true
  turned = sprite(columns(COLUMNS), 60, 30)
  turned.angle = 90
  wide = sprite(columns(COLUMNS.first(2)), 80, 10)
  wide.zoom_x = 2.0
  wide.zoom_y = 3.0
  image = Graphics.snap_to_bitmap
  check("#{pass}: unmirrored columns", row(image, 19..24, 10), [BLACK3] + COLUMNS3 + [BLACK3])
  check("#{pass}: mirrored in place with origin 0", row(image, 19..24, 12), [BLACK3] + COLUMNS3.reverse + [BLACK3])
  # With ox 2 the box starts at x - ox, mirrored or not.
  check("#{pass}: mirrored about the same box with origin 2", row(image, 37..42, 14),
        [BLACK3] + COLUMNS3.reverse + [BLACK3])
  # Positive angles turn counter-clockwise: the row becomes a column going up from the origin.
  check("#{pass}: turned 90 degrees", (26..30).map { |y| rgb(image.get_pixel(60, y)) }.reverse,
        [BLACK3] + COLUMNS3)
  check("#{pass}: turned sprite one pixel wide", rgb(image.get_pixel(61, 28)), BLACK3)
  check("#{pass}: zoomed 2 across", row(image, 79..84, 12), [BLACK3] + [COLUMNS3[0]] * 2 + [COLUMNS3[1]] * 2 + [BLACK3])
  check("#{pass}: zoomed 3 down", [10, 12, 13].map { |y| rgb(image.get_pixel(80, y)) }, [COLUMNS3[0]] * 2 + [BLACK3])
end

def colour_and_opacity(pass)
  backdrop = sprite(solid(BLUE, 60, 8), 0, 40)
  backdrop.z = -1
  half = sprite(solid(GREEN), 0, 40)
  half.opacity = 128
  half.color = Color.new(255, 0, 0, 255)
  clear = sprite(solid(GREEN), 10, 40)
  clear.color = Color.new(255, 0, 0, 0)
  partial = sprite(solid(GREEN), 20, 40)
  partial.color = Color.new(255, 0, 0, 128)
  image = Graphics.snap_to_bitmap
  # Solid red at 128/255 over blue.
  check_near("#{pass}: opacity 128 with an opaque colour", image.get_pixel(2, 42), [128, 0, 127])
  check("#{pass}: a colour of alpha 0 changes nothing", rgb(image.get_pixel(12, 42)), [0, 255, 0])
  check_near("#{pass}: a colour of alpha 128 mixes half", image.get_pixel(22, 42), [128, 127, 0])
end

def blend_types(pass)
  # Premultiplied colour added to or taken from what is below.
  [[0, Color.new(100, 50, 0)], [60, Color.new(200, 100, 50)], [120, Color.new(100, 50, 0)],
   [180, Color.new(100, 50, 0)], [240, Color.new(100, 50, 0)]].each do |x, below|
    sprite(solid(below), x, 60).z = -1
  end
  grey = Color.new(50, 50, 50)
  sprite(solid(grey), 0, 60).blend_type = 1
  sprite(solid(grey), 60, 60).blend_type = 2
  sprite(solid(grey), 120, 60).blend_type = 5
  sprite(solid(grey), 180, 60).blend_type = -1
  faint = sprite(solid(grey), 240, 60)
  faint.blend_type = 1
  faint.opacity = 128
  image = Graphics.snap_to_bitmap
  check("#{pass}: blend type 1 adds", rgb(image.get_pixel(2, 62)), [150, 100, 50])
  check("#{pass}: blend type 2 subtracts", rgb(image.get_pixel(62, 62)), [150, 50, 0])
  check("#{pass}: blend type 5 draws normally", rgb(image.get_pixel(122, 62)), [50, 50, 50])
  check("#{pass}: blend type -1 draws normally", rgb(image.get_pixel(182, 62)), [50, 50, 50])
  # 50 x 128/255 added.
  check_near("#{pass}: added at its opacity", image.get_pixel(242, 62), [125, 75, 25])
end

def flash_without_colour(pass)
  white_under = sprite(solid(WHITE), 0, 80)
  white_under.z = -1
  hidden = sprite(solid(BLUE), 0, 80)
  hidden.flash(nil, 3)
  taken = sprite(solid(RED), 0, 80)
  taken.blend_type = 2
  green_under = sprite(solid(GREEN), 20, 80)
  green_under.z = -1
  hidden_subtracting = sprite(solid(BLUE), 20, 80)
  hidden_subtracting.blend_type = 2
  hidden_subtracting.flash(nil, 3)
  sprite(solid(RED), 20, 80)
  expect = lambda do |when_, shown|
    image = Graphics.snap_to_bitmap
    check("#{pass}: #{when_}: hidden or shown", rgb(image.get_pixel(2, 82)), shown ? [0, 0, 255] : [0, 255, 255])
    check("#{pass}: #{when_}: normal after a hidden subtraction", rgb(image.get_pixel(22, 82)), [255, 0, 0])
  end
  expect.call('at the start', false)
  [hidden, hidden_subtracting].each(&:update)
  [hidden, hidden_subtracting].each(&:update)
  expect.call('after 2 of 3 updates', false)
  [hidden, hidden_subtracting].each(&:update)
  # Shown again: the blue sprite hides the white, then the red is taken from blue.
  image = Graphics.snap_to_bitmap
  check("#{pass}: shown after 3 updates", rgb(image.get_pixel(2, 82)), [0, 0, 255])
  check("#{pass}: its own subtraction after the flash", rgb(image.get_pixel(22, 82)), [255, 0, 0])
end

def flash_with_colour(pass)
  flashed = sprite(solid(RED), 0, 100)
  flashed.flash(Color.new(0, 0, 255, 255), 4)
  check("#{pass}: flash colour replaces the texture", rgb(Graphics.snap_to_bitmap.get_pixel(2, 102)), [0, 0, 255])
  2.times { flashed.update }
  # Half way: blend colour (0, 0, 0.5) at alpha 0.5 over red.
  check_near("#{pass}: half way through the flash", Graphics.snap_to_bitmap.get_pixel(2, 102), [128, 0, 64])
  2.times { flashed.update }
  check_near("#{pass}: flash over", Graphics.snap_to_bitmap.get_pixel(2, 102), [255, 0, 0])

  # A flash of no duration is never stepped: its colour stays until the next flash replaces it.
  held = sprite(solid(RED), 40, 100)
  held.flash(Color.new(0, 0, 255, 255), 0)
  3.times { held.update }
  check("#{pass}: a flash of duration 0 stays", rgb(Graphics.snap_to_bitmap.get_pixel(42, 102)), [0, 0, 255])
  held.flash(nil, 0)
  check("#{pass}: until the next one", rgb(Graphics.snap_to_bitmap.get_pixel(42, 102)), [255, 0, 0])

  # Colour (red, alpha 128) under a flash (blue, alpha 128): alpha A = 1 - (127/255)^2, red = (e - e x f) / A
  # and blue = f / A with e = f = 128/255; over white that is (127, 63, 191).
  both = sprite(solid(WHITE), 20, 100)
  both.color = Color.new(255, 0, 0, 128)
  both.flash(Color.new(0, 0, 255, 128), 10)
  check_near("#{pass}: colour and flash mixed", Graphics.snap_to_bitmap.get_pixel(22, 102), [127, 63, 191])
end

def bush(pass)
  bushy = sprite(solid(WHITE, 4, 16), 0, 120)
  bushy.bush_depth = 8
  bushy.bush_opacity = 128
  # The bush counts from the bottom of the source rectangle, not of the bitmap.
  cropped = sprite(solid(WHITE, 4, 16), 10, 120)
  cropped.src_rect.set(0, 0, 4, 12)
  cropped.bush_depth = 4
  cropped.bush_opacity = 0
  image = Graphics.snap_to_bitmap
  check("#{pass}: above the bush", rgb(image.get_pixel(1, 127)), [255, 255, 255])
  check_near("#{pass}: first bush row at half alpha", image.get_pixel(1, 128), [128, 128, 128])
  check_near("#{pass}: last bush row at half alpha", image.get_pixel(1, 135), [128, 128, 128])
  check("#{pass}: above a cropped bush", rgb(image.get_pixel(11, 127)), [255, 255, 255])
  check("#{pass}: cropped bush rows", rgb(image.get_pixel(11, 128)), [0, 0, 0])
  check("#{pass}: source rectangle ends the sprite", rgb(image.get_pixel(11, 132)), [0, 0, 0])
end

def wave(pass)
  # Column x has red 30 x x. Wave length 2 turns the row angle by 180 degrees per row: row 0 at 90, row 1 at
  # 270, so amp 2 samples 2 columns to the right on row 0 and 2 to the left on row 1.
  shades = (0...8).map { |x| Color.new(30 * x, 0, 0) }
  wavy = sprite(columns(shades, 2), 0, 150)
  wavy.wave_amp = 2
  wavy.wave_length = 2
  reds = lambda do |y|
    image = Graphics.snap_to_bitmap
    (0...8).map { |x| image.get_pixel(x, y).red.to_i }
  end
  shifted_right = [60, 90, 120, 150, 180, 210, 0, 0]
  shifted_left = [0, 0, 0, 30, 60, 90, 120, 150]
  unshifted = (0...8).map { |x| 30 * x }
  check("#{pass}: row 0 samples 2 to the right", reds.call(150), shifted_right)
  check("#{pass}: row 1 samples 2 to the left", reds.call(151), shifted_left)
  wavy.wave_phase = 180
  check("#{pass}: phase 180 turns row 0 the other way", reds.call(150), shifted_left)
  wavy.wave_phase = 0
  # Each update turns by speed / length degrees, a whole-number division.
  wavy.wave_speed = 1
  wavy.update
  check("#{pass}: speed below length does not move", reds.call(150), shifted_right)
  wavy.wave_speed = 180
  wavy.update
  check("#{pass}: 90 more degrees: sin 180 = 0", reds.call(150), unshifted)
  wavy.update
  check("#{pass}: 180 more degrees: row 0 to the left", reds.call(150), shifted_left)
  check("#{pass}: and row 1 to the right", reds.call(151), shifted_right)
end

def disposed_bitmaps(pass)
  shown = sprite(solid(RED), 0, 170)
  check("#{pass}: drawn before its bitmap goes", rgb(Graphics.snap_to_bitmap.get_pixel(2, 172)), [255, 0, 0])
  shown.bitmap.dispose
  check("#{pass}: a disposed bitmap is skipped", rgb(Graphics.snap_to_bitmap.get_pixel(2, 172)), [0, 0, 0])
  gone = solid(BLUE)
  gone.dispose
  late = sprite(nil, 20, 170)
  check("#{pass}: bitmap= takes a disposed bitmap", error_of { late.bitmap = gone }, 'no error')
  check("#{pass}: and draws nothing", rgb(Graphics.snap_to_bitmap.get_pixel(22, 172)), [0, 0, 0])
end

# Script integers at the ends of their range place objects far off the screen: nothing is drawn for them, and
# the next object draws as usual.
def extreme_positions(pass)
  max = (1 << 31) - 1
  min = -(1 << 31)
  far = sprite(solid(RED), 0, 0)
  far.ox = min
  parent = sprite(nil, max, max)
  parent.add_child(sprite(solid(RED), max, 1))
  port = made(Viewport.new(min, min, max, max))
  port.ox = max
  inside = sprite(solid(RED), max, 0)
  inside.viewport = port
  inside.mirror = true
  inside.src_rect = Rect.new(max, max, max, max)
  sprite(solid(BLUE), 200, 180)
  image = Graphics.snap_to_bitmap
  check("#{pass}: nothing drawn for far objects", [0, 100, 300].map { |x| rgb(image.get_pixel(x, 1)) }, [[0, 0, 0]] * 3)
  check("#{pass}: the next object draws", rgb(image.get_pixel(201, 181)), [0, 0, 255])
end

CASES = %i[extreme_positions disposed_bitmaps mirror_turn_and_zoom colour_and_opacity blend_types flash_without_colour flash_with_colour bush
           wave].freeze

run_scene_cases(CASES)
finish
