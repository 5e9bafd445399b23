# Children draw with what they inherit: position and z added, zoom and opacity multiplied, colours mixed by
# their alphas, tones added and saturated; angle stays their own; a disposed parent leaves them drawn by their
# own values. Run once plainly and once under GC.stress.
RED = Color.new(255, 0, 0)
BLUE = Color.new(0, 0, 255)
WHITE = Color.new(255, 255, 255)
BLACK = Color.new(0, 0, 0)

# A 4x2 bitmap whose left half is red and right half blue, to see scaling and turning.
def halves
  bitmap = Bitmap.new(4, 2)
  bitmap.fill_rect(0, 0, 2, 2, RED)
  bitmap.fill_rect(2, 0, 2, 2, BLUE)
  bitmap
end

def sprite(bitmap, x, y)
  sprite = made(Sprite.new)
  sprite.bitmap = bitmap
  sprite.x = x
  sprite.y = y
  sprite
end

def parent_at(x, y)
  sprite(nil, x, y)
end

def placement_zoom_and_angle(pass)
  parent = parent_at(100, 0)
  parent.zoom_x = 2.0
  parent.zoom_y = 2.0
  parent.angle = 90
  child = sprite(halves, 10, 20)
  child.zoom_x = 1.5
  child.zoom_y = 1.5
  parent.add_child(child)
  # At 100 + 10 (the offset is not zoomed), 2 x 1.5 = 3 screen pixels per texel, not turned by the parent.
  image = Graphics.snap_to_bitmap
  check("#{pass}: left of the child", rgb(image.get_pixel(109, 22)), [0, 0, 0])
  check("#{pass}: child's first column at 110", rgb(image.get_pixel(110, 20)), [255, 0, 0])
  check("#{pass}: red half three times as wide", rgb(image.get_pixel(115, 25)), [255, 0, 0])
  check("#{pass}: blue half follows", rgb(image.get_pixel(116, 25)), [0, 0, 255])
  check("#{pass}: blue half ends at 121", rgb(image.get_pixel(121, 20)), [0, 0, 255])
  check("#{pass}: right of the child", rgb(image.get_pixel(122, 20)), [0, 0, 0])
  check("#{pass}: below the child", rgb(image.get_pixel(110, 26)), [0, 0, 0])

  # Its own half turn about its origin under the same parent: drawn up and to the left of (110, 60).
  turned = sprite(halves, 10, 60)
  turned.angle = 180
  parent.add_child(turned)
  image = Graphics.snap_to_bitmap
  check("#{pass}: turned red half ends at the origin", rgb(image.get_pixel(109, 57)), [255, 0, 0])
  check("#{pass}: turned blue half on the left", rgb(image.get_pixel(102, 59)), [0, 0, 255])
  check("#{pass}: nothing right of the turned child", rgb(image.get_pixel(110, 57)), [0, 0, 0])
  check("#{pass}: nothing below the turned child", rgb(image.get_pixel(105, 60)), [0, 0, 0])
  check("#{pass}: nothing left of the turned child", rgb(image.get_pixel(101, 57)), [0, 0, 0])
end

def visibility_and_opacity(pass)
  parent = parent_at(0, 100)
  parent.opacity = 128
  child = sprite(solid(WHITE), 4, 0)
  parent.add_child(child)
  grandchild = sprite(solid(WHITE), 20, 0)
  grandchild.opacity = 128
  child.add_child(grandchild)
  image = Graphics.snap_to_bitmap
  check_near("#{pass}: child at the parent's opacity", image.get_pixel(5, 101), [128, 128, 128])
  # 128 x 128 / 255 = 64.25, truncated in the quad colour.
  check_near("#{pass}: grandchild at both opacities", image.get_pixel(25, 101), [64, 64, 64])
  parent.visible = false
  image = Graphics.snap_to_bitmap
  check("#{pass}: hidden parent hides the child", rgb(image.get_pixel(5, 101)), [0, 0, 0])
  check("#{pass}: and the grandchild", rgb(image.get_pixel(25, 101)), [0, 0, 0])
end

