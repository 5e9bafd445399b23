# Sprite's script interface: defaults, conversions and clamps, which setters copy and which share, the source
# rectangle replaced by bitmap=, width and height falling back to the bitmap, parent links that refuse cycles,
# effect parameters that keep their bitmaps alive, and the errors of wrong arguments and disposed sprites.
# Run once plainly and once under GC.stress.

def area(rect)
  [rect.x, rect.y, rect.width, rect.height]
end

def channels(value)
  [value.red, value.green, value.blue, value.is_a?(Tone) ? value.gray : value.alpha].map(&:to_i)
end

def defaults(pass)
  sprite = made(Sprite.new)
  values = {
    viewport: sprite.viewport, bitmap: sprite.bitmap, src_rect: area(sprite.src_rect),
    color: channels(sprite.color), tone: channels(sprite.tone), visible: sprite.visible,
    position: [sprite.x, sprite.y, sprite.z, sprite.ox, sprite.oy],
    zoom: [sprite.zoom_x, sprite.zoom_y], turn: [sprite.angle, sprite.shear_x, sprite.shear_y, sprite.mirror],
    wave: [sprite.wave_amp, sprite.wave_length, sprite.wave_speed, sprite.wave_phase],
    bush: [sprite.bush_depth, sprite.bush_opacity], opacity: sprite.opacity, blend_type: sprite.blend_type,
    size: [sprite.width, sprite.height], family: [sprite.parent, sprite.children], effect_name: sprite.effect_name
  }
  check("#{pass}: Sprite.new", values,
        viewport: nil, bitmap: nil, src_rect: [0, 0, 0, 0], color: [0, 0, 0, 0], tone: [0, 0, 0, 0], visible: true,
        position: [0, 0, 0, 0, 0], zoom: [1.0, 1.0], turn: [0.0, 0.0, 0.0, false], wave: [0, 360, 0, 0],
        bush: [0, 128], opacity: 255, blend_type: 0, size: [0, 0], family: [nil, []], effect_name: '')
  port = made(Viewport.new)
  check("#{pass}: Sprite.new(viewport)", made(Sprite.new(port)).viewport.equal?(port), true)
  check("#{pass}: Sprite.new(nil)", made(Sprite.new(nil)).viewport, nil)
end

def conversions(pass)
  sprite = made(Sprite.new)
  sprite.wave_length = 0
  sprite.wave_amp = 8
  check("#{pass}: a wave without length gets 180", sprite.wave_length, 180)
  sprite.wave_length = 50
  sprite.wave_amp = 4
  check("#{pass}: a set length stays", sprite.wave_length, 50)
  sprite.wave_length = 0
  sprite.wave_amp = 0
  check("#{pass}: no wave, no length", sprite.wave_length, 0)

  sprite.opacity = 300
  check("#{pass}: opacity clamps at 255", sprite.opacity, 255)
  sprite.opacity = -5
  check("#{pass}: opacity clamps at 0", sprite.opacity, 0)
  sprite.bush_opacity = 999
  check("#{pass}: bush opacity clamps", sprite.bush_opacity, 255)
  sprite.bush_depth = -3
  check("#{pass}: bush depth unclamped", sprite.bush_depth, -3)
  sprite.blend_type = 7
  check("#{pass}: blend type kept as given", sprite.blend_type, 7)
  sprite.visible = 1
  check("#{pass}: only true is visible", sprite.visible, false)
  sprite.mirror = 'yes'
  check("#{pass}: only true mirrors", sprite.mirror, false)
  sprite.z = 3.7
  check("#{pass}: z is a whole number", sprite.z, 3)
  sprite.zoom_x = 2
  check("#{pass}: zoom reads back a Float", sprite.zoom_x, 2.0)
  check("#{pass}: setters return their argument", sprite.send(:x=, 12), 12)
end

