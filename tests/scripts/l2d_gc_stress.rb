# L2D objects made and dropped without dispose while frames draw, under GC.stress: models with and without their
# files, on the screen and on viewports dropped with them; then the collector frees everything and the game ends
# cleanly. Skips when the samples are not there.

MODELS = "#{ENV['QUILLON_TESTDATA']}/live2d/"
unless defined?(L2D) && File.exist?("#{MODELS}Mark/Mark.model3.json")
  puts "skipped: no L2D class in this build, or no Live2D samples under #{MODELS}"
  exit 0
end

GC.stress = true
4.times do |round|
  model = L2D.new("#{MODELS}Mark/", 'Mark.model3.json')
  model.viewport = Viewport.new(0, 0, 200, 200) if round.odd?
  model.tone = Tone.new(round * 10, 0, 0)
  model.set_effect_param('unused', Bitmap.new(4, 4))
  L2D.new("#{MODELS}Nowhere/", 'None.model3.json').lookat(round, round)
  L2D.allocate
  Graphics.update
end
GC.stress = false
kept = L2D.new("#{MODELS}Mark/", 'Mark.model3.json')
GC.start
3.times { Graphics.update }
check('a model made afterwards still animates', kept.get_param('ParamBreath') != 0.0, true)
finish
