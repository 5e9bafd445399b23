# exit: 7
# A script's exit status becomes the process's status once the game has ended.
begin
  exit 7
ensure
  $stdout.puts 'ensure ran'
end
