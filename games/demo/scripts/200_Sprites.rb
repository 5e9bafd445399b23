# Sprites and viewports: draw order, zoom, rotation, mirror, blend types, colour, tone, flash, wave and bush,
# each in a cell of its own and animated; a viewport scrolls a pattern behind a clipped window.
class DemoSprites
  CELL_WIDTH = 108
  ROWS = [130, 290].freeze
  LABELS = [%w[Order Zoom Rotation Mirror Blend], %w[Colour Tone Flash Wave Bush]].freeze

  def initialize
    @background = Demo.backdrop('Sprites and viewports', 'Everything here animates by itself')
    label_cells
    @frame = 0
    @sprites = []
    @bitmaps = []
    @image = remember(sample_image)
    build_order
    build_transforms
    build_blends
    build_effects
    build_viewport
  end

  def update
    @frame += 1
    animate_order
    animate_transforms
    animate_effects
    @scroller.ox = (@frame * 2) % 64
    @scroller.oy = (@frame / 2) % 64
    @viewport.flash(Color.new(255, 255, 255, 160), 24) if (@frame % 90).zero?
    @sprites.each(&:update)
    @viewport.update
  end

  def dispose
    @sprites.each(&:dispose)
    @viewport.dispose
    @bitmaps.each(&:dispose)
    Demo.dispose_sprite(@background)
  end

  private

  def centre(column, row)
    [CELL_WIDTH / 2 + CELL_WIDTH * column, ROWS[row]]
  end

  def label_cells
    bitmap = @background.bitmap
    bitmap.font.size = 16
    LABELS.each_with_index do |names, row|
      names.each_with_index do |name, column|
        x, y = centre(column, row)
        bitmap.draw_text(x - CELL_WIDTH / 2, y - 76, CELL_WIDTH, 20, name, 1)
      end
    end
  end

  def remember(bitmap)
    @bitmaps << bitmap
    bitmap
  end

  # An asymmetric picture (a gradient square with an arrow and a letter), so turns and flips show.
  def sample_image
    bitmap = Bitmap.new(48, 48)
    bitmap.gradient_fill_rect(bitmap.rect, Color.new(60, 140, 230), Color.new(240, 200, 60))
    bitmap.fill_rect(6, 20, 26, 8, Color.new(255, 255, 255))
    bitmap.fill_rect(30, 14, 6, 20, Color.new(255, 255, 255))
    bitmap.font.size = 18
    bitmap.draw_text(4, 0, 20, 20, 'R')
    bitmap
  end

  def square(size, color)
    bitmap = remember(Bitmap.new(size, size))
    bitmap.fill_rect(bitmap.rect, color)
    bitmap
  end

  # A sprite centred on its origin at a cell's centre, offset by (dx, dy).
  def sprite(bitmap, column, row, dx = 0, dy = 0, viewport = nil)
    sprite = Sprite.new(viewport)
    sprite.bitmap = bitmap
    sprite.ox = bitmap.width / 2
    sprite.oy = bitmap.height / 2
    x, y = centre(column, row)
    sprite.x = x + dx
    sprite.y = y + dy
    @sprites << sprite
    sprite
  end

  def build_order
    colours = [Color.new(230, 80, 60), Color.new(90, 200, 90), Color.new(60, 160, 230)]
    @stack = colours.each_with_index.map { |colour, i| sprite(square(36, colour), 0, 0, (i - 1) * 14, (i - 1) * 14) }
  end

  # The stack takes turns: every 40 frames another square comes to the top.
  def animate_order
    top = (@frame / 40) % @stack.size
    @stack.each_with_index { |square, i| square.z = i == top ? 2 : 1 }
  end

  def build_transforms
    @zoomed = sprite(@image, 1, 0)
    @turned = sprite(@image, 2, 0)
    sprite(@image, 3, 0, -25).zoom_x = 0.9
    @mirrored = sprite(@image, 3, 0, 25)
    @mirrored.zoom_x = 0.9
  end

  def animate_transforms
    @zoomed.zoom_x = @zoomed.zoom_y = 1.0 + 0.5 * Math.sin(@frame / 20.0)
    @turned.angle = (@frame * 3) % 360
    @mirrored.mirror = (@frame / 60).odd?
  end

  # Red, green and blue added where they overlap, and a grey square taking colour away.
  def build_blends
    [[Color.new(200, 0, 0), -12, -8], [Color.new(0, 200, 0), 12, -8], [Color.new(0, 0, 200), 0, 12]].each do |colour, dx, dy|
      sprite(square(36, colour), 4, 0, dx, dy).blend_type = 1
    end
    sprite(square(20, Color.new(120, 120, 120)), 4, 0, 0, 44).blend_type = 2
  end

  def build_effects
    @coloured = sprite(@image, 0, 1)
    @toned = sprite(@image, 1, 1)
    @flashed = sprite(@image, 2, 1)
    @waved = sprite(stripes, 3, 1)
    @waved.wave_amp = 6
    @waved.wave_length = 60
    @waved.wave_speed = 240
    @pond = sprite(square(90, Color.new(40, 90, 160)), 4, 1, 0, 30)
    @pond.z = -1
    @wader = sprite(@image, 4, 1)
    @wader.bush_opacity = 96
  end

  def stripes
    bitmap = remember(Bitmap.new(60, 60))
    (0...60).step(10) do |x|
      bitmap.fill_rect(x, 0, 5, 60, Color.new(250, 250, 250))
      bitmap.fill_rect(x + 5, 0, 5, 60, Color.new(200, 60, 120))
    end
    bitmap
  end

  def animate_effects
    @coloured.color = Color.new(255, 40, 40, (128 + 127 * Math.sin(@frame / 15.0)).to_i)
    phase = (@frame / 60) % 3
    @toned.tone = [Tone.new(0, 0, 0, 255), Tone.new(60, 20, -40, 120), Tone.new(-80, -80, 60)][phase]
    if (@frame % 50).zero?
      (@frame / 50).even? ? @flashed.flash(Color.new(255, 255, 255, 230), 30) : @flashed.flash(nil, 20)
    end
    # The wader walks down into the pond: the rows under the surface are drawn translucent.
    depth = (24 * (1 + Math.sin(@frame / 25.0))).to_i
    _, y = centre(4, 1)
    @wader.y = y + depth / 2
    @wader.bush_depth = [depth - 8, 0].max
  end

  # A clipped window onto a scrolled pattern, with a tone and a periodic flash of its own.
  def build_viewport
    @viewport = Viewport.new(CELL_WIDTH * 2 - 30, 356, CELL_WIDTH + 60, 22)
    @viewport.tone = Tone.new(-30, 10, 40)
    tile = remember(Bitmap.new(Graphics.width, 128))
    (0...tile.width).step(32) do |x|
      (0...128).step(32) do |y|
        tile.fill_rect(x, y, 32, 32, (x + y) % 64 == 0 ? Color.new(230, 230, 120) : Color.new(120, 80, 200))
      end
    end
    @scroller = Sprite.new(@viewport)
    @scroller.bitmap = tile
    @sprites << @scroller
  end
end

Demo.register(DemoSprites)
