# A title menu in a window: Up and Down move the cursor (the list is taller than the window, so it scrolls
# and shows its arrows); C (Z, Enter or Space, or the controller's A) opens or closes a message window with
# the pause sign. Both windows open with an animation. The window skin is drawn right here, no image file.
class DemoWindows
  ITEMS = ['New Game', 'Continue', 'Options', 'Gallery', 'Music Room', 'Sound Test', 'Credits', 'Shutdown']
  LINE = 24
  VISIBLE_LINES = 4
  OPEN_STEP = 32

  def initialize
    @background = Demo.backdrop('Title menu', 'Up/Down: choose - Z: message window')
    @skin = DemoWindows.make_skin
    @menu = make_menu
    @message = make_message
    @message_open = true
    @index = 0
    update_cursor
  end

  def update
    [@menu, @message].each(&:update)
    step_openness(@menu, 255)
    step_openness(@message, @message_open ? 255 : 0)
    return if @menu.openness < 255

    move_cursor(1) if Input.repeat?(:DOWN) || Demo.pad_trigger?(:DPAD_DOWN)
    move_cursor(-1) if Input.repeat?(:UP) || Demo.pad_trigger?(:DPAD_UP)
    @message_open = !@message_open if Input.trigger?(:C) || Demo.pad_trigger?(:A)
  end

  def dispose
    [@menu, @message].each do |window|
      window.contents.dispose
      window.dispose
    end
    @skin.dispose
    Demo.dispose_sprite(@background)
  end

  # A 128 x 128 skin in the usual layout: back base and pattern on the left, frame with the arrows in its
  # middle at the top right, cursor and the four pause-sign frames below it.
  def self.make_skin
    skin = Bitmap.new(128, 128)
    skin.gradient_fill_rect(0, 0, 64, 64, Color.new(40, 60, 130), Color.new(12, 18, 60), true)
    (0...64).step(4) do |y|
      (0...64).step(4) { |x| skin.fill_rect(x + (y / 4) % 2 * 2, 64 + y, 1, 1, Color.new(255, 255, 255, 28)) }
    end
    draw_frame(skin)
    draw_arrows(skin, Color.new(255, 255, 255))
    draw_cursor(skin)
    draw_pause_frames(skin, Color.new(255, 230, 120))
    skin
  end

  def self.draw_frame(skin)
    light = Color.new(225, 230, 255)
    dark = Color.new(110, 130, 200)
    skin.fill_rect(64, 0, 64, 2, light)
    skin.fill_rect(64, 62, 64, 2, light)
    skin.fill_rect(64, 0, 2, 64, light)
    skin.fill_rect(126, 0, 2, 64, light)
    skin.fill_rect(66, 2, 60, 1, dark)
    skin.fill_rect(66, 61, 60, 1, dark)
    skin.fill_rect(66, 2, 1, 60, dark)
    skin.fill_rect(125, 2, 1, 60, dark)
    # The middle of the frame square holds the arrows; the frame never uses it.
    skin.clear_rect(80, 16, 32, 32)
  end

  def self.draw_arrows(skin, colour)
    8.times do |r|
      skin.fill_rect(96 - (r + 1), 16 + r, 2 * (r + 1), 1, colour)        # up, pointing up
      skin.fill_rect(96 - (r + 1), 47 - r, 2 * (r + 1), 1, colour)        # down
      skin.fill_rect(80 + r, 32 - (r + 1), 1, 2 * (r + 1), colour)        # left
      skin.fill_rect(111 - r, 32 - (r + 1), 1, 2 * (r + 1), colour)       # right
    end
  end

  def self.draw_cursor(skin)
    skin.fill_rect(64, 64, 32, 32, Color.new(255, 255, 255, 70))
    edge = Color.new(255, 255, 255, 220)
    skin.fill_rect(64, 64, 32, 1, edge)
    skin.fill_rect(64, 95, 32, 1, edge)
    skin.fill_rect(64, 64, 1, 32, edge)
    skin.fill_rect(95, 64, 1, 32, edge)
  end

  # A small triangle pointing down that bobs by a pixel from frame to frame.
  def self.draw_pause_frames(skin, colour)
    [[96, 64], [112, 64], [96, 80], [112, 80]].each_with_index do |(x, y), frame|
      bob = [0, 1, 2, 1][frame]
      6.times { |r| skin.fill_rect(x + 2 + r, y + 4 + bob + r, 12 - 2 * r, 1, colour) }
    end
  end

  private

  def make_menu
    width = 200
    menu = Window.new((Graphics.width - width) / 2, 110, width, VISIBLE_LINES * LINE + 24)
    menu.padding = 12
    menu.windowskin = @skin
    menu.contents.dispose
    menu.contents = Bitmap.new(width - 24, ITEMS.size * LINE)
    menu.contents.font.size = 20
    ITEMS.each_with_index { |item, i| menu.contents.draw_text(8, i * LINE, width - 40, LINE, item) }
    menu.openness = 0
    menu
  end

  def make_message
    message = Window.new(40, Graphics.height - 150, Graphics.width - 80, 80)
    message.windowskin = @skin
    message.pause = true
    message.back_opacity = 224
    message.contents.font.size = 18
    message.contents.draw_text(4, 0, message.contents.width - 8, 24, 'A message window: the sign below waits')
    message.contents.draw_text(4, 28, message.contents.width - 8, 24, 'for the player. Z closes and opens it.')
    message.openness = 0
    message
  end

  def step_openness(window, target)
    if window.openness < target
      window.openness += OPEN_STEP
    elsif window.openness > target
      window.openness -= OPEN_STEP
    end
  end

  def move_cursor(step)
    @index = (@index + step) % ITEMS.size
    update_cursor
  end

  # The cursor is in contents coordinates; the list scrolls so that it stays inside the window.
  def update_cursor
    top = @index * LINE
    inside = @menu.height - @menu.padding - @menu.padding_bottom
    @menu.oy = top if top < @menu.oy
    @menu.oy = top + LINE - inside if top + LINE > @menu.oy + inside
    @menu.cursor_rect.set(0, top, @menu.contents.width, LINE)
  end
end

Demo.register(DemoWindows)
