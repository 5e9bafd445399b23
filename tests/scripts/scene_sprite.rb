# Sprites and viewports reach the screen: a sprite's bitmap lands at its position, a viewport clips and
# offsets what it holds, z orders overlapping sprites, and disposed objects stop drawing.
red = Color.new(255, 0, 0)
blue = Color.new(0, 0, 255)
square = Bitmap.new(8, 8)
square.fill_rect(square.rect, red)
cover = Bitmap.new(8, 8)
cover.fill_rect(cover.rect, blue)

sprite = Sprite.new
sprite.bitmap = square
sprite.x = 10
sprite.y = 20
Graphics.update
shot = Graphics.snap_to_bitmap
check('sprite drawn at its place', shot.get_pixel(12, 22), red)
check('nothing beside it', shot.get_pixel(19, 22).alpha == 0 || shot.get_pixel(19, 22) == Color.new(0, 0, 0), true)

over = Sprite.new
over.bitmap = cover
over.x = 14
over.y = 20
over.z = sprite.z + 1
Graphics.update
shot = Graphics.snap_to_bitmap
check('higher z on top', shot.get_pixel(15, 22), blue)
check('lower z still shows', shot.get_pixel(11, 22), red)

viewport = Viewport.new(100, 100, 4, 4)
clipped = Sprite.new(viewport)
clipped.bitmap = square
Graphics.update
shot = Graphics.snap_to_bitmap
check('viewport offsets', shot.get_pixel(101, 101), red)
check('viewport clips', shot.get_pixel(105, 101) == red, false)

over.dispose
check('disposed?', over.disposed?, true)
check('disposed sprite raises', error_of { over.x }, 'RGSSError: disposed sprite')
Graphics.update
check('disposed sprite no longer drawn', Graphics.snap_to_bitmap.get_pixel(15, 22), red)
[clipped, sprite].each(&:dispose)
viewport.dispose
finish
