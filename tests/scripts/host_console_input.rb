# A line typed on the console comes back once from VORN.console_input, without its line break; then "".
# args: console
# stdin: typed on the console  
# exit: 7
line = ""
deadline = Time.now + 10
while line.empty? && Time.now < deadline
  sleep 0.01
  line = VORN.console_input
end
second = VORN.console_input
STDERR.puts "console_input gave #{line.inspect}, then #{second.inspect}"
exit((line == "typed on the console" && second == "" && line.encoding == Encoding::UTF_8) ? 7 : 1)
