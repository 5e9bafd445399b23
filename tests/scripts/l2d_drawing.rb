# L2D pictures on the sample models. Models keep moving from frame to frame, so most cases compare twins: two
# objects of one model made in the same frame and started on the same motion animate alike, one in each half of the
# screen; the case changes one of them and compares the halves. Skips when the samples are not there.

MODELS = "#{ENV['QUILLON_TESTDATA']}/live2d/"
unless defined?(L2D) && File.exist?("#{MODELS}Mark/Mark.model3.json")
  puts "skipped: no L2D class in this build, or no Live2D samples under #{MODELS}"
  exit 0
end

WIDTH = Graphics.width
HEIGHT = Graphics.height
HALF = WIDTH / 2

def sample(name)
  ["#{MODELS}#{name}/", "#{name}.model3.json"]
end

# One object in each half, made in the same frame. Every case starts them together on the first idle motion at the
# given zoom, with every property it may have changed back at its default, so they animate alike.
def twins(zoom = 0.5)
  $twins ||= [L2D.new(*sample('Mark')), L2D.new(*sample('Mark'))]
  $twins.each_with_index do |model, side|
    model.zoom_x = model.zoom_y = zoom
    model.x = side.zero? ? -HALF / 2 : HALF / 2
    model.y = 0
    model.opacity = 255
    model.color = Color.new(0, 0, 0, 0)
    model.tone = Tone.new(0, 0, 0, 0)
    model.blend_type = 0
    model.viewport = nil
    model.visible = true
    model.set_motion('Idle', 0, true)
  end
  $twins
end

def frames(count)
  count.times { Graphics.update }
end

# The pixels of the left or right half, every second pixel.
def half(shot, side)
  left = side == :left ? 0 : HALF
  pixels = []
  (0...HEIGHT).step(2) { |y| (0...HALF).step(2) { |x| pixels << rgb(shot.get_pixel(left + x, y)) } }
  pixels
end

def halves
  shot = Graphics.snap_to_bitmap
  result = [half(shot, :left), half(shot, :right)]
  shot.dispose
  result
end

def differing(a, b, tolerance)
  a.zip(b).count { |p, q| p.zip(q).any? { |u, v| (u - v).abs > tolerance } }
end

# Left, top, right and bottom of what differs from the background, within [x0, x1).
def bounds(shot, x0, x1, background = [0, 0, 0])
  xs = []
  ys = []
  (0...HEIGHT).each do |y|
    (x0...x1).each do |x|
      next if rgb(shot.get_pixel(x, y)) == background
      xs << x
      ys << y
    end
  end
  [xs.min, ys.min, xs.max, ys.max]
end

# Whether anything differs from the background, looking at every second pixel.
def covered?(shot, background)
  (0...HEIGHT).step(2).any? { |y| (0...WIDTH).step(2).any? { |x| rgb(shot.get_pixel(x, y)) != background } }
end

def near(a, b, tolerance)
  a.zip(b).all? { |u, v| u && v && (u - v).abs <= tolerance }
end

def backdrop(color, z)
  sprite = made(Sprite.new)
  sprite.bitmap = made(solid(color, WIDTH, HEIGHT))
  sprite.z = z
  sprite
end

def every_sample_draws
  %w[Haru Mark Mao].each do |name|
    model = made(L2D.new(*sample(name)))
    model.zoom_x = model.zoom_y = 0.5
    frames(2)
    shot = Graphics.snap_to_bitmap
    box = bounds(shot, 0, WIDTH)
    check("#{name} is drawn in the middle (#{box.inspect})",
          !box[0].nil? && box[0] > 40 && box[2] < WIDTH - 40 && box[2] - box[0] > 30, true)
    shot.dispose
    clear_scene
  end
end

def twins_match
  twins
  frames(2)
  left, right = halves
  check('twins draw alike', differing(left, right, 8) <= left.size / 100, true)
  check('twins draw something', left.count { |pixel| pixel != [0, 0, 0] } > 1000, true)
end

def offsets
  _, b = twins(0.3)
  b.x += 60
  b.y = 40
  Graphics.update
  shot = Graphics.snap_to_bitmap
  first = bounds(shot, 0, HALF)
  second = bounds(shot, HALF, WIDTH)
  shot.dispose
  check('x = 60 moves 60 pixels right, y = 40 moves 40 down',
        near(second, first.zip([HALF + 60, 40] * 2).map { |value, by| value + by }, 1), true)
end

def zoom_about_the_centre
  _, b = twins(0.5)
  b.zoom_x = b.zoom_y = 0.25
  Graphics.update
  shot = Graphics.snap_to_bitmap
  big = bounds(shot, 0, HALF)
  small = bounds(shot, HALF, WIDTH)
  shot.dispose
  # The left one stands HALF / 2 left of the centre, the right one HALF / 2 right of it; zoom scales about the centre.
  expected = [HALF + HALF / 2 + (big[0] - HALF / 2) / 2.0, HEIGHT / 2 + (big[1] - HEIGHT / 2) / 2.0,
              HALF + HALF / 2 + (big[2] - HALF / 2) / 2.0, HEIGHT / 2 + (big[3] - HEIGHT / 2) / 2.0]
  check("half the zoom, half the size about the centre (#{big.inspect} to #{small.inspect})",
        near(small, expected, 2), true)
