# F12 during a running game: the next frame raises RGSSReset, Graphics, Audio and Input are reset, and rgss_main
# runs its block again.
$starts = 0
rgss_main do
  $starts += 1
  if $starts == 1
    3.times { Graphics.update }
    ENV['QUILLON_TEST_KEYS'] = 'F12'
    30.times { Graphics.update }
    $failures << 'F12 did not start the game over within 30 frames'
    finish
  end
  check('rgss_main ran its block a second time', $starts, 2)
  check('Graphics was reset first', Graphics.frame_count, 0)
  finish
end
