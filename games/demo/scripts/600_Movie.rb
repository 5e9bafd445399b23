# A movie on a sprite: the demo's movie (made when the demo is built) plays in a frame, its sound track as a
# music effect; C (Z, Enter or Space, or the controller's A) starts it again, Shift shows it full screen with
# Graphics.play_movie.
class DemoMovie
  MOVIE = 'Movies/Demo.mkv'
  SCALE = 1.5

  def initialize
    @background = Demo.backdrop('Movie', 'Z: play again - Shift: full screen')
    @screen = Sprite.new
    @screen.z = 10
    @screen.zoom_x = @screen.zoom_y = SCALE
    @note = Sprite.new
    @note.z = 20
    @note.bitmap = Bitmap.new(Graphics.width, 24)
    @note.y = Graphics.height - 64
    start
  end

  def update
    @screen.update
    if Input.trigger?(:C) || Demo.pad_trigger?(:A)
      start
    elsif Input.trigger?(:A)
      full_screen
    end
    show_state
  end

  def dispose
    Demo.dispose_sprite(@screen)
    Demo.dispose_sprite(@note)
    Demo.dispose_sprite(@background)
    Audio.me_stop
  end

  private

  def start
    old = @screen.bitmap
    @screen.start_video(MOVIE)
    old.dispose if old && !old.disposed? && !old.equal?(@screen.bitmap)
    @screen.x = (Graphics.width - @screen.video_width * SCALE) / 2
    @screen.y = (Graphics.height - @screen.video_height * SCALE) / 2
    @error = nil
  rescue StandardError => error
    @error = "#{error.message}: #{MOVIE}"
  end

  def full_screen
    Graphics.play_movie(MOVIE)
  rescue StandardError => error
    @error = "#{error.message}: #{MOVIE}"
  end

  def show_state
    text = @error || (@screen.video_playing? ? "Playing #{@screen.video_width}x#{@screen.video_height}" : 'Ended')
    return if text == @shown
    @shown = text
    bitmap = @note.bitmap
    bitmap.clear
    bitmap.font.size = 16
    bitmap.draw_text(bitmap.rect, text, 1)
  end
end

Demo.register(DemoMovie)
