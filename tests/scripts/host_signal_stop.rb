# SIGTERM stops a script busy in a loop that never reaches Graphics.update: the interpreter raises in the main
# thread and the game ends quietly with status 0, as when its window is closed.
# exit: 0
Thread.new do
  sleep 0.3
  Process.kill('TERM', Process.pid)
  sleep 20
  STDERR.puts 'SIGTERM did not stop the busy script'
  Process.exit!(3)
end
spins = 0
loop { spins += 1 }
