# Graphics.snap_to_bitmap hands the screen to scripts as a real Bitmap: screen-sized, with its own default font,
# editable and disposable like any other.
# ini: ScreenWidth=320
# ini: ScreenHeight=240
begin
  Graphics.update
  snap = Graphics.snap_to_bitmap
  check('a Bitmap', snap.class, Bitmap)
  check('screen sized', [snap.width, snap.height], [Graphics.width, Graphics.height])
  check('default font', [snap.font.class, snap.font.size], [Font, 24])
  check('an empty screen is opaque black', snap.get_pixel(10, 10).to_s, '(0,0,0,255)')
  snap.fill_rect(0, 0, 4, 4, Color.new(1, 2, 3))
  copy = snap.dup
  snap.dispose
  check('edits and copies', [copy.get_pixel(3, 3).to_s, snap.disposed?], ['(1,2,3,255)', true])
rescue StandardError, ScriptError => error
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
