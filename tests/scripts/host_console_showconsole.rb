# ShowConsole=1 in Game.ini opens the console like the "console" word: typed lines reach VORN.console_input.
# ini: ShowConsole=1
# stdin: from the ini switch
# exit: 7
line = ""
deadline = Time.now + 10
while line.empty? && Time.now < deadline
  sleep 0.01
  line = VORN.console_input
end
exit(line == "from the ini switch" ? 7 : 1)
