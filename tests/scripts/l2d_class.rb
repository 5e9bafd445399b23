# L2D's script interface on the sample models: defaults, conversions and clamps, the colour copied and the tone
# shared, the errors of wrong arguments, copies and disposed objects, parameters set and added, the head turning
# towards a look point, hit areas, and a model folder that does not exist. A normal run writes nothing to standard
# error. Skips when the samples are not there.

MODELS = "#{ENV['QUILLON_TESTDATA']}/live2d/"
unless defined?(L2D) && File.exist?("#{MODELS}Mao/Mao.model3.json")
  puts "skipped: no L2D class in this build, or no Live2D samples under #{MODELS}"
  exit 0
end
MAO = ["#{MODELS}Mao/", 'Mao.model3.json'].freeze

# Whatever the player writes to standard error from here on lands in this file.
ERROR_OUTPUT = STDERR.dup
$stderr.reopen('l2d_stderr.txt', 'w')

# Two models serve every case that needs one loaded; each case sets what it relies on.
FIRST = L2D.new(*MAO)
SECOND = L2D.new(*MAO)

def tone_values(tone)
  [tone.red, tone.green, tone.blue, tone.gray].map(&:to_i)
end

def color_values(color)
  [color.red, color.green, color.blue, color.alpha].map(&:to_i)
end

def defaults_and_conversions
  model = FIRST
  check('defaults', [model.x, model.y, model.z, model.zoom_x, model.zoom_y, model.opacity, model.blend_type,
                     model.visible, model.viewport, color_values(model.color), tone_values(model.tone),
                     model.effect_name],
        [0, 0, 0, 1.0, 1.0, 255, 0, true, nil, [0, 0, 0, 0], [0, 0, 0, 0], ''])
  check('zoom 0 and below read back 1.0', [model.send(:zoom_x=, 0), model.zoom_x, (model.zoom_y = -3), model.zoom_y],
        [0, 1.0, -3, 1.0])
  model.zoom_x = 0.5
  check('zoom kept', model.zoom_x, 0.5)
  check('opacity clamps', [model.send(:opacity=, 300), model.opacity, (model.opacity = -5) && model.opacity],
        [300, 255, 0])
  model.visible = 1
  first = model.visible
  model.visible = true
  check('only true is visible', [first, model.visible], [false, true])
  model.x = 12.7
  model.y = -8
  model.z = 3
  model.blend_type = 9
  check('integers', [model.x, model.y, model.z, model.blend_type], [12, -8, 3, 9])

  own = model.color
  given = Color.new(1, 2, 3, 4)
  check('color= returns its argument', model.send(:color=, given).equal?(given), true)
  given.red = 99
  check('color is copied into the own object', [model.color.equal?(own), color_values(own)], [true, [1, 2, 3, 4]])
  tone = Tone.new(10, 0, 0)
  model.tone = tone
  tone.red = 20
  check('tone is shared', [model.tone.equal?(tone), model.tone.red.to_i], [true, 20])
  model.x = model.y = 0
  model.zoom_x = model.zoom_y = 1
end

# A model without files answers like a loaded one here, so the disposed checks need not give up a loaded one.
def errors
  model = L2D.new("#{MODELS}Nowhere/", 'None.model3.json')
  check('viewport= of a Color', error_of { model.viewport = Color.new }, 'TypeError: can\'t convert Color into Viewport')
  check('color= of a Tone', error_of { model.color = Tone.new }, 'TypeError: can\'t convert Tone into Color')
  check('tone= of a Color', error_of { model.tone = Color.new }, 'TypeError: can\'t convert Color into Tone')
  check('clone', error_of { model.clone }, 'RGSSError: can\'t clone L2D')
  check('dup', error_of { model.dup }, 'RGSSError: can\'t dup L2D')
  check('set_motion(1 argument)', error_of { model.set_motion('Idle') }, arity(1, 2))
  check('set_motion(4 arguments)', error_of { model.set_motion('Idle', 0, true, 1) }, arity(4, 3))
  check('set_random_motion()', error_of { model.set_random_motion }, arity(0, 1))
  check('set_random_motion(3 arguments)', error_of { model.set_random_motion('Idle', true, 1) }, arity(3, 2))
  check('set_param(1 argument)', error_of { model.set_param('ParamAngleX') }, arity(1, 2))
  check('add_param(4 arguments)', error_of { model.add_param('ParamAngleX', 1, 1, 1) }, arity(4, 3))
  check('L2D.new()', error_of { L2D.new }, arity(0, 2))
  check('new with a number', error_of { L2D.new(1, 2) }.start_with?('TypeError'), true)
  check('unknown group, expression and index', error_of do
    model.set_motion('Nothing', 0)
    model.set_motion('Idle', 99, true)
    model.set_random_motion('Nothing')
    model.set_expression('Nothing')
  end, 'no error')
  check('set_expression returns its argument', FIRST.set_expression('exp_01'), 'exp_01')

  check('dispose', model.dispose, nil)
  check('disposed?', model.disposed?, true)
  check('x after dispose', error_of { model.x }, 'RGSSError: disposed L2D')
  check('viewport after dispose', error_of { model.viewport }, 'RGSSError: disposed L2D')
  check('second dispose', error_of { model.dispose }, 'RGSSError: disposed L2D')
  check('initialize after dispose', error_of { model.send(:initialize, *MAO) }, 'RGSSError: disposed L2D')