def source_rectangles(pass)
  image = Bitmap.new(64, 32)
  image.fill_rect(image.rect, Color.new(255, 0, 0))
  sprite = made(Sprite.new)
  early = sprite.src_rect
  sprite.bitmap = image
  check("#{pass}: bitmap= makes a new rectangle", sprite.src_rect.equal?(early), false)
  check("#{pass}: covering the bitmap", area(sprite.src_rect), [0, 0, 64, 32])
  early.set(0, 0, 2, 2)
  check("#{pass}: the old rectangle no longer steers it", area(sprite.src_rect), [0, 0, 64, 32])
  check("#{pass}: nor what is drawn", rgb(Graphics.snap_to_bitmap.get_pixel(40, 20)), [255, 0, 0])
  given = Rect.new(1, 2, 3, 4)
  check("#{pass}: src_rect= returns the sprite's rectangle", sprite.send(:src_rect=, given).equal?(sprite.src_rect),
        true)
  given.x = 9
  check("#{pass}: src_rect= copies", area(sprite.src_rect), [1, 2, 3, 4])

  sprite.src_rect.set(0, 0, 0, 0)
  check("#{pass}: a zero rectangle measures the bitmap", [sprite.width, sprite.height], [64, 32])
  sprite.src_rect.set(0, 0, 10, 0)
  check("#{pass}: a rectangle with a width measures itself", [sprite.width, sprite.height], [10, 0])
  sprite.bitmap = nil
  check("#{pass}: bitmap nil", [area(sprite.src_rect), sprite.width], [[0, 0, 0, 0], 0])
end

def colours_and_tones(pass)
  sprite = made(Sprite.new)
  sprite.bitmap = Bitmap.new(8, 8) # transparent black: only a tone shows it
  sprite.bitmap.fill_rect(0, 0, 8, 8, Color.new(0, 0, 0))
  sprite.y = 40
  shared = Tone.new(10, 0, 0)
  sprite.tone = shared
  shared.red = 255
  check("#{pass}: tone= shares", [sprite.tone.equal?(shared), sprite.tone.red], [true, 255.0])
  check("#{pass}: a shared tone reaches drawing", rgb(Graphics.snap_to_bitmap.get_pixel(2, 42)), [255, 0, 0])
  given = Color.new(1, 2, 3, 4)
  kept = sprite.color
  sprite.color = given
  given.red = 99
  check("#{pass}: color= copies", [sprite.color.equal?(kept), channels(sprite.color)], [true, [1, 2, 3, 4]])
end

def family(pass)
  first = made(Sprite.new)
  second = made(Sprite.new)
  child = made(Sprite.new)
  check("#{pass}: add_child returns the receiver", first.add_child(child).equal?(first), true)
  check("#{pass}: adding a parented sprite returns the receiver", second.add_child(child).equal?(second), true)
  check("#{pass}: and changes nothing", [child.parent.equal?(first), first.children.size, second.children], [true, 1, []])
  check("#{pass}: removing a stranger changes nothing", second.remove_child(child).equal?(second), true)
  check("#{pass}: still the first's", child.parent.equal?(first), true)

  check("#{pass}: a sprite is not its own child", error_of { second.add_child(second) }[/\A\w+/], 'RGSSError')
  grandchild = made(Sprite.new)
  child.add_child(grandchild)
  message = error_of { grandchild.add_child(first) }
  check("#{pass}: nor its descendant's", message.start_with?('RGSSError: ') && message.include?('descendant'), true)
  check("#{pass}: a refused link changes nothing", [first.parent, grandchild.children], [nil, []])

  first.remove_child(child)
  check("#{pass}: remove_child unlinks both sides", [child.parent, first.children], [nil, []])
  second.add_child(child)
  child.dispose
  check("#{pass}: a disposed child leaves its parent", second.children, [])
  check("#{pass}: and its children", grandchild.parent, nil)
end

FINALIZED = []
NOTE_FINALIZED = proc { |id| FINALIZED << id }

