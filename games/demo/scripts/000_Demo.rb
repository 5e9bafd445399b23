# The bundled demo: a few scenes, each showing part of the player. Q and W (Page Up and Page Down, or the
# controller's shoulder buttons) go to the previous and next scene; B (Esc or X, or the controller's B) ends
# the demo, as does closing the window.
#
# A scene is a class with `initialize`, `update` (once a frame, after Graphics.update and Input.update) and
# `dispose`; each section registers its scene class, and the scenes are shown in section order.
module Demo
  SCENES = []

  def self.register(scene_class)
    SCENES << scene_class
  end

  # The first controller's button, false without a controller.
  def self.pad_trigger?(button)
    state = Input::Controller.first_state
    !state.nil? && state.trigger?(button)
  end

  # A dark backdrop with the scene's title and a line of help, on a sprite of its own at z -100.
  def self.backdrop(title, help)
    sprite = Sprite.new
    sprite.z = -100
    bitmap = Bitmap.new(Graphics.width, Graphics.height)
    bitmap.gradient_fill_rect(bitmap.rect, Color.new(20, 24, 48), Color.new(70, 30, 80), true)
    bitmap.font.size = 22
    bitmap.draw_text(0, 10, bitmap.width, 30, title, 1)
    bitmap.font.size = 16
    bitmap.draw_text(0, bitmap.height - 34, bitmap.width, 24, "#{help} - Q/W: other scenes - Esc: quit", 1)
    sprite.bitmap = bitmap
    sprite
  end

  # Disposes a sprite and the bitmap it shows.
  def self.dispose_sprite(sprite)
    sprite.bitmap.dispose if sprite.bitmap && !sprite.bitmap.disposed?
    sprite.dispose
  end
end
