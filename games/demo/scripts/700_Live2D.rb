# A Live2D model on an L2D object. The demo ships no model: it shows the first one it finds (a folder holding a
# .model3.json file, or a folder of such folders) in $QUILLON_DEMO_LIVE2D, else in the game's own Live2D folder, and
# otherwise says where to put one. The model plays its idle motions by itself; a click on its head or body starts a
# tap motion and an expression; while the left button is held its gaze follows the mouse; arrows move it, Shift with
# Up or Down zooms it, Z shows the next model found.
class DemoLive2D
  FOLDER_VARIABLE = 'QUILLON_DEMO_LIVE2D'
  GAME_FOLDER = 'Live2D/'

  # [folder with a trailing separator, setting file name] of every model under the candidate folders.
  def self.models
    roots = [ENV[FOLDER_VARIABLE], GAME_FOLDER].compact.reject(&:empty?)
    roots.flat_map do |root|
      root = root.end_with?('/') ? root : "#{root}/"
      (Dir.glob("#{root}*.model3.json") + Dir.glob("#{root}*/*.model3.json")).sort.map do |path|
        [File.dirname(path) + '/', File.basename(path)]
      end
    end.uniq
  end

  def initialize
    @background = Demo.backdrop('Live2D', 'Click head or body: motion - drag: gaze - arrows, Shift: move, zoom - Z: next')
    @models = DemoLive2D.models
    @index = 0
    @model = nil
    @note = nil
    @models.empty? ? show_note : show_model
  end

  def update
    return unless @model
    steer
    follow_mouse
    tap if Mouse.down?('L')
    next_model if Input.trigger?(:C) && @models.size > 1
  end

  def dispose
    @model&.dispose
    Demo.dispose_sprite(@note) if @note
    Demo.dispose_sprite(@background)
  end

  private

  def show_model
    folder, file = @models[@index]
    @model = L2D.new(folder, file)
    @model.zoom_x = @model.zoom_y = 0.8
    @model.z = 10
  end

  def next_model
    @model.dispose
    @index = (@index + 1) % @models.size
    show_model
  end

  def show_note
    @note = Sprite.new
    @note.bitmap = Bitmap.new(Graphics.width, 120)
    @note.y = (Graphics.height - 120) / 2
    lines = ['No Live2D model found.',
             "Put a model folder (with its .model3.json) in the demo's #{GAME_FOLDER} folder,",
             "or name a folder of models in #{FOLDER_VARIABLE}."]
    lines.each_with_index { |line, row| @note.bitmap.draw_text(0, row * 32, Graphics.width, 32, line, 1) }
  end

  def steer
    dx = (Input.press?(:RIGHT) ? 1 : 0) - (Input.press?(:LEFT) ? 1 : 0)
    dy = (Input.press?(:DOWN) ? 1 : 0) - (Input.press?(:UP) ? 1 : 0)
    if Input.press?(:A)
      zoom = (@model.zoom_x * (1.0 - dy * 0.02)).clamp(0.1, 4.0)
      @model.zoom_x = @model.zoom_y = zoom
    else
      @model.x += dx * 4
      @model.y += dy * 4
    end
  end

  # The gaze follows the pointer while the left button is held and goes back to the front when it is let go.
  def follow_mouse
    if Mouse.press?('L')
      @model.lookat(Mouse.x, Mouse.y)
    else
      @model.lookat(Graphics.width / 2 + @model.x, Graphics.height / 2 + @model.y)
    end
  end

  def tap
    x = Mouse.x
    y = Mouse.y
    return unless @model.hit_test('Head', x, y) || @model.hit_test('Body', x, y)
    @model.set_random_motion('TapBody')
    @model.set_random_expression
  end
end

Demo.register(DemoLive2D)
