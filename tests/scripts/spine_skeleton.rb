# Spine through the real player with skeletons this test writes itself (a 16 x 8 page of a white and a grey square,
# its atlas and skeletons in JSON): placement from the screen centre, opacity, clipping, the four blend modes,
# viewports and sprites around it, events, mixing out, skins, bones, argument checks and bad files. Pixel checks
# read the screen back.
W = Graphics.width
H = Graphics.height
CX = W / 2
CY = H / 2
DIR = 'Probe'

Dir.mkdir(DIR) unless File.directory?(DIR)
page = Bitmap.new(16, 8)
page.fill_rect(0, 0, 4, 4, Color.new(255, 255, 255))
page.fill_rect(8, 0, 4, 4, Color.new(128, 128, 128))
page.save_png("#{DIR}/probe.png")
page.dispose
File.write("#{DIR}/probe.atlas", "\nprobe.png\nsize: 16,8\nformat: RGBA8888\nfilter: Nearest,Nearest\nrepeat: none\n" +
           %w[white grey].each_with_index.map do |name, i|
             "#{name}\n  rotate: false\n  xy: #{i * 8}, 0\n  size: 4, 4\n  orig: 4, 4\n  offset: 0, 0\n  index: -1\n"
           end.join)

def box(path, size, x = 0, y = 0)
  %({"path": "#{path}", "x": #{x}, "y": #{y}, "width": #{size}, "height": #{size}})
end

# A skeleton of bones `root`, `slide` and `mover` with the given slots, skins and animations (JSON fragments).
def write_skeleton(name, slots, skins, animations = '{}', events = '{}')
  File.write("#{DIR}/#{name}.json", %({"skeleton": {"spine": "3.8.55"},
    "bones": [{"name": "root"}, {"name": "slide", "parent": "root"}, {"name": "mover", "parent": "root"}],
    "slots": [#{slots}], "skins": [#{skins}], "events": #{events}, "animations": #{animations}}))
end

def slide_to(x, time = 1)
  %({"bones": {"slide": {"translate": [{"time": 0, "x": #{x}}, {"time": #{time}, "x": #{x}}]}}})
end

write_skeleton('probe', '{"name": "square", "bone": "slide", "attachment": "white"},
                         {"name": "marker", "bone": "mover", "attachment": "grey"}',
               %({"name": "default", "attachments": {"square": {"white": #{box('white', 40)}},
                  "marker": {"grey": #{box('grey', 10, 0, 60)}}}},
                 {"name": "tall", "attachments": {"square": {"white": #{box('white', 60)}}}},
                 {"name": "far", "attachments": {"marker": {"grey": #{box('grey', 10, 100, 60)}}}}),
               %({"rest": {"events": [{"time": 0.1, "name": "ping", "int": 7, "float": 2.5, "string": "pong"}]},
                  "slide": #{slide_to(60)}, "left": #{slide_to(-60)}, "right": #{slide_to(60)}}),
               '{"ping": {}}')
# An L-shaped clip (concave) over a white square, ending at that slot; a small square after it stays unclipped.
write_skeleton('clip', '{"name": "clip", "bone": "root", "attachment": "clip"},
                        {"name": "inside", "bone": "root", "attachment": "white"},
                        {"name": "after", "bone": "root", "attachment": "small"}',
               %({"name": "default", "attachments": {
                  "clip": {"clip": {"type": "clipping", "end": "inside", "vertexCount": 6,
                                    "vertices": [-10, -10, 10, -10, 10, 0, 0, 0, 0, 10, -10, 10]}},
                  "inside": {"white": #{box('white', 40)}}, "after": {"small": #{box('white', 10, 30)}}}}))
write_skeleton('blend', %w[normal additive multiply screen].map { |mode| %({"name": "#{mode}", "bone": "root",
                          "attachment": "grey", "blend": "#{mode}"}) }.join(','),
               %({"name": "default", "attachments": {#{%w[normal additive multiply screen].each_with_index.map do |mode, i|
                 %("#{mode}": {"grey": #{box('grey', 20, -60 + i * 40)}})
               end.join(',')}}}))

def probe(name = 'probe', viewport = nil)
  made(viewport ? Spine.new("#{DIR}/probe.atlas", "#{DIR}/#{name}.json", viewport)
                : Spine.new("#{DIR}/probe.atlas", "#{DIR}/#{name}.json"))
end

def shot
  Graphics.update
  $shot&.dispose
  $shot = Graphics.snap_to_bitmap
end

def grey_at(x, y)
  $shot.get_pixel(x, y).red.to_i
end

def placement(pass)
  spine = probe
  shot
  check("#{pass}: origin at the screen centre", [grey_at(CX - 20, CY), grey_at(CX + 19, CY), grey_at(CX + 21, CY)],
        [255, 255, 0])
  spine.x = 50
  spine.y = 30
  spine.update
  shot
  check("#{pass}: x right and y down in pixels", [grey_at(CX + 30, CY + 10), grey_at(CX + 69, CY + 49),
                                                  grey_at(CX + 20, CY + 10)], [255, 255, 0])
  spine.zoom_x = 2
  spine.update
  shot
  check("#{pass}: zoom scales about the skeleton's origin", [grey_at(CX + 11, CY + 30), grey_at(CX + 9, CY + 30)],
        [255, 0])
  check("#{pass}: zoom is stored as given", [spine.zoom_x, spine.zoom_y], [2.0, 1.0])
end

def opacity(pass)
  spine = probe
  [[255, 255], [128, 128], [0, 0]].each do |value, grey|
    spine.opacity = value
    shot
    check_near("#{pass}: opacity #{value} over black", $shot.get_pixel(CX, CY), [grey] * 3)
  end
  spine.opacity = 999
  check("#{pass}: opacity clamps", spine.opacity, 255)
end

def clipping(pass)
  probe('clip')
  shot
  # Skeleton y is up: the notch of the L is the upper right quarter.
  check("#{pass}: inside the clip polygon", [grey_at(CX - 5, CY - 5), grey_at(CX + 5, CY + 5)], [255, 255])
  check("#{pass}: nothing outside it", [grey_at(CX + 5, CY - 5), grey_at(CX + 15, CY), grey_at(CX - 15, CY)], [0, 0, 0])
  check("#{pass}: slots after the end slot unclipped", grey_at(CX + 30, CY), 255)
end

def blending(pass)
  below = made(Sprite.new)
  below.bitmap = solid(Color.new(100, 100, 100), W, H)
  probe('blend')
  shot
  expected = { 'normal' => 128, 'additive' => 228, 'multiply' => 50, 'screen' => 178 }
  expected.each_with_index do |(mode, grey), i|
    check_near("#{pass}: #{mode} over grey 100", $shot.get_pixel(CX - 60 + i * 40, CY), [grey] * 3, 2)
  end
  below.bitmap.dispose
end

def scene_order(pass)
  cover = made(Sprite.new)
  cover.bitmap = solid(Color.new(255, 0, 0), 8, 8)
  cover.x = CX - 4
  cover.y = CY - 4
  cover.z = 5
  spine = probe
  other = probe
  other.x = -120
  other.update
  shot
  check("#{pass}: a sprite above the skeleton", rgb($shot.get_pixel(CX, CY)), [255, 0, 0])
  check("#{pass}: a second skeleton draws too", grey_at(CX - 120, CY), 255)
  spine.z = 10
  shot
  check("#{pass}: the skeleton above the sprite", rgb($shot.get_pixel(CX, CY)), [255, 255, 255])
  cover.bitmap.dispose
end

def viewports(pass)
  viewport = made(Viewport.new(40, 30, 100, 80))
  spine = probe('probe', viewport)
  check("#{pass}: viewport of a three-argument Spine", spine.viewport, viewport)
  check("#{pass}: viewport of a two-argument Spine", probe.viewport, nil)
  clear_scene
  viewport = made(Viewport.new(40, 30, 100, 80))
  spine = probe('probe', viewport)
  spine.x = -CX
  spine.y = 40 - CY
  spine.update
  shot
  # Offset by the rectangle: the square is centred on the viewport's left edge, which cuts it.
  check("#{pass}: offset by the viewport and clipped", [grey_at(45, 70), grey_at(59, 70), grey_at(35, 70)],
        [255, 255, 0])
  viewport.ox = -10
  shot
  check("#{pass}: the viewport's scroll moves it", [grey_at(65, 70), grey_at(71, 70)], [255, 0])
  spine.viewport = nil
  check("#{pass}: viewport= nil", spine.viewport, nil)
end

def skins_and_bones(pass)
  spine = probe
  spine.set_skin(%w[tall missing])
  spine.update
  shot
  check("#{pass}: a combined skin replaces the square", [grey_at(CX + 25, CY), grey_at(CX, CY - 60)], [255, 128])
  spine.set_skin(%w[tall far])
  spine.update
  shot
  check("#{pass}: the later skin's marker", [grey_at(CX + 100, CY - 60), grey_at(CX, CY - 60)], [128, 0])
  spine.set_skin('nothing')
  spine.set_bone_position('mover', 80, -20)
  spine.set_bone_position('no such bone', 1, 1)
  spine.update
  shot
  check("#{pass}: an unknown skin leaves the default's; a moved bone", [grey_at(CX + 19, CY), grey_at(CX + 80, CY - 40)],
        [255, 128])
  check("#{pass}: set_skin needs strings", error_of { spine.set_skin(5) }, 'TypeError: wrong argument type')
end

def events(pass)
  spine = probe
  6.times { spine.update }
  check("#{pass}: a keyed event fires once", [spine.get_event_triggered(0, 'ping'), spine.get_event_triggered(0, 'ping')],
        [true, false])
  6.times { spine.update }
  check("#{pass}: kept with a third argument", [spine.get_event_triggered(0, 'ping', true),
                                                spine.get_event_triggered(0, 'ping')], [true, true])
  check("#{pass}: its values", [spine.get_event_int_data(0, 'ping'), spine.get_event_float_data(0, 'ping'),
                                spine.get_event_string_data(0, 'ping')], [7, 2.5, 'pong'])
  check("#{pass}: a name that never fired", [spine.get_event_triggered(0, 'pong'), spine.get_event_int_data(0, 'pong'),
                                             spine.get_event_float_data(1, 'ping'),
                                             spine.get_event_string_data(0, 'pong')], [false, 0, 0.0, ''])
  spine.set_animation(0, 'no such animation')
  spine.set_animation_alpha(7, 0.5)
  spine.clear_animation(9)
end

# Records in `seen` the update count at which each name first triggers on track 0.
def watch(spine, names, seen, frames)
  frames.times do
    spine.update
    seen[:frames] = seen.fetch(:frames, 0) + 1
    names.each { |name| seen[name] ||= seen[:frames] if spine.get_event_triggered(0, name) }
  end
end

def mixing(pass)
  old = Spine.mix_time
  before = probe
  Spine.mix_time = 0.5
  check("#{pass}: mix_time reads back", Spine.mix_time, 0.5)
  after = probe
  [before, after].each { |spine| spine.set_animation(0, 'left') }
  40.times { [before, after].each(&:update) }
  [before, after].each { |spine| spine.set_animation(0, 'right') }
  15.times { [before, after].each(&:update) }
  before.visible = false
  shot
  check("#{pass}: objects made after mix_time= crossfade over it", [grey_at(CX - 10, CY), grey_at(CX + 10, CY)],
        [255, 255])
  before.visible = true
  after.visible = false
  shot
  check("#{pass}: objects made before keep their default mix", [grey_at(CX + 41, CY), grey_at(CX + 39, CY)],
        [255, 0])
  before.clear_animation(0)
  15.times { before.update }
  shot
  check("#{pass}: clear_animation fades over the new mix_time", [grey_at(CX + 45, CY), grey_at(CX + 5, CY)],
        [255, 0])
  clear_scene
  # 'slide' holds x 60 for 1 s: it mixes in from the first animation over 0.5 s and out over the last 0.5 s.
  spine = probe
  spine.set_animation(0, 'slide', false)
  seen = {}
  watch(spine, %w[__Complete __End], seen, 45)
  shot
  check("#{pass}: halfway through the fade-out", [grey_at(CX + 45, CY), grey_at(CX + 5, CY)], [255, 0])
  watch(spine, %w[__Complete __End], seen, 30)
  shot
  check("#{pass}: complete, then end (#{seen.inspect})",
        seen.key?('__Complete') && seen.key?('__End') && seen['__Complete'] <= seen['__End'], true)
  check("#{pass}: back to the setup pose", [grey_at(CX, CY), grey_at(CX + 21, CY)], [255, 0])
ensure
  Spine.mix_time = old
end

def arguments(pass)
  spine = probe
  check("#{pass}: arity of new", error_of { Spine.new("#{DIR}/probe.atlas") }, arity(1, 2))
  check("#{pass}: arity of set_animation", error_of { spine.set_animation(0) }, arity(1, 2))
  check("#{pass}: arity of get_event_triggered", error_of { spine.get_event_triggered(0, 'a', true, 1) }, arity(4, 3))
  check("#{pass}: viewport class", error_of { Spine.new("#{DIR}/probe.atlas", "#{DIR}/probe.json", spine) },
        "TypeError: can't convert Spine into Viewport")
  check("#{pass}: clone", error_of { spine.clone }, "RGSSError: can't clone Spine")
  check("#{pass}: dup", error_of { spine.dup }, "RGSSError: can't dup Spine")
  spine.dispose
  spine.dispose
  check("#{pass}: disposed", [spine.disposed?, error_of { spine.update }], [true, 'RGSSError: disposed spine'])
end

def bad_files(pass)
  File.write("#{DIR}/garbage.skel", 'not a skeleton at all')
  File.write("#{DIR}/truncated.json", File.read("#{DIR}/probe.json")[0, 200])
  File.binwrite("#{DIR}/nopage.atlas", File.read("#{DIR}/probe.atlas").sub('probe.png', 'gone.png'))
  atlas = "#{DIR}/probe.atlas"
  {
    ["#{DIR}/none.atlas", "#{DIR}/probe.json"] => "RGSSError: failed to load atlas: #{DIR}/none.atlas",
    [atlas, "#{DIR}/garbage.skel"] => "RGSSError: failed to load binary skeleton: #{DIR}/garbage.skel",
    [atlas, "#{DIR}/truncated.json"] => "RGSSError: failed to load json skeleton: #{DIR}/truncated.json",
    [atlas, "#{DIR}/probe.JSON"] => "RGSSError: undefined skeleton format: #{DIR}/probe.JSON",
    [atlas, "#{DIR}/100%s.json"] => "RGSSError: failed to load json skeleton: #{DIR}/100%s.json",
    ["#{DIR}/nopage.atlas", "#{DIR}/probe.json"] => "Errno::ENOENT: No such file or directory - #{DIR}/gone.png"
  }.each do |(atlas_path, skeleton_path), message|
    check("#{pass}: #{skeleton_path}", error_of { made(Spine.allocate).send(:initialize, atlas_path, skeleton_path) },
          message)
  end
  Graphics.update
end

# Objects nobody disposed are freed by the collector while frames are drawn around them.
def collected(pass)
  keeper = probe
  keeper.y = -100
  keeper.update
  20.times do |i|
    spine = Spine.new("#{DIR}/probe.atlas", "#{DIR}/probe.json")
    spine.x = i * 10 - 100
    spine.update
    Graphics.update if i.odd?
  end
  GC.start
  shot
  check("#{pass}: the object still referenced draws", grey_at(CX, CY - 100), 255)
end

run_scene_cases(%i[placement opacity clipping blending scene_order viewports skins_and_bones events mixing arguments
                   bad_files collected])
finish
