# Viewports on the screen: their rectangle clipped to it, their objects offset by the rectangle and the origin,
# fast layers drawing a z's objects in one pass with the layer's blend, flashes fading in or laid over as a
# colour, colour and tone, visibility, objects adding to and subtracting from what lies beneath, and disposal
# leaving sprites alive but undrawn. Run once plainly and once under GC.stress.
RED = Color.new(255, 0, 0)
GREEN = Color.new(0, 255, 0)
BLUE = Color.new(0, 0, 255)
WHITE = Color.new(255, 255, 255)
W = Graphics.width
H = Graphics.height

def sprite(color, x, y, viewport = nil, width = 8, height = 8)
  sprite = made(Sprite.new(viewport))
  sprite.bitmap = solid(color, width, height)
  sprite.x = x
  sprite.y = y
  sprite
end

def area(rect)
  [rect.x, rect.y, rect.width, rect.height]
end

def pixel(x, y)
  rgb(Graphics.snap_to_bitmap.get_pixel(x, y))
end

def rectangles(pass)
  whole = made(Viewport.new)
  check("#{pass}: Viewport.new covers the screen", area(whole.rect), [0, 0, W, H])
  sprite(RED, W - 8, H - 8, whole)
  check("#{pass}: drawn in the screen's last pixel", pixel(W - 1, H - 1), [255, 0, 0])
  source = Rect.new(1, 2, 3, 4)
  copied = made(Viewport.new(source))
  source.x = 50
  check("#{pass}: a Rect argument is copied", area(copied.rect), [1, 2, 3, 4])

  top_left = made(Viewport.new(-10, -10, 30, 30))
  sprite(GREEN, 0, 0, top_left, 40, 40)
  bottom_right = made(Viewport.new(W - 10, H - 20, 30, 30))
  sprite(BLUE, 0, 0, bottom_right, 40, 40)
  # Empty and inside-out rectangles show nothing, not the whole screen.
  [[300, 0, 0, 40], [300, 0, -20, 40], [300, 0, 40, -5]].each do |x, y, width, height|
    sprite(RED, 0, 0, made(Viewport.new(x, y, width, height)), 40, 40)
  end
  image = Graphics.snap_to_bitmap
  check("#{pass}: empty rectangles draw nothing", [rgb(image.get_pixel(300, 2)), rgb(image.get_pixel(339, 39))],
        [[0, 0, 0]] * 2)
  check("#{pass}: clipped at the left and top edges", rgb(image.get_pixel(0, 0)), [0, 255, 0])
  check("#{pass}: up to the rectangle's right", rgb(image.get_pixel(19, 19)), [0, 255, 0])
  check("#{pass}: not past it", [rgb(image.get_pixel(20, 5)), rgb(image.get_pixel(5, 20))], [[0, 0, 0]] * 2)
  check("#{pass}: clipped at the right edge", rgb(image.get_pixel(W - 1, H - 20)), [0, 0, 255])
  check("#{pass}: starts at the rectangle", rgb(image.get_pixel(W - 11, H - 20)), [0, 0, 0])
end

def origin_and_clipping(pass)
  port = made(Viewport.new(100, 200, 30, 10))
  port.ox = 20
  sprite(RED, 0, 0, port, 40, 4)
  # Screen x = 0 + 100 - 20 = 80, shown only from the rectangle's 100 on.
  image = Graphics.snap_to_bitmap
  check("#{pass}: nothing left of the rectangle", rgb(image.get_pixel(99, 201)), [0, 0, 0])
  check("#{pass}: from the rectangle's left", rgb(image.get_pixel(100, 201)), [255, 0, 0])
  check("#{pass}: to the sprite's right at 119", rgb(image.get_pixel(119, 201)), [255, 0, 0])
  check("#{pass}: nothing past the sprite", rgb(image.get_pixel(120, 201)), [0, 0, 0])
  port.oy = -3
  image = Graphics.snap_to_bitmap
  check("#{pass}: oy moves it down", [rgb(image.get_pixel(100, 202)), rgb(image.get_pixel(100, 203))],
        [[0, 0, 0], [255, 0, 0]])
  port.rect.x = 110
  check("#{pass}: the shared rect moves the viewport", [pixel(100, 204), pixel(110, 204), pixel(129, 204)],
        [[0, 0, 0], [255, 0, 0], [255, 0, 0]])
end