# Bitmaps referenced only by the sprite's effect parameter, made in a frame of their own so that no stack slot
# keeps them.
def texture_parameters_on(sprites)
  sprites.map do |sprite|
    image = Bitmap.new(4, 4)
    ObjectSpace.define_finalizer(image, NOTE_FINALIZED)
    sprite.set_effect_param("texture#{sprite.object_id}", image)
    image.object_id
  end
end

def unreferenced_bitmaps(count)
  Array.new(count) do
    image = Bitmap.new(4, 4)
    ObjectSpace.define_finalizer(image, NOTE_FINALIZED)
    image.object_id
  end
end

def effect_parameters(pass)
  sprite = made(Sprite.new)
  check("#{pass}: a String value is ignored", sprite.set_effect_param('name', 'text'), nil)
  check("#{pass}: a Float value", sprite.set_effect_param('name', 0.5), 0.5)
  check("#{pass}: an Integer value", sprite.set_effect_param('name', 3), 3)
  image = Bitmap.new(2, 2)
  check("#{pass}: a Bitmap value", sprite.set_effect_param('tex', image).equal?(image), true)
  name = +'Custom'
  sprite.effect_name = name
  name << 'Changed'
  check("#{pass}: effect_name= copies", sprite.effect_name, 'Custom')
  check("#{pass}: clear_effect_params", sprite.clear_effect_params, nil)

  holders = Array.new(10) { made(Sprite.new) }
  kept = texture_parameters_on(holders)
  dropped = unreferenced_bitmaps(10)
  3.times { GC.start }
  # Finalizers run at the next safe point after the collection.
  Array.new(100) { Object.new }
  check("#{pass}: dropped bitmaps are collected", (FINALIZED & dropped).empty?, false)
  check("#{pass}: bitmaps of texture parameters live on", FINALIZED & kept, [])
  check("#{pass}: and are still usable", holders.all? { |holder| !holder.disposed? }, true)
end

def errors(pass)
  sprite = made(Sprite.new)
  type_error = 'TypeError'
  first_word = ->(&block) { error_of(&block)[/\A\w+/] }
  check("#{pass}: Sprite.new(5)", first_word.call { Sprite.new(5) }, type_error)
  check("#{pass}: Sprite.new with two arguments", first_word.call { Sprite.new(nil, nil) }, 'ArgumentError')
  check("#{pass}: bitmap = 5", first_word.call { sprite.bitmap = 5 }, type_error)
  check("#{pass}: viewport = a Sprite", first_word.call { sprite.viewport = sprite }, type_error)
  check("#{pass}: color = a Tone", first_word.call { sprite.color = Tone.new }, type_error)
  check("#{pass}: tone = a Color", first_word.call { sprite.tone = Color.new }, type_error)
  check("#{pass}: src_rect = nil", first_word.call { sprite.src_rect = nil }, type_error)
  check("#{pass}: flash with a number", first_word.call { sprite.flash(5, 2) }, type_error)
  check("#{pass}: clone", error_of { sprite.clone }, "RGSSError: can't clone Sprite")
  check("#{pass}: dup", error_of { sprite.dup }, "RGSSError: can't dup Sprite")

  gone = made(Sprite.new)
  gone.bitmap = Bitmap.new(2, 2)
  gone.dispose
  check("#{pass}: disposed?", gone.disposed?, true)
  check("#{pass}: disposing twice", error_of { gone.dispose }, 'no error')
  %i[x opacity update width].each do |name|
    check("#{pass}: #{name} of a disposed sprite", error_of { gone.send(name) }, 'RGSSError: disposed sprite')
  end
  check("#{pass}: x= of a disposed sprite", error_of { gone.x = 1 }, 'RGSSError: disposed sprite')
  readable = error_of { [gone.bitmap, gone.src_rect, gone.color, gone.tone, gone.parent, gone.children] }
  check("#{pass}: the kept objects stay readable", readable, 'no error')
end

CASES = %i[defaults conversions source_rectangles colours_and_tones family effect_parameters errors].freeze

run_scene_cases(CASES)
finish