end

# A set value is the base every later update starts from; motions overwrite the parameters they drive.
def parameters
  model = FIRST
  Graphics.update
  check('set_param returns the value', model.set_param('ParamAngleX', 12.5), 12.5)
  check('set value reads back', model.get_param('ParamAngleX'), 12.5)
  model.set_param('ParamAngleX', 1000)
  check('set value clamps to the range', model.get_param('ParamAngleX'), 30.0)
  model.set_param('ParamAngleX', 0)
  model.set_param('ParamAngleX', 10, 0.5)
  check('weighted set', model.get_param('ParamAngleX'), 5.0)
  check('add_param returns the value', model.add_param('ParamAngleX', 2, 0.5), 2)
  check('weighted add', model.get_param('ParamAngleX'), 6.0)
  check('a name the model lacks starts at 0', model.get_param('QuillonMarker'), 0.0)
  model.set_param('QuillonMarker', 0.75)
  model.add_param('QuillonMarker', 0.5)
  5.times { Graphics.update }
  check('kept across updates', model.get_param('QuillonMarker'), 1.25)
  model.set_param('ParamAngleX', 30)
  model.set_motion('Idle', 0, true)
  30.times { Graphics.update }
  check('a motion drives the parameter again', model.get_param('ParamAngleX') != 30.0, true)
end

# Two models playing the same motion, one looking right and up, the other left and down.
def look_points
  right = FIRST
  left = SECOND
  [right, left].each { |model| model.set_motion('Idle', 0, true) }
  right.lookat(Graphics.width, 0)
  left.lookat(0, Graphics.height)
  30.times { Graphics.update }
  check('head turns right', right.get_param('ParamAngleX') - left.get_param('ParamAngleX') > 20, true)
  check('head turns up', right.get_param('ParamAngleY') - left.get_param('ParamAngleY') > 20, true)
  check('eyes follow', right.get_param('ParamEyeBallX') - left.get_param('ParamEyeBallX') > 0.5, true)
  [right, left].each { |model| model.lookat(Graphics.width / 2, Graphics.height / 2) }
end

# The points of an 8-pixel grid that lie in the area.
def hits(model, area)
  points = []
  (0...Graphics.height).step(8) do |y|
    (0...Graphics.width).step(8) { |x| points << [x, y] if model.hit_test(area, x, y) }
  end
  points
end

def hit_areas
  model = FIRST
  model.zoom_x = model.zoom_y = 0.5
  Graphics.update
  head = hits(model, 'Head')
  body = hits(model, 'Body')
  check('head has points', head.empty?, false)
  check('body has points', body.empty?, false)
  mean_y = ->(points) { points.sum { |point| point[1] } / [points.size, 1].max }
  check('head above body', mean_y.(head) < mean_y.(body), true)
  check('outside every area', [model.hit_test('Head', 0, 0), model.hit_test('Body', Graphics.width - 1, 0)],
        [false, false])
  check('unknown area', hits(model, 'Tail'), [])
  model.x = 100
  moved = hits(model, 'Head')
  left_edge = ->(points) { points.map(&:first).min }
  check('areas move with x', (left_edge.(moved) - left_edge.(head) - 100).abs <= 16, true)
  model.x = 0
end

def missing_model
  [FIRST, SECOND].each(&:dispose)
  model = L2D.new("#{MODELS}Nowhere/", 'None.model3.json')
  check('missing model draws nothing', error_of do
    model.set_motion('Idle', 0, true)
    model.set_random_motion('Idle')
    model.set_random_expression
    model.lookat(10, 10)
    Graphics.update
  end, 'no error')
  check('no parameters', [model.get_param('ParamAngleX'), model.set_param('ParamAngleX', 5),
                          model.get_param('ParamAngleX'), model.hit_test('Head', 272, 100)], [0.0, 5, 0.0, false])
  shot = Graphics.snap_to_bitmap
  check('screen stays black', [[10, 10], [272, 208], [500, 400]].map { |x, y| shot.get_pixel(x, y).red.to_i },
        [0, 0, 0])
  shot.dispose
  model.dispose
  check('empty names', error_of { L2D.new('', '').dispose }, 'no error')
end

defaults_and_conversions
errors
parameters
look_points
hit_areas
missing_model
$stderr.flush
check('a normal run writes nothing to standard error', File.read('l2d_stderr.txt'), '')
$stderr.reopen(ERROR_OUTPUT)
finish
