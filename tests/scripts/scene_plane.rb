# Planes through the real player: a 64x64 bitmap tiles a 640x480 screen 10 x 7.5 times, ox scrolls the pattern
# in screen pixels (also at zoom_x 2), and a plane made before resize_screen keeps its area. Run once plainly and
# once under GC.stress.
RED = Color.new(255, 0, 0)
GREEN = Color.new(0, 255, 0)
BLUE = Color.new(0, 0, 255)
WHITE = Color.new(255, 255, 255)
BLACK = Color.new(0, 0, 0)

# Red, green / blue, white quadrants.
def quadrants
  bitmap = Bitmap.new(64, 64)
  bitmap.fill_rect(0, 0, 32, 32, RED)
  bitmap.fill_rect(32, 0, 32, 32, GREEN)
  bitmap.fill_rect(0, 32, 32, 32, BLUE)
  bitmap.fill_rect(32, 32, 32, 32, WHITE)
  bitmap
end

def quadrant(x, y)
  x %= 64
  y %= 64
  y < 32 ? (x < 32 ? RED : GREEN) : (x < 32 ? BLUE : WHITE)
end

def opaque(color)
  Color.new(color.red, color.green, color.blue)
end

def tiling(pass)
  plane = Plane.new
  plane.bitmap = quadrants
  Graphics.update
  shot = Graphics.snap_to_bitmap
  [[4, 4], [36, 4], [4, 36], [36, 36], [612, 452], [580, 420], [639, 479], [300, 200]].each do |x, y|
    check("#{pass}: tiled pixel #{x}, #{y}", opaque(shot.get_pixel(x, y)), quadrant(x, y))
  end
  plane.ox = 32
  Graphics.update
  shot = Graphics.snap_to_bitmap
  [[4, 4], [36, 4], [300, 40]].each do |x, y|
    check("#{pass}: ox 32 pixel #{x}, #{y}", opaque(shot.get_pixel(x, y)), quadrant(x + 32, y))
  end
  plane.zoom_x = 2
  Graphics.update
  shot = Graphics.snap_to_bitmap
  # Screen x shows bitmap x (x + 32) / 2: red up to 31, green 32..95, red again from 96.
  [[4, RED], [36, GREEN], [90, GREEN], [100, RED]].each do |x, expected|
    check("#{pass}: zoom 2 and ox 32 pixel #{x}", opaque(shot.get_pixel(x, 8)), expected)
  end
  check("#{pass}: area unchanged by zoom and ox", opaque(shot.get_pixel(639, 479)) == BLACK, false)
  plane.bitmap.dispose
  plane.dispose
end

# Made at the start-up size, before the screen grows: it keeps covering only that area.
early = Plane.new
early.bitmap = quadrants
old_width = Graphics.width
old_height = Graphics.height
Graphics.resize_screen(640, 480)
Graphics.update
shot = Graphics.snap_to_bitmap
check('early plane still drawn inside its area', opaque(shot.get_pixel(4, 4)), RED)
check('early plane not drawn beyond its width', opaque(shot.get_pixel(old_width + 4, 4)), BLACK)
check('early plane not drawn beyond its height', opaque(shot.get_pixel(4, old_height + 4)), BLACK)
early.bitmap.dispose
early.dispose

run_scene_cases(%i[tiling])
finish
