# Closing the window tears the player down and the next message-pump step ends the process with status 0.
# The test hook asks for the close; rgss_stop pumps messages and never returns on its own.
# exit: 0
Thread.new do
  sleep 20
  STDERR.puts "the window close did not end the game"
  Process.exit!(3)
end
ENV["QUILLON_TEST_CLOSE_AFTER_MS"] = "100"
rgss_stop
exit 4
