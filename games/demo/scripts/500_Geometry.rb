# A tiled Plane scrolling diagonally behind a spinning cube made of twelve textured Geometry triangles. The cube's
# corners are set once; each frame only its matrix changes (rotation, then perspective onto the screen), so its
# vertices are uploaded once. Arrows or the stick change the spin; Z (or the controller's A) flips the plane's
# tile zoom.
class DemoGeometry
  FACES = [
    [[-1, -1, 1], [1, -1, 1], [1, 1, 1], [-1, 1, 1]],
    [[1, -1, -1], [-1, -1, -1], [-1, 1, -1], [1, 1, -1]],
    [[-1, -1, -1], [-1, -1, 1], [-1, 1, 1], [-1, 1, -1]],
    [[1, -1, 1], [1, -1, -1], [1, 1, -1], [1, 1, 1]],
    [[-1, -1, -1], [1, -1, -1], [1, -1, 1], [-1, -1, 1]],
    [[-1, 1, 1], [1, 1, 1], [1, 1, -1], [-1, 1, -1]]
  ].freeze
  TINTS = [Color.new(255, 120, 110), Color.new(120, 220, 130), Color.new(110, 160, 255),
           Color.new(250, 220, 100), Color.new(220, 130, 240), Color.new(120, 230, 230)].freeze
  # Camera distance, focal length in pixels, and the depth mapping z' / w = DEPTH_A + DEPTH_B / distance.
  DISTANCE = 4.0
  FOCAL = 240.0
  DEPTH_A = 1.2
  DEPTH_B = -2.4

  def initialize
    @background = Demo.backdrop('Plane and Geometry', 'Arrows or stick: spin - Z: tile zoom')
    @plane = Plane.new
    @plane.z = -50
    @plane.opacity = 150
    @plane.bitmap = tile
    @cube = Geometry.new
    @cube.bitmap = face_texture
    build_cube
    @yaw = 0.0
    @pitch = 0.4
    @spin = [0.02, 0.013]
    place_cube
  end

  def update
    @plane.ox += 1
    @plane.oy += 1
    steer
    @plane.zoom_x = @plane.zoom_y = (@plane.zoom_x == 1 ? 2 : 1) if Input.trigger?(:C) || Demo.pad_trigger?(:A)
    @yaw += @spin[0]
    @pitch += @spin[1]
    place_cube
  end

  def dispose
    @cube.bitmap.dispose
    @cube.dispose
    @plane.bitmap.dispose
    @plane.dispose
    Demo.dispose_sprite(@background)
  end

  private

  # A 64x64 tile of two shades with a diagonal stripe, so the scroll and the zoom are easy to follow.
  def tile
    bitmap = Bitmap.new(64, 64)
    bitmap.fill_rect(bitmap.rect, Color.new(40, 60, 110))
    bitmap.fill_rect(0, 0, 32, 32, Color.new(60, 90, 150))
    bitmap.fill_rect(32, 32, 32, 32, Color.new(60, 90, 150))
    64.times { |i| bitmap.fill_rect(i, i, 3, 3, Color.new(200, 210, 255)) }
    bitmap
  end

  # A white face with a dark frame and a white centre square, tinted per face by the corner colours.
  def face_texture
    bitmap = Bitmap.new(64, 64)
    bitmap.fill_rect(bitmap.rect, Color.new(255, 255, 255))
    bitmap.fill_rect(4, 4, 56, 56, Color.new(70, 70, 70))
    bitmap.fill_rect(10, 10, 44, 44, Color.new(200, 200, 200))
    bitmap.fill_rect(24, 24, 16, 16, Color.new(255, 255, 255))
    bitmap
  end

  def build_cube
    uv = [[0, 0], [1, 0], [1, 1], [0, 1]]
    FACES.each_with_index do |corners, face|
      [[0, 1, 2], [0, 2, 3]].each_with_index do |order, half|
        triangle = face * 2 + half
        order.each_with_index do |index, corner|
          x, y, z = corners[index]
          @cube.set_point_position(triangle, corner, x, y, z)
          @cube.set_point_texcoord(triangle, corner, *uv[index])
          @cube.set_point_color(triangle, corner, TINTS[face])
        end
      end
    end
  end

  def steer
    dx = (Input.press?(:RIGHT) ? 1 : 0) - (Input.press?(:LEFT) ? 1 : 0)
    dy = (Input.press?(:DOWN) ? 1 : 0) - (Input.press?(:UP) ? 1 : 0)
    @spin[0] = (@spin[0] + dx * 0.002).clamp(-0.1, 0.1)
    @spin[1] = (@spin[1] + dy * 0.002).clamp(-0.1, 0.1)
  end

  # Rotation (yaw, then pitch), then perspective onto the screen centre; rows for column vectors.
  def place_cube
    cy = Math.cos(@yaw)
    sy = Math.sin(@yaw)
    cp = Math.cos(@pitch)
    sp = Math.sin(@pitch)
    r0 = [cy, 0.0, sy]
    r1 = [sy * sp, cp, -cy * sp]
    r2 = [-sy * cp, sp, cy * cp]
    mx = Graphics.width / 2.0
    my = Graphics.height / 2.0
    row_x = (0..2).map { |i| FOCAL * r0[i] + mx * r2[i] } + [mx * DISTANCE]
    row_y = (0..2).map { |i| FOCAL * r1[i] + my * r2[i] } + [my * DISTANCE]
    row_z = r2.map { |value| DEPTH_A * value } + [DEPTH_A * DISTANCE + DEPTH_B]
    row_w = r2 + [DISTANCE]
    @cube.set_transform_matrix(*row_x, *row_y, *row_z, *row_w)
  end
end

Demo.register(DemoGeometry)
