# Geometry through the real player: screen mode divides by w, world mode maps (0, 0) to the top-left corner and
# (width, height) to the bottom-right one, the matrix moves both, a bitmap textures the triangles, and arguments
# are checked against the player's classes. Run once plainly and once under GC.stress.
RED = Color.new(255, 0, 0)
BLUE = Color.new(0, 0, 255)
BLACK = Color.new(0, 0, 0)

def opaque(color)
  Color.new(color.red, color.green, color.blue)
end

# Triangles `first` and `first + 1` cover [left, right) x [top, bottom), every corner multiplied by w.
def rectangle(geometry, first, left, top, right, bottom, color, w = nil)
  corners = [[left, top], [right, top], [left, bottom], [left, bottom], [right, top], [right, bottom]]
  corners.each_with_index do |(x, y), i|
    if w
      geometry.set_point_position(first + i / 3, i % 3, x * w, y * w, 0.5, w)
    else
      geometry.set_point_position(first + i / 3, i % 3, x, y)
    end
    geometry.set_point_color(first + i / 3, i % 3, color)
  end
end

def screen_mode(pass)
  geometry = Geometry.new(nil, false)
  rectangle(geometry, 0, 50, 25, 60, 35, RED, 2)
  Graphics.update
  shot = Graphics.snap_to_bitmap
  check("#{pass}: (100, 50) with w 2 at pixel (50, 25)", opaque(shot.get_pixel(50, 25)), RED)
  check("#{pass}: nothing left of it", opaque(shot.get_pixel(49, 25)), BLACK)
  check("#{pass}: nothing above it", opaque(shot.get_pixel(50, 24)), BLACK)
  geometry.set_transform_matrix(1, 0, 0, 100, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)
  Graphics.update
  shot = Graphics.snap_to_bitmap
  # The last column is multiplied by w before the divide: 100 more pixels.
  check("#{pass}: matrix moves it by 100 pixels", opaque(shot.get_pixel(150, 25)), RED)
  check("#{pass}: and away from its old place", opaque(shot.get_pixel(50, 25)), BLACK)
  geometry.dispose
end

def world_mode(pass)
  width = Graphics.width
  height = Graphics.height
  geometry = Geometry.new
  rectangle(geometry, 0, 0, 0, 4, 4, RED)
  rectangle(geometry, 2, width - 4, height - 4, width, height, BLUE)
  Graphics.update
  shot = Graphics.snap_to_bitmap
  check("#{pass}: (0, 0) is the top-left corner", opaque(shot.get_pixel(0, 0)), RED)
  check("#{pass}: (width, height) is the bottom-right corner", opaque(shot.get_pixel(width - 1, height - 1)), BLUE)
  check("#{pass}: bottom-left stays empty", opaque(shot.get_pixel(0, height - 1)), BLACK)
  texture = Bitmap.new(2, 2)
  texture.fill_rect(texture.rect, Color.new(255, 255, 255))
  geometry.bitmap = texture
  geometry.set_transform_matrix(1, 0, 0, 20, 0, 1, 0, 10, 0, 0, 1, 0, 0, 0, 0, 1)
  Graphics.update
  shot = Graphics.snap_to_bitmap
  check("#{pass}: world matrix translates from its last column", opaque(shot.get_pixel(21, 11)), RED)
  check("#{pass}: textured corners keep their colour", opaque(shot.get_pixel(0, 0)), BLACK)
  texture.dispose
  geometry.dispose
end

# The classes Geometry checks against are the player's, defined by the engine's hooks after Geometry itself.
def arguments(pass)
  geometry = Geometry.new(nil, false)
  check("#{pass}: 15 matrix numbers", error_of { geometry.set_transform_matrix(*Array.new(15, 1)) }, arity(15, 16))
  check("#{pass}: viewport class", error_of { Geometry.new(Bitmap.new(1, 1)) },
        'TypeError: can\'t convert Bitmap into Viewport')
  viewport = Viewport.new
  check("#{pass}: bitmap class", error_of { geometry.bitmap = viewport },
        'TypeError: can\'t convert Viewport into Bitmap')
  viewport.dispose
  geometry.dispose
  check("#{pass}: disposed geometry refuses z", error_of { geometry.z = 1 }, 'RGSSError: disposed geometry')
end

run_scene_cases(%i[screen_mode world_mode arguments])
finish
