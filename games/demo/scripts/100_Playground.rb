# Move the square with the arrow keys, a controller's stick or d-pad, or click where it should go; C (Z, Enter
# or Space, or the controller's A) changes its colour.
class DemoPlayground
  COLOURS = [Color.new(230, 80, 60), Color.new(60, 160, 230), Color.new(90, 200, 90), Color.new(240, 200, 60)]
  SPEED = 4
  HALF = 16

  def initialize
    @background = Demo.backdrop('Quillon demo', 'Arrows, stick or click to move - Z to recolour')
    @player = Sprite.new
    @player.bitmap = Bitmap.new(HALF * 2, HALF * 2)
    @player.ox = HALF
    @player.oy = HALF
    @player.x = Graphics.width / 2
    @player.y = Graphics.height / 2
    @player.z = 10
    @colour = 0
    paint_player
    @target = nil
  end

  def update
    dx, dy = direction
    if dx != 0 || dy != 0
      @target = nil
      move_by(dx * SPEED, dy * SPEED)
    elsif Mouse.down?(:L)
      @target = [Mouse.x, Mouse.y]
    end
    follow_target if @target
    recolour if Input.trigger?(:C) || Demo.pad_trigger?(:A)
  end

  def dispose
    [@background, @player].each { |sprite| Demo.dispose_sprite(sprite) }
  end

  private

  def paint_player
    bitmap = @player.bitmap
    bitmap.fill_rect(bitmap.rect, Color.new(255, 255, 255))
    bitmap.fill_rect(2, 2, bitmap.width - 4, bitmap.height - 4, COLOURS[@colour])
  end

  def recolour
    @colour = (@colour + 1) % COLOURS.size
    paint_player
  end

  # Keyboard first, then the first controller's stick.
  def direction
    dir = Input.dir8
    state = Input::Controller.first_state
    dir = state.thumb_left_dir8 if dir == 0 && state
    return [0, 0] if dir == 0
    [[-1, 0, 1][(dir - 1) % 3], dir >= 7 ? -1 : (dir <= 3 ? 1 : 0)]
  end

  def follow_target
    tx, ty = @target
    dx = (tx - @player.x).clamp(-SPEED, SPEED)
    dy = (ty - @player.y).clamp(-SPEED, SPEED)
    @target = nil if dx == 0 && dy == 0
    move_by(dx, dy)
  end

  def move_by(dx, dy)
    @player.x = (@player.x + dx).clamp(HALF, Graphics.width - HALF)
    @player.y = (@player.y + dy).clamp(HALF, Graphics.height - HALF)
  end
end

Demo.register(DemoPlayground)
