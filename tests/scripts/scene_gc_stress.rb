# Scenes of thousands of sprites, viewports and bitmaps made, linked, disposed and dropped in random order
# while the collector runs at every allocation and frames are drawn in between: records are released in any
# order, none is touched after it is gone, and the process exits cleanly with a large scene still alive.
# A second pass keeps lazy sweeping (stress flag 2), so objects that became garbage together are freed one
# by one across later frames.
RANDOM = Random.new(20_261_208)
PALETTE = [Color.new(255, 0, 0), Color.new(0, 255, 0), Color.new(0, 0, 255), Color.new(255, 255, 255)].freeze

def pick(list)
  list[RANDOM.rand(list.size)]
end

def new_bitmap
  bitmap = Bitmap.new(1 + RANDOM.rand(6), 1 + RANDOM.rand(6))
  bitmap.fill_rect(bitmap.rect, pick(PALETTE))
  bitmap
end

# A sprite with everything that links it to other objects: viewport, bitmap, colour, tone, a parent,
# an effect texture.
def new_sprite(viewports, sprites, bitmaps)
  live_ports = viewports.reject(&:disposed?)
  sprite = Sprite.new(RANDOM.rand(3).zero? || live_ports.empty? ? nil : pick(live_ports))
  sprite.bitmap = bitmaps.empty? || RANDOM.rand(4).zero? ? new_bitmap : pick(bitmaps)
  sprite.x = RANDOM.rand(Graphics.width)
  sprite.y = RANDOM.rand(Graphics.height)
  sprite.z = RANDOM.rand(5)
  sprite.opacity = RANDOM.rand(256)
  sprite.tone = Tone.new(RANDOM.rand(100), 0, 0) if RANDOM.rand(4).zero?
  sprite.color = pick(PALETTE) if RANDOM.rand(4).zero?
  sprite.set_effect_param('extra', new_bitmap) if RANDOM.rand(8).zero?
  parent = sprites.empty? ? nil : pick(sprites)
  parent.add_child(sprite) if parent && !parent.disposed? && RANDOM.rand(3).zero?
  sprite
end

# Every viewport still alive, dropped ones included while a sprite refers to them. Not through an
# ObjectSpace::WeakMap: under GC.stress, Ruby 3.1's WeakMap#keys now and then hands back a key whose slot the
# collector has already reused, and the call on it crashes the interpreter.
def live_viewports
  ObjectSpace.each_object(Viewport).count { |viewport| !viewport.disposed? }
end

def new_viewport
  viewport = Viewport.new(RANDOM.rand(200), RANDOM.rand(200), 1 + RANDOM.rand(300), 1 + RANDOM.rand(200))
  viewport.z = RANDOM.rand(5)
  viewport.tone = Tone.new(0, RANDOM.rand(50), 0) if RANDOM.rand(2).zero?
  viewport.add_fast_layer(RANDOM.rand(5), RANDOM.rand(3)) if RANDOM.rand(3).zero?
  viewport
end

# Each step makes, changes, disposes or drops something; every `frame_every` steps a frame is drawn. Live
# viewports stay few: each holds a screen-sized target.
def churn(steps, frame_every, sprites, viewports, bitmaps)
  steps.times do |step|
    case RANDOM.rand(12)
    when 0..4 then sprites << new_sprite(viewports, sprites, bitmaps)
    when 5 then bitmaps << new_bitmap
    when 6 then viewports << new_viewport if live_viewports < 12
    when 7 then sprites.delete_at(RANDOM.rand(sprites.size)) unless sprites.empty?
    when 8 then pick(sprites).dispose unless sprites.empty?
    when 9
      unless viewports.empty?
        viewport = viewports.delete_at(RANDOM.rand(viewports.size))
        viewport.dispose if RANDOM.rand(2).zero?
      end
    when 10
      unless bitmaps.empty?
        bitmap = bitmaps.delete_at(RANDOM.rand(bitmaps.size))
        bitmap.dispose if RANDOM.rand(2).zero?
      end
    when 11
      unless sprites.empty?
        sprite = pick(sprites)
        live_ports = viewports.reject(&:disposed?)
        sprite.viewport = live_ports.empty? ? nil : pick(live_ports) unless sprite.disposed?
      end
    end
    Graphics.snap_to_bitmap if (step % frame_every).zero?
  end
end

# Sprites, their bitmaps, colours, tones and viewports that become garbage together, frames drawn while the
# lazy sweep frees them in whatever order.
def garbage_together(rounds)
  rounds.times do
    viewport = new_viewport
    group = Array.new(20) do |i|
      sprite = Sprite.new(i.even? ? viewport : nil)
      sprite.bitmap = new_bitmap
      sprite.color = Color.new(RANDOM.rand(256), 0, 0, 128)
      sprite.tone = Tone.new(0, 0, RANDOM.rand(256))
      sprite
    end
    group.each_cons(2) { |parent, child| parent.add_child(child) if RANDOM.rand(2).zero? }
    viewport = nil
    group = nil
    3.times { Graphics.snap_to_bitmap }
  end
end

# Lazy sweeping first, while the heap is small: every allocation then runs a full collection.
GC.stress = 0x02
begin
  garbage_together(3)
ensure
  GC.stress = false
end
sprites = []
viewports = []
bitmaps = []
GC.stress = 1
begin
  churn(1000, 100, sprites, viewports, bitmaps)
ensure
  GC.stress = false
end
GC.start
churn(3000, 400, sprites, viewports, bitmaps)

# What is left still draws: a sprite made now shows at its place above everything.
marker = Sprite.new
marker.bitmap = Bitmap.new(4, 4)
marker.bitmap.fill_rect(0, 0, 4, 4, Color.new(10, 20, 30))
marker.z = 100
marker.x = 200
marker.y = 300
check('a new sprite draws over the churned scene', Graphics.snap_to_bitmap.get_pixel(201, 301).to_s, '(10,20,30,255)')
Graphics.update
check('thousands made', sprites.size > 1000, true)
# Everything still referenced here is freed by the process's exit, in whatever order.
$kept = [sprites, viewports, bitmaps, marker]
finish
