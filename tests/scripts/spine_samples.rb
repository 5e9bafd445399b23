# Spine through the real player with the sample skeletons of the test data: the JSON and binary forms draw the
# same picture; x and y move it in screen pixels and zoom scales it; spineboy's footsteps arrive with their data;
# goblins' skins differ and combine. Skips, saying so, where the samples are not there.
SAMPLES = "#{ENV['QUILLON_TESTDATA']}/spine38"
unless File.directory?("#{SAMPLES}/spineboy")
  puts "skipped: no skeleton samples under #{SAMPLES}"
  exit 0
end

def spineboy(form)
  spine = made(Spine.new("#{SAMPLES}/spineboy/spineboy.atlas", "#{SAMPLES}/spineboy/spineboy-ess.#{form}"))
  spine.zoom_x = spine.zoom_y = 0.4
  spine.y = 150
  spine.set_animation(0, 'idle')
  spine
end

# Every fourth pixel of the screen in both directions.
def samples
  Graphics.update
  shot = Graphics.snap_to_bitmap
  pixels = (0...shot.height).step(4).flat_map { |y| (0...shot.width).step(4).map { |x| rgb(shot.get_pixel(x, y)) } }
  shot.dispose
  pixels
end

def differing(a, b, tolerance = 8)
  a.zip(b).count { |p, q| p.zip(q).any? { |u, v| (u - v).abs > tolerance } }
end

# [left, top, right, bottom] of what is not black, in sampled pixels (4 screen pixels each).
def extent(pixels)
  columns = Graphics.width / 4
  lit = pixels.each_index.select { |i| pixels[i] != [0, 0, 0] }
  xs = lit.map { |i| i % columns }
  ys = lit.map { |i| i / columns }
  [xs.min, ys.min, xs.max, ys.max]
end

def forms
  json = spineboy('json')
  12.times { json.update }
  from_json = samples
  clear_scene
  skel = spineboy('skel')
  12.times { skel.update }
  from_skel = samples
  check('spineboy is drawn', from_json.count { |p| p != [0, 0, 0] } > 500, true)
  check('JSON and binary draw the same picture', differing(from_json, from_skel) < from_json.size / 200, true)
end

def placement
  spine = spineboy('skel')
  12.times { spine.update }
  before = extent(samples)
  spine.x = 40
  spine.y = 150 + 20
  spine.update
  moved = extent(samples)
  check("x and y move it right and down by 40 and 20 pixels (#{before} to #{moved})",
        moved.zip(before.zip([10, 5, 10, 5])).all? { |m, (b, d)| (m - b - d).abs <= 1 }, true)
  spine.zoom_x = 0.8
  spine.update
  wide = extent(samples)
  check("zoom_x 0.8 doubles its width (#{moved} to #{wide})",
        ((wide[2] - wide[0]) - 2 * (moved[2] - moved[0])).abs <= 3, true)
end

def footsteps
  spine = spineboy('json')
  spine.set_animation(0, 'run')
  spine.update
  check('the first footstep', [spine.get_event_triggered(0, 'footstep'), spine.get_event_int_data(0, 'footstep'),
                               spine.get_event_float_data(0, 'footstep'), spine.get_event_string_data(0, 'footstep')],
        [true, 0, 0.0, ''])
  check('fired once', spine.get_event_triggered(0, 'footstep'), false)
  27.times { spine.update }
  check('the second footstep carries 1', [spine.get_event_triggered(0, 'footstep'),
                                          spine.get_event_int_data(0, 'footstep')], [true, 1])
  check('nothing on another track', spine.get_event_triggered(1, 'footstep'), false)
end

def goblins(names)
  spine = made(Spine.new("#{SAMPLES}/goblins/goblins.atlas", "#{SAMPLES}/goblins/goblins-pro.skel"))
  spine.y = 150
  spine.set_skin(names)
  spine.update
  picture = samples
  clear_scene
  picture
end

def skins
  goblin = goblins('goblin')
  girl = goblins('goblingirl')
  check('goblin and goblingirl differ', differing(goblin, girl) > 100, true)
  check('a skin that is not there adds nothing', differing(goblins(%w[goblin missing]), goblin, 0), 0)
  check('a later skin wins', differing(goblins(%w[goblin goblingirl]), girl, 0), 0)
end

forms
clear_scene
placement
clear_scene
footsteps
clear_scene
skins
finish