def colours(pass)
  # An invisible parent colour gives the child its own; opaque ones mix half and half.
  clear_parent = parent_at(0, 130)
  clear_parent.color = Color.new(0, 255, 0, 0)
  own = sprite(solid(WHITE), 0, 0)
  own.color = Color.new(255, 0, 0, 128)
  clear_parent.add_child(own)
  blue_parent = parent_at(20, 130)
  blue_parent.color = Color.new(0, 0, 255, 255)
  mixed = sprite(solid(WHITE), 0, 0)
  mixed.color = Color.new(255, 0, 0, 255)
  blue_parent.add_child(mixed)
  red_parent = parent_at(40, 130)
  red_parent.color = Color.new(255, 0, 0, 255)
  plain = sprite(solid(BLUE), 0, 0)
  red_parent.add_child(plain)
  image = Graphics.snap_to_bitmap
  # White under red at alpha 128: green and blue keep 1 - 128/255 of 255.
  check_near("#{pass}: child keeps its colour under a clear parent", image.get_pixel(2, 132), [255, 127, 127])
  check_near("#{pass}: equal alphas mix the colours", image.get_pixel(22, 132), [127, 0, 127])
  check_near("#{pass}: a clear child takes the parent's colour", image.get_pixel(42, 132), [255, 0, 0])
end

def tones(pass)
  # Sums saturate at +-255 per channel; a black texel at opacity 64 shows a red tone of +255 as 64, not more.
  bright = parent_at(0, 160)
  bright.tone = Tone.new(200, 0, 0, 0)
  dark_child = sprite(solid(BLACK), 0, 0)
  dark_child.opacity = 64
  dark_child.tone = Tone.new(200, 0, 0, 0)
  bright.add_child(dark_child)
  # A negative parent and a positive child add up below zero: not clamped to the child's side.
  dim = parent_at(20, 160)
  dim.tone = Tone.new(-200, 0, 0, 0)
  lifted = sprite(solid(WHITE), 0, 0)
  lifted.tone = Tone.new(100, 0, 0, 0)
  dim.add_child(lifted)
  # Gray adds up to at most 255: red becomes its gray value 0.3 x 255 in every channel.
  gray = parent_at(40, 160)
  gray.tone = Tone.new(0, 0, 0, 200)
  grayed = sprite(solid(RED), 0, 0)
  grayed.tone = Tone.new(0, 0, 0, 200)
  gray.add_child(grayed)
  image = Graphics.snap_to_bitmap
  check_near("#{pass}: red tone saturates at 255", image.get_pixel(2, 162), [64, 0, 0])
  check_near("#{pass}: tones add below zero", image.get_pixel(22, 162), [155, 255, 255])
  check_near("#{pass}: gray saturates at 255", image.get_pixel(42, 162), [77, 77, 77])
end

def disposing_a_parent(pass)
  parent = parent_at(100, 0)
  parent.zoom_x = 3.0
  first = sprite(solid(RED, 4, 4), 10, 200)
  second = sprite(solid(BLUE, 4, 4), 20, 200)
  parent.add_child(first)
  parent.add_child(second)
  check("#{pass}: child drawn under its parent", rgb(Graphics.snap_to_bitmap.get_pixel(111, 201)), [255, 0, 0])
  parent.dispose
  check("#{pass}: the child lives on", first.disposed?, false)
  check("#{pass}: without a parent", [first.parent, second.parent], [nil, nil])
  image = Graphics.snap_to_bitmap
  check("#{pass}: drawn at its own x", rgb(image.get_pixel(11, 201)), [255, 0, 0])
  check("#{pass}: at its own zoom", rgb(image.get_pixel(14, 201)), [0, 0, 0])
  check("#{pass}: every child drawn", rgb(image.get_pixel(21, 201)), [0, 0, 255])
  check("#{pass}: nothing left where it was", rgb(image.get_pixel(111, 201)), [0, 0, 0])
end

CASES = %i[placement_zoom_and_angle visibility_and_opacity colours tones disposing_a_parent].freeze

run_scene_cases(CASES)
finish
