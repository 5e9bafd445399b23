# Movies in the real player: Graphics.play_movie runs a movie whose file name holds a double quote and a
# backslash to its end and cleans up; a sprite playing a movie shows its frames; failures raise and the game
# goes on.

# A YUV4MPEG2 movie (FFmpeg reads it like any other) of solid grey frames at 30 frames per second.
def write_movie(name, width, height, lumas)
  File.open(name, 'wb') do |file|
    file.write("YUV4MPEG2 W#{width} H#{height} F30:1 Ip A1:1 C444\n")
    lumas.each do |luma|
      file.write("FRAME\n")
      file.write(luma.chr * (width * height))
      file.write(128.chr * (width * height * 2))
    end
  end
end

name = "mo\"v\\ie.y4m"
write_movie(name, 8, 6, [235, 235, 16, 16])
check('file name as intended', File.exist?(name) && name.count('"') == 1 && name.count('\\') == 1, true)

frames_before = Graphics.frame_count
check('play_movie returns nil', Graphics.play_movie(name), nil)
check('frames ran while the movie played', Graphics.frame_count - frames_before >= 4, true)
check('movie sprite disposed afterwards', $__RGSS_movie_sprite.disposed?, true)
check('silent movie writes no sound file', File.exist?("mo\"v\\ie.wav"), false)

check('missing movie', error_of { Graphics.play_movie('Movies/none.wmv') }, 'RGSSError: failed to play video file')
check('over-long name', error_of { Graphics.play_movie('a' * 5000) },
      'ArgumentError: movie file name too long (5000 bytes)')
check('name that is code stays a name', error_of { Graphics.play_movie('#{raise "ran"}.wmv') },
      'RGSSError: failed to play video file')

# A movie on a sprite: the first frame shows after one frame time, upright and scaled by zoom.
write_movie('Bright.y4m', 8, 6, [235] * 40)
sprite = Sprite.new
sprite.x = 10
sprite.y = 10
sprite.zoom_x = 2.0
sprite.start_video('bright.Y4M')  # found whatever its case, as the game's other files are
check('playing', [sprite.video_playing?, sprite.video_width, sprite.video_height], [true, 8, 6])
5.times do
  sprite.update
  Graphics.wait(1)
end
Graphics.update
shot = Graphics.snap_to_bitmap
pixel = shot.get_pixel(24, 15)
check('white frame drawn over the zoomed width', [pixel.red, pixel.green, pixel.blue].all? { |c| c >= 250 }, true)
outside = shot.get_pixel(27, 15)
check('nothing past it', [outside.red, outside.green, outside.blue].all? { |c| c < 10 }, true)
sprite.dispose
check('disposed sprite refuses', error_of { sprite.video_playing? }, 'RGSSError: disposed sprite')

GC.stress = true
3.times do
  s = Sprite.new
  s.start_video('Bright.y4m')
  s.update
  s.bitmap.dispose
  s.update
end
GC.stress = false
GC.start

finish