def fast_layers(pass)
  port = made(Viewport.new(0, 220, 60, 20))
  # Left: red, then blue subtracting. Right: red and green, then at z 6 grey subtracting and dim blue.
  sprite(RED, 0, 0, port).z = 5
  taker = sprite(BLUE, 0, 0, port)
  taker.z = 5
  taker.blend_type = 2
  sprite(RED, 20, 0, port).z = 5
  sprite(GREEN, 20, 0, port).z = 5
  grey = sprite(Color.new(50, 50, 50), 20, 0, port)
  grey.z = 6
  grey.blend_type = 2
  sprite(Color.new(0, 0, 100), 20, 0, port).z = 6
  # A child whose z comes from its parent belongs to the layer of its effective z.
  sprite(GREEN, 40, 0, port).z = 5
  lifting = made(Sprite.new)
  lifting.z = 5
  lifting.add_child(sprite(RED, 40, 0, port))
  check("#{pass}: own blends without layers", [pixel(2, 222), pixel(22, 222)], [[255, 0, 0], [0, 0, 100]])
  check("#{pass}: the later child on top", pixel(42, 222), [255, 0, 0])

  port.add_fast_layer(5, 1)
  check("#{pass}: layer 5 adds both whatever their blend", pixel(2, 222), [255, 0, 255])
  check("#{pass}: then the z 6 objects draw with their own", pixel(22, 222), [0, 0, 100])
  check("#{pass}: a child of effective z 5 in the layer", pixel(42, 222), [255, 255, 0])
  # The first object after a group is drawn on its own; the next one of its z opens the next group.
  port.add_fast_layer(6, 1)
  check("#{pass}: first of z 6 on its own, the rest added", pixel(22, 222), [205, 205, 100])
  port.remove_fast_layer(6)
  check("#{pass}: removed layer", pixel(22, 222), [0, 0, 100])
  port.add_fast_layer(5, 7)
  check("#{pass}: other modes draw the group normally", pixel(2, 222), [0, 0, 255])
  port.clear_fast_layers
  check("#{pass}: cleared layers", pixel(2, 222), [255, 0, 0])
end

def flashes(pass)
  check("#{pass}: flash with nil", error_of { made(Viewport.new).flash(nil, 4) }[/\A\w+/], 'TypeError')
  fading = made(Viewport.new(0, 250, 10, 10))
  sprite(RED, 0, 0, fading)
  tinted = made(Viewport.new(20, 250, 10, 10))
  sprite(RED, 0, 0, tinted)
  fading.flash(Color.new(0, 0, 0, 0), 4)
  tinted.flash(Color.new(0, 0, 255, 255), 4)
  # Without colour the picture is drawn at alpha progress x 255; with one, the colour is laid over it.
  check("#{pass}: hidden at the start", pixel(2, 252), [0, 0, 0])
  check("#{pass}: covered by the flash colour", pixel(22, 252), [0, 0, 255])
  fading.update
  check_near("#{pass}: a quarter in", Graphics.snap_to_bitmap.get_pixel(2, 252), [63, 0, 0])
  fading.update
  tinted.update
  tinted.update
  check_near("#{pass}: half in", Graphics.snap_to_bitmap.get_pixel(2, 252), [127, 0, 0])
  # Overlay colour 127 blue at opacity 127 over red.
  check_near("#{pass}: half the flash colour", Graphics.snap_to_bitmap.get_pixel(22, 252), [128, 0, 63])
  2.times { [fading, tinted].each(&:update) }
  check("#{pass}: fully in after 4 updates", [pixel(2, 252), pixel(22, 252)], [[255, 0, 0], [255, 0, 0]])
end

