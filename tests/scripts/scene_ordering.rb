# Draw order on the screen: effective z first, then a sprite's own y, then creation; windows, planes and
# viewports of equal z draw in creation order whatever their y, counting as y 0 against sprites; attaching again
# to the same list neither reorders nor duplicates an object. Run once plainly and once under GC.stress.
RED = Color.new(255, 0, 0)
BLUE = Color.new(0, 0, 255)
GREEN = Color.new(0, 255, 0)

# Every sprite and viewport a case makes, disposed when it ends so the next case starts from a black screen.

def sprite(color, x, y, viewport = nil, width = 8, height = 8)
  sprite = made(Sprite.new(viewport))
  sprite.bitmap = solid(color, width, height)
  sprite.x = x
  sprite.y = y
  sprite
end

def shot
  Graphics.snap_to_bitmap
end

def equal_z_and_y_draw_in_creation_order(pass)
  first = sprite(RED, 10, 10)
  sprite(BLUE, 10, 10)
  check("#{pass}: the later of two equal objects on top", rgb(shot.get_pixel(12, 12)), [0, 0, 255])
  # Leaving the list and coming back puts the first at the end of it; creation still decides.
  holder = made(Viewport.new)
  first.viewport = holder
  first.viewport = nil
  check("#{pass}: creation, not list position, breaks ties", rgb(shot.get_pixel(12, 12)), [0, 0, 255])
end

def smaller_y_draws_below(pass)
  sprite(RED, 30, 30)
  later = sprite(BLUE, 30, 20)
  later.oy = -10 # drawn over the same rows as the earlier sprite
  check("#{pass}: a later sprite with a smaller y is below", rgb(shot.get_pixel(32, 32)), [255, 0, 0])
  higher = sprite(GREEN, 30, 40)
  higher.oy = 10
  higher.z = -1
  check("#{pass}: z comes before y", rgb(shot.get_pixel(32, 32)), [255, 0, 0])
end

def inherited_keys(pass)
  # The sort takes the effective z but the object's own y.
  early = sprite(RED, 50, 50)
  early.oy = -50 # drawn at row 100
  parent = made(Sprite.new)
  parent.y = 100
  child = sprite(BLUE, 50, 0)
  parent.add_child(child)
  check("#{pass}: own y 0 of a child placed at 100 sorts below own y 50", rgb(shot.get_pixel(52, 102)), [255, 0, 0])

  raised = made(Sprite.new)
  raised.z = 10
  lifted = sprite(GREEN, 70, 100)
  lifted.z = -5
  raised.add_child(lifted)
  cover = sprite(BLUE, 70, 100)
  cover.z = 3
  check("#{pass}: a child's effective z is its parent's plus its own", rgb(shot.get_pixel(72, 102)), [0, 255, 0])
end

def viewports_among_objects(pass)
  # Equal z and equal y (rectangle y and sprite y): the one created first is below.
  first = made(Viewport.new(0, 140, 20, 20))
  sprite(RED, 0, 0, first)
  sprite(BLUE, 0, 140)
  check("#{pass}: a sprite made after the viewport is on top", rgb(shot.get_pixel(3, 143)), [0, 0, 255])
  sprite(BLUE, 30, 0).oy = -140 # y 0, drawn at row 140
  second = made(Viewport.new(30, 140, 20, 20))
  sprite(RED, 0, 0, second)
  check("#{pass}: a viewport made after a sprite of y 0 is on top", rgb(shot.get_pixel(33, 143)), [255, 0, 0])

  # z, then y, decide before creation.
  lower = sprite(GREEN, 60, 140)
  lower.z = -1
  third = made(Viewport.new(60, 140, 20, 20))
  sprite(RED, 0, 0, third)
  third.z = -2
  check("#{pass}: a viewport of lower z is below an earlier sprite", rgb(shot.get_pixel(63, 143)), [0, 255, 0])
  deeper = sprite(GREEN, 90, 141)
  deeper.oy = 1
  fourth = made(Viewport.new(90, 140, 20, 20))
  sprite(RED, 0, 0, fourth)
  check("#{pass}: a sprite of positive y is above a later viewport", rgb(shot.get_pixel(93, 143)), [0, 255, 0])

  # Among themselves: z, then creation, whatever their rectangles' y.
  lower_row = made(Viewport.new(120, 150, 20, 20))
  sprite(RED, 0, 0, lower_row, 20, 20)
  upper_row = made(Viewport.new(120, 140, 20, 20))
  sprite(BLUE, 0, 0, upper_row, 20, 20)
  check("#{pass}: the later viewport is on top though higher up", rgb(shot.get_pixel(123, 153)), [0, 0, 255])
  lower_row.z = 1
  check("#{pass}: the viewport of larger z is on top", rgb(shot.get_pixel(123, 153)), [255, 0, 0])
end

# A window showing only its contents, filled with `color`, at the window's place plus the padding.
def framed(color, x, y, width = 100, height = 60)
  window = made(Window.new(x, y, width, height))
  window.contents = solid(color, width - 24, height - 24)
  window
end

def equal_z_non_sprites_in_creation_order(pass)
  # Each time the earlier one stands lower on the screen, which would put it on top if y counted.
  framed(RED, 0, 70)
  cover = made(Window.new(0, 40, 100, 60))
  cover.windowskin = solid(GREEN, 128, 128)
  cover.back_opacity = 255
  check("#{pass}: a later window covers an earlier one, contents included", rgb(shot.get_pixel(20, 90)), [0, 255, 0])

  framed(RED, 150, 70)
  port = made(Viewport.new(150, 40, 60, 60))
  port.z = 100
  sprite(BLUE, 0, 0, port, 60, 60)
  check("#{pass}: a later viewport covers an earlier window", rgb(shot.get_pixel(170, 90)), [0, 0, 255])

  plane = made(Plane.new)
  plane.bitmap = solid(RED, 16, 16)
  above = framed(BLUE, 250, -20, 100, 80)
  above.z = 0
  check("#{pass}: a later window covers an earlier plane", rgb(shot.get_pixel(270, 10)), [0, 0, 255])
end

def attaching_again(pass)
  # Additive sprites show a duplicate list entry as a doubled colour.
  dim = Color.new(100, 0, 0)
  screen_sprite = sprite(dim, 150, 10)
  screen_sprite.blend_type = 1
  screen_sprite.viewport = nil
  screen_sprite.viewport = nil
  check("#{pass}: nil twice draws the sprite once", rgb(shot.get_pixel(152, 12)), [100, 0, 0])

  port = made(Viewport.new)
  other = made(Viewport.new)
  kept = sprite(dim, 170, 10, port)
  kept.blend_type = 1
  kept.viewport = port
  kept.viewport = port
  check("#{pass}: the same viewport twice draws the sprite once", rgb(shot.get_pixel(172, 12)), [100, 0, 0])
  kept.viewport = other
  kept.viewport = port
  check("#{pass}: moved away and back, drawn once", rgb(shot.get_pixel(172, 12)), [100, 0, 0])

  under = sprite(RED, 190, 10, port)
  sprite(BLUE, 190, 10, port)
  under.viewport = port
  check("#{pass}: attaching again keeps the object's place", rgb(shot.get_pixel(192, 12)), [0, 0, 255])
end

CASES = %i[equal_z_and_y_draw_in_creation_order smaller_y_draws_below inherited_keys viewports_among_objects
           equal_z_non_sprites_in_creation_order attaching_again].freeze

run_scene_cases(CASES)
finish