end

def opacity_colour_tone
  _, b = twins
  b.opacity = 128
  Graphics.update
  left, right = halves
  halved = left.map { |pixel| pixel.map { |value| value * 128 / 255 } }
  check('opacity 128 halves the picture', differing(halved, right, 3) <= left.size / 200, true)

  b.opacity = 255
  b.color = Color.new(255, 0, 0, 255)
  Graphics.update
  left, right = halves
  check('a full colour leaves only its own channel', right.count { |_, g, bl| g > 1 || bl > 1 }, 0)
  check('a full colour keeps the shape', left.zip(right).count { |p, q| p.sum > 60 && q[0] == 0 } <= 2, true)

  b.color = Color.new(0, 0, 0, 0)
  b.tone = Tone.new(0, 0, 0, 255)
  Graphics.update
  left, right = halves
  check('a full gray tone takes the colour out', right.count { |r, g, bl| (r - g).abs > 2 || (g - bl).abs > 2 }, 0)
  check('colours were there to take out', left.count { |r, g, bl| (r - g).abs > 30 || (g - bl).abs > 30 } > 100,
        true)
end

def blend_types
  backdrop(Color.new(128, 128, 128), -10)
  _, b = twins
  b.blend_type = 1
  Graphics.update
  left, right = halves
  check('additive is never darker than normal', left.zip(right).count { |p, q| q.sum < p.sum - 6 } <= 2, true)
  check('additive brightens', left.zip(right).count { |p, q| q.sum > p.sum + 60 } > 500, true)
  b.blend_type = 2
  Graphics.update
  _, right = halves
  check('subtractive only darkens', right.count { |pixel| pixel.max > 130 }, 0)
  check('subtractive darkens', right.count { |pixel| pixel.max < 100 } > 500, true)
end

def viewport_clipping
  _, b = twins
  port = made(Viewport.new(HALF, 0, HALF, HEIGHT / 2))
  port.ox = HALF
  b.viewport = port
  check('viewport reads back', b.viewport.equal?(port), true)
  Graphics.update
  left, right = halves
  rows = HALF / 2
  upper = rows * (HEIGHT / 4)
  check('inside the viewport as on the screen', differing(left.first(upper), right.first(upper), 8) <= upper / 100,
        true)
  check('outside the viewport nothing', right.drop(upper).count { |pixel| pixel != [0, 0, 0] }, 0)
  b.viewport = nil
  Graphics.update
  left, right = halves
  check('back on the screen', differing(left, right, 8) <= left.size / 100, true)
end

# Whether the next frame shows anything but the blue cover.
def model_shows?
  Graphics.update
  shot = Graphics.snap_to_bitmap
  shown = covered?(shot, [0, 0, 255])
  shot.dispose
  shown
end

def order_against_sprites
  cover = backdrop(Color.new(0, 0, 255), 5)
  model = made(L2D.new(*sample('Mark')))
  model.zoom_x = model.zoom_y = 0.5
  check('under a sprite of higher z', model_shows?, false)
  model.z = 10
  check('over a sprite of lower z', model_shows?, true)
  # Equal z and y: the one made later is drawn later.
  cover.z = 10
  check('equal z, made later, drawn over', model_shows?, true)
  backdrop(Color.new(0, 0, 255), 10)
  check('equal z, sprite made later covers', model_shows?, false)
end

def hidden_keeps_moving
  _, b = twins
  b.visible = false
  frames(10)
  _, right = halves
  check('hidden draws nothing', right.count { |pixel| pixel != [0, 0, 0] }, 0)
  b.visible = true
  Graphics.update
  left, right = halves
  check('shown again where its twin is', differing(left, right, 8) <= left.size / 100, true)
end

def expressions
  $twins.each(&:dispose)
  a, b = [made(L2D.new(*sample('Mao'))), made(L2D.new(*sample('Mao')))]
  [a, b].each_with_index do |model, side|
    model.zoom_x = model.zoom_y = 0.5
    model.x = side.zero? ? -HALF / 2 : HALF / 2
    model.set_motion('Idle', 0, true)
  end
  frames(2)
  left, right = halves
  before = differing(left, right, 8)
  b.set_expression('exp_02')
  frames(45)
  # The expression closes the eyes; the twin may be blinking at any one frame, so the most differing of a few
  # frames over half a second counts.
  most = Array.new(6) { frames(5); differing(*halves, 8) }.max
  check("an expression changes the face (#{before} differing before)", most > before + 10, true)
end

%i[every_sample_draws twins_match offsets zoom_about_the_centre opacity_colour_tone blend_types viewport_clipping
   order_against_sprites hidden_keeps_moving expressions].each do |name|
  send(name)
rescue StandardError => error
  $failures << "#{name}: #{error.class}: #{error.message}"
ensure
  clear_scene
end
finish