def colour_tone_and_visibility(pass)
  under = sprite(GREEN, 0, 270, nil, 80, 20)
  under.z = -1
  coloured = made(Viewport.new(0, 270, 20, 20))
  coloured.z = 1
  sprite(RED, 0, 0, coloured)
  coloured.color = Color.new(0, 0, 255, 128)
  toned = made(Viewport.new(30, 270, 20, 20))
  toned.z = 1
  sprite(RED, 0, 0, toned)
  toned.tone = Tone.new(-255, 0, 255, 0)
  image = Graphics.snap_to_bitmap
  # The colour is a translucent rectangle over the whole viewport, drawn or not.
  check_near("#{pass}: colour over the viewport's objects", image.get_pixel(2, 272), [127, 0, 128])
  check_near("#{pass}: colour over the empty part", image.get_pixel(12, 282), [0, 127, 128])
  check("#{pass}: no colour outside", rgb(image.get_pixel(22, 272)), [0, 255, 0])
  check("#{pass}: tone on the viewport's objects", rgb(image.get_pixel(32, 272)), [0, 0, 255])
  check("#{pass}: empty parts of a toned viewport stay clear", rgb(image.get_pixel(42, 282)), [0, 255, 0])
  coloured.visible = false
  toned.visible = false
  image = Graphics.snap_to_bitmap
  check("#{pass}: invisible viewports are not drawn",
        [rgb(image.get_pixel(2, 272)), rgb(image.get_pixel(12, 282)), rgb(image.get_pixel(32, 272))],
        [[0, 255, 0]] * 3)
  coloured.visible = true
  check_near("#{pass}: visible again", Graphics.snap_to_bitmap.get_pixel(2, 272), [127, 0, 128])
end

def blends_with_what_lies_beneath(pass)
  sprite(Color.new(100, 100, 100), 0, 300, nil, 60, 10)
  port = made(Viewport.new(0, 300, 60, 10))
  port.z = 1
  sprite(Color.new(50, 20, 0), 0, 0, port).blend_type = 1
  sprite(Color.new(0, 0, 0), 10, 0, port).blend_type = 1
  sprite(Color.new(30, 30, 30), 20, 0, port).blend_type = 2
  check("#{pass}: adding and subtracting on an otherwise empty viewport",
        [pixel(2, 302), pixel(12, 302), pixel(22, 302), pixel(32, 302)],
        [[150, 120, 100], [100, 100, 100], [70, 70, 70], [100, 100, 100]])
  port.color = Color.new(0, 0, 0, 255)
  check("#{pass}: the colour still covers them", pixel(2, 302), [0, 0, 0])
end

def disposal(pass)
  port = made(Viewport.new(0, 300, 100, 20))
  port.ox = -50
  first = sprite(RED, 0, 300, port)
  first.oy = 300
  second = sprite(BLUE, 10, 300, port)
  second.oy = 300
  check("#{pass}: drawn in the viewport", pixel(52, 302), [255, 0, 0])
  port.dispose
  check("#{pass}: its sprites live on", [first.disposed?, second.disposed?], [false, false])
  check("#{pass}: and keep the viewport", first.viewport.equal?(port), true)
  check("#{pass}: undrawn", [pixel(52, 302), pixel(2, 2)], [[0, 0, 0], [0, 0, 0]])
  first.viewport = port
  check("#{pass}: given the disposed viewport again, still undrawn", pixel(52, 302), [0, 0, 0])
  first.viewport = nil
  other = made(Viewport.new(200, 0, 100, 400))
  second.viewport = other
  image = Graphics.snap_to_bitmap
  check("#{pass}: drawn on the screen again", rgb(image.get_pixel(2, 2)), [255, 0, 0])
  check("#{pass}: drawn in another viewport", rgb(image.get_pixel(212, 2)), [0, 0, 255])
end

def snapshot(pass)
  port = made(Viewport.new(10, 10, 20, 20))
  sprite(RED, 2, 3, port, 4, 4)
  # Made later, ordered below by its z: the snapshot prepares and sorts without a frame.
  sprite(BLUE, 2, 3, port, 4, 4).z = -1
  image = port.snap_to_bitmap
  check("#{pass}: snapshot of the rectangle", [image.width, image.height], [20, 20])
  check("#{pass}: with the viewport's objects", [rgb(image.get_pixel(2, 3)), rgb(image.get_pixel(1, 3))],
        [[255, 0, 0], [0, 0, 0]])
  # save_png writes the whole screen-sized picture, the objects where they are on the screen.
  path = File.join(ENV['TMPDIR'] || '/tmp', "quillon_scene_viewports_#{Process.pid}.png")
  begin
    port.save_png(path)
    saved = Bitmap.new(path)
    check("#{pass}: saved at the screen's size", [saved.width, saved.height], [W, H])
    check("#{pass}: saved objects in screen places", [rgb(saved.get_pixel(12, 13)), rgb(saved.get_pixel(11, 13))],
          [[255, 0, 0], [0, 0, 0]])
  ensure
    File.delete(path) if File.exist?(path)
  end
end

CASES = %i[rectangles origin_and_clipping fast_layers flashes colour_tone_and_visibility blends_with_what_lies_beneath
           disposal snapshot].freeze

run_scene_cases(CASES)
finish
