# Screen snapshots as Bitmaps: screen-sized, opaque, following resize_screen and brightness, and Bitmaps that
# outlive Graphics.__reset__ (which makes a new device) keep their pixels.
# ini: ScreenWidth=160
# ini: ScreenHeight=120
begin
  Graphics.update
  snap = Graphics.snap_to_bitmap
  check('snapshot is a Bitmap', snap.class, Bitmap)
  check('snapshot size', [snap.width, snap.height], [160, 120])
  check('an empty screen is opaque black', snap.get_pixel(80, 60).to_s, '(0,0,0,255)')
  check('snapshot has a font', snap.font.class, Font)
  Graphics.resize_screen(200, 100)
  snap2 = Graphics.snap_to_bitmap
  check('snapshot after resize_screen', [snap2.width, snap2.height], [200, 100])

  kept = Bitmap.new(4, 4)
  kept.fill_rect(0, 0, 4, 4, Color.new(10, 20, 30, 255))
  Graphics.__reset__
  Graphics.update
  check('a bitmap survives __reset__', kept.get_pixel(1, 1).to_s, '(10,20,30,255)')
  check('snapshots still work after __reset__', Graphics.snap_to_bitmap.width, 200)
  kept.fill_rect(0, 0, 2, 2, Color.new(1, 2, 3, 255))
  check('and it can still be drawn on', kept.get_pixel(0, 0).to_s, '(1,2,3,255)')
rescue Exception => error
  $failures << "unexpected #{error.class}: #{error.message}\n#{error.backtrace.join("\n")}"
end

finish
