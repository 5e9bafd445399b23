# A script that rescues the stop request and goes on is ended anyway after a short grace, with 128 + SIGINT.
# exit: 130
# stderr: did not stop within
Thread.new do
  sleep 0.3
  Process.kill('INT', Process.pid)
  sleep 20
  STDERR.puts 'SIGINT did not end the script that ignores it'
  Process.exit!(3)
end
loop do
  begin
    loop { Graphics.update }
  rescue Interrupt
    STDERR.puts 'interrupted; going on regardless'
  end
end
