# A tile map: grass and animated water as autotiles, a dirt path, trees whose tops hide the figure in the
# middle, shadows beside them and a ring of flashing cells. The arrow keys (or a controller's stick) scroll
# it; the map repeats past its edges. The tile sets are painted right here, no image file.
class DemoMap
  WIDTH = 40
  HEIGHT = 30
  SPEED = 4
  WATER = 2048          # A1 kind 0, animated
  GRASS = 2816          # A2 kind 16
  DIRT = 2816 + 48      # A2 kind 17
  TRUNK = 1             # sheet B
  TREE_TOP = 2          # sheet B, drawn above characters
  FLOWER = 3            # sheet B
  ABOVE = 0x10

  def initialize
    @background = Demo.backdrop('Tile map', 'Arrows or stick: scroll')
    @sheets = DemoMap.make_sheets
    @tilemap = Tilemap.new
    @sheets.each_with_index { |sheet, i| @tilemap.bitmaps[i] = sheet }
    flags = Table.new(8192)
    flags[TREE_TOP] = ABOVE
    @tilemap.flags = flags
    @tilemap.map_data = make_map
    @tilemap.flash_data = make_flashes
    @figure = make_figure
    @tilemap.ox = 8 * 32 # the figure starts beside a tree; scrolling right a little hides it under the top
    @tilemap.oy = 7 * 32
    @fog = make_fog
    @drift = 0
  end

  def update
    dx, dy = direction
    @tilemap.ox += dx * SPEED
    @tilemap.oy += dy * SPEED
    @tilemap.update
    # The fog drifts on its own and follows the map at half speed, so it seems to float above it.
    @drift += 1
    @fog.ox = @tilemap.ox / 2 + @drift / 2
    @fog.oy = @tilemap.oy / 2
  end

  def dispose
    @fog.bitmap.dispose
    @fog.dispose
    @tilemap.dispose
    Demo.dispose_sprite(@figure)
    Demo.dispose_sprite(@background)
    @sheets.each(&:dispose)
  end

  # A tiled plane of soft white patches over everything on the map.
  def make_fog
    bitmap = Bitmap.new(128, 128)
    [[20, 30, 36], [80, 70, 28], [60, 110, 20], [110, 10, 16]].each do |cx, cy, radius|
      (-radius..radius).step(4) do |dy|
        half = Math.sqrt(radius * radius - dy * dy).to_i
        alpha = 90 - 60 * dy.abs / radius
        bitmap.fill_rect((cx - half) % 128, (cy + dy) % 128, half * 2, 4, Color.new(255, 255, 255, alpha))
      end
    end
    fog = Plane.new
    fog.bitmap = bitmap
    fog.z = 300
    fog.opacity = 110
    fog.zoom_x = fog.zoom_y = 2.0
    fog
  end

  # Nine tile sets: A1 (water), A2 (grass, dirt), empty A3 to A5, B (trees, flowers), empty C to E.
  def self.make_sheets
    a1 = Bitmap.new(512, 384)
    3.times { |frame| paint_water(a1, frame) }
    a2 = Bitmap.new(512, 384)
    paint_block(a2, 0, 0, Color.new(70, 150, 60), Color.new(50, 110, 40))
    paint_block(a2, 64, 0, Color.new(170, 130, 80), Color.new(120, 90, 50))
    b = Bitmap.new(512, 512)
    paint_tree(b)
    [a1, a2, Bitmap.new(32, 32), Bitmap.new(32, 32), Bitmap.new(32, 32), b,
     Bitmap.new(32, 32), Bitmap.new(32, 32), Bitmap.new(32, 32)]
  end

  # An autotile block of 2 x 3 cells: the thumbnail, the inner corners and a 2 x 2 area whose rim is the
  # border towards other ground.
  def self.paint_block(sheet, x, y, fill, rim)
    sheet.fill_rect(x, y, 64, 96, fill)
    sheet.fill_rect(x, y + 32, 64, 4, rim)
    sheet.fill_rect(x, y + 92, 64, 4, rim)
    sheet.fill_rect(x, y + 32, 4, 64, rim)
    sheet.fill_rect(x + 60, y + 32, 4, 64, rim)
    [[32, 0], [60, 0], [32, 28], [60, 28]].each { |cx, cy| sheet.fill_rect(x + cx, y + cy, 4, 4, rim) }
  end

  # Three frames of water side by side, 64 pixels apart, with a band of light moving down them.
  def self.paint_water(sheet, frame)
    x = 64 * frame
    paint_block(sheet, x, 0, Color.new(40, 90, 200), Color.new(200, 190, 130))
    [0, 32, 64].each do |cell_y|
      band = cell_y + 6 + 8 * frame
      sheet.gradient_fill_rect(x + 4, band, 56, 4, Color.new(90, 150, 240), Color.new(150, 200, 255))
    end
  end

  # Sheet B: a trunk (tile 1), a round top (tile 2) and a flower (tile 3).
  def self.paint_tree(sheet)
    sheet.fill_rect(32 + 12, 0, 8, 32, Color.new(100, 60, 30))
    sheet.gradient_fill_rect(64 + 2, 4, 28, 28, Color.new(30, 120, 40), Color.new(20, 80, 30), true)
    sheet.fill_rect(64 + 6, 0, 20, 4, Color.new(40, 140, 50))
    sheet.fill_rect(96 + 13, 13, 6, 6, Color.new(240, 220, 60))
    [[-5, 0], [5, 0], [0, -5], [0, 5]].each do |dx, dy|
      sheet.fill_rect(96 + 13 + dx, 13 + dy, 6, 6, Color.new(230, 90, 140))
    end
  end

  private

  def make_map
    data = Table.new(WIDTH, HEIGHT, 4)
    water = ->(x, y) { ((x - 12)**2) / 2 + (y - 10)**2 < 30 }
    dirt = ->(x, y) { y == 18 || (x == 25 && y > 5) }
    kinds = ->(x, y) { water[x % WIDTH, y % HEIGHT] ? :water : (dirt[x % WIDTH, y % HEIGHT] ? :dirt : :grass) }
    WIDTH.times do |x|
      HEIGHT.times do |y|
        kind = kinds[x, y]
        same = ->(dx, dy) { kinds[x + dx, y + dy] == kind }
        base = { water: WATER, dirt: DIRT, grass: GRASS }[kind]
        data[x, y, 0] = base + DemoMap.shape(same)
        data[x, y, 1] = FLOWER if kind == :grass && (x * 7 + y * 3) % 23 == 0
      end
    end
    [[4, 4], [8, 22], [20, 3], [30, 12], [33, 24], [22, 24], [17, 14]].each { |x, y| plant_tree(data, x, y) }
    data
  end

  def plant_tree(data, x, y)
    data[x, y, 1] = TRUNK
    data[x, y - 1, 2] = TREE_TOP
    data[x + 1, y, 3] = 0b0101 # the left half of the cell east of the trunk lies in its shadow
  end

  def make_flashes
    flashes = Table.new(WIDTH, HEIGHT)
    [[0, -2], [1, -1], [2, 0], [1, 1], [0, 2], [-1, 1], [-2, 0], [-1, -1]].each_with_index do |(dx, dy), i|
      flashes[23 + dx, 9 + dy] = [0xF40, 0x4F4, 0x44F, 0xFF4][i % 4]
    end
    flashes
  end

  # A small figure at the middle of the screen, between the ground layers and the tree tops.
  def make_figure
    sprite = Sprite.new
    sprite.bitmap = Bitmap.new(20, 28)
    sprite.bitmap.fill_rect(4, 0, 12, 12, Color.new(250, 210, 170))
    sprite.bitmap.fill_rect(0, 12, 20, 16, Color.new(200, 40, 60))
    sprite.x = Graphics.width / 2 - 10
    sprite.y = Graphics.height / 2 - 14
    sprite.z = 100
    sprite
  end

  def direction
    dir = Input.dir8
    state = Input::Controller.first_state
    dir = state.thumb_left_dir8 if dir == 0 && state
    return [0, 0] if dir == 0
    [[-1, 0, 1][(dir - 1) % 3], dir >= 7 ? -1 : (dir <= 3 ? 1 : 0)]
  end

  # The arrangement (0 ... 46) of a ground autotile from which of its eight neighbours are of the same kind:
  # a border on each side facing other ground, and an inner corner where only the diagonal differs.
  def self.shape(same)
    up, down, left, right = same[0, -1], same[0, 1], same[-1, 0], same[1, 0]
    corner = ->(dx, dy) { same[dx, dy] ? 0 : 1 }
    case [up, down, left, right].count(false)
    when 0
      corner[-1, -1] | corner[1, -1] << 1 | corner[1, 1] << 2 | corner[-1, 1] << 3
    when 1
      return 16 + (corner[1, -1] | corner[1, 1] << 1) unless left
      return 20 + (corner[1, 1] | corner[-1, 1] << 1) unless up
      return 24 + (corner[-1, 1] | corner[-1, -1] << 1) unless right

      28 + (corner[-1, -1] | corner[1, -1] << 1)
    when 2
      return 32 unless left || right
      return 33 unless up || down
      return 34 + corner[1, 1] unless up || left
      return 36 + corner[-1, 1] unless up || right
      return 38 + corner[-1, -1] unless down || right

      40 + corner[1, -1]
    when 3
      return 42 if down
      return 43 if right
      return 44 if up

      45
    else
      46
    end
  end
end

Demo.register(DemoMap)
