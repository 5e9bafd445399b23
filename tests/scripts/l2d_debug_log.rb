# With the console on, the model glue's and the framework's lines reach standard error: files read, motions started
# or refused by priority (a normal one while another plays; a forced one always), the idle motion started again
# once the others end, unknown expressions, a model file the framework refuses; each line at most 255 characters.
# Skips when the samples are not there.
# args: console

MODELS = "#{ENV['QUILLON_TESTDATA']}/live2d/"
unless defined?(L2D) && File.exist?("#{MODELS}Mark/Mark.model3.json")
  puts "skipped: no L2D class in this build, or no Live2D samples under #{MODELS}"
  exit 0
end

ERROR_OUTPUT = STDERR.dup
$stderr.reopen('l2d_stderr.txt', 'w')

def log_since(mark)
  $stderr.flush
  File.read('l2d_stderr.txt')[mark..]
end

def log_size
  $stderr.flush
  File.size('l2d_stderr.txt')
end

model = L2D.new("#{MODELS}Mark/", 'Mark.model3.json')
loaded = log_since(0)
check('setting read', loaded.include?("[APP]load model setting: Mark.model3.json\n"), true)
check('files read', loaded.include?("[APP]create buffer: #{MODELS}Mark/Mark.moc3 \n"), true)
check('motions preloaded', loaded.include?("[APP]load motion: #{MODELS}Mark/motions/mark_m06.motion3.json => [Idle_5] \n"),
      true)

Graphics.update
mark = log_size
model.set_motion('Idle', 5)
model.set_motion('Idle', 4)
model.set_motion('Idle', 5, true)
model.set_expression('smile')
check('priorities', log_since(mark),
      "[APP]start motion: [Idle_5]\n[APP]can't start motion.\n[APP]start motion: [Idle_5]\n" \
      "[APP]expression: [smile]\n[APP]expression[smile] is null \n")

# Idle_5 lasts under 1.5 seconds; then the model picks an idle motion of its own.
mark = log_size
deadline = Time.now + 10
Graphics.update until log_since(mark).include?('[APP]start motion: [Idle_') || Time.now > deadline
check('idle starts again', log_since(mark).include?('[APP]start motion: [Idle_'), true)

Dir.mkdir('broken')
File.write('broken/broken.model3.json', '{"FileReferences": {"Moc": "broken.moc3"}}')
File.write('broken/broken.moc3', 'MOC3 but not really')
mark = log_size
L2D.new('broken/', 'broken.model3.json')
check('the framework refuses the model file', log_since(mark).include?('[CSM][E]'), true)

L2D.new("#{MODELS}#{'x' * 300}/", 'None.model3.json')
lines = log_since(0).lines
check('a long path is cut, not dropped', lines.any? { |line| line.start_with?("[APP]create buffer: #{MODELS}xxx") }, true)
check('lines are at most 255 characters', lines.map { |line| line.chomp.size }.max <= 255, true)
check('a missing file', lines.include?("file open error\n"), true)
$stderr.reopen(ERROR_OUTPUT)
finish
