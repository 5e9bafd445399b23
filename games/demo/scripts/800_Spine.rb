# Two skeletal animations of our own knight (Graphics/Spine: the page image and atlas are drawn at build time, the
# skeleton is written by hand). The guest walks behind the fence (z 5 under the fence's 10); the player stands in
# front of it (z 15). Left and right switch the player's animation, crossfaded over Spine.mix_time; Z (or the
# controller's A) jumps on a second track; up and down change the combined skins. The animation events show as they
# fire. The night sky in the knight's badge is clipped to the badge, the glow is additive, the shadow multiplies
# the ground and the sheen on the body screens it.
class DemoSpine
  ATLAS = 'Graphics/Spine/Knight.atlas'.freeze
  SKELETON = 'Graphics/Spine/Knight.json'.freeze
  ANIMATIONS = %w[idle walk wave].freeze
  SKINS = [%w[wizard], %w[guard], %w[wizard guard], %w[king guard], []].freeze
  GROUND = 318

  def initialize
    @background = Demo.backdrop('Spine', 'Left/right: animation - Z: jump - Up/down: skins')
    @mix_time = Spine.mix_time
    Spine.mix_time = 0.25
    @ground = ground
    @fence = fence
    @guest = knight(-140, 5)
    @guest.set_animation(0, 'walk')
    @guest.set_skin(%w[king guard])
    @guest.opacity = 220
    @player = knight(110, 15)
    @animation = 0
    @skin = 2
    @player.set_skin(SKINS[@skin])
    @log = log_sprite
    @lines = []
    show_state
  end

  def update
    steer
    [@guest, @player].each(&:update)
    report_events
  end

  def dispose
    @player.dispose
    @guest.dispose
    Spine.mix_time = @mix_time
    [@log, @fence, @ground].each { |sprite| Demo.dispose_sprite(sprite) }
    Demo.dispose_sprite(@background)
  end

  private

  # Screen y grows downwards from the centre; the skeleton's root is on the ground line.
  def knight(x, z)
    spine = Spine.new(ATLAS, SKELETON)
    spine.x = x
    spine.y = GROUND - Graphics.height / 2
    spine.z = z
    spine
  end

  def ground
    sprite = Sprite.new
    sprite.bitmap = Bitmap.new(Graphics.width, Graphics.height - GROUND + 12)
    sprite.bitmap.fill_rect(sprite.bitmap.rect, Color.new(150, 170, 120))
    sprite.y = GROUND - 12
    sprite.z = -10
    sprite
  end

  # Palings along the ground line, between the two knights in z.
  def fence
    sprite = Sprite.new
    bitmap = Bitmap.new(Graphics.width, 70)
    bitmap.fill_rect(0, 22, bitmap.width, 8, Color.new(120, 80, 50))
    bitmap.fill_rect(0, 48, bitmap.width, 8, Color.new(120, 80, 50))
    (0...bitmap.width).step(24) { |x| bitmap.fill_rect(x + 4, 6, 12, 64, Color.new(170, 120, 75)) }
    sprite.bitmap = bitmap
    sprite.y = GROUND - 60
    sprite.z = 10
    sprite
  end

  def log_sprite
    sprite = Sprite.new
    sprite.bitmap = Bitmap.new(Graphics.width, 110)
    sprite.y = 44
    sprite.z = 20
    sprite
  end

  def steer
    step = (Input.trigger?(:RIGHT) ? 1 : 0) - (Input.trigger?(:LEFT) ? 1 : 0)
    if step != 0
      @animation = (@animation + step) % ANIMATIONS.size
      @player.set_animation(0, ANIMATIONS[@animation])
      show_state
    end
    skin = (Input.trigger?(:DOWN) ? 1 : 0) - (Input.trigger?(:UP) ? 1 : 0)
    if skin != 0
      @skin = (@skin + skin) % SKINS.size
      @player.set_skin(SKINS[@skin])
      show_state
    end
    @player.set_animation(1, 'jump', false) if Input.trigger?(:C) || Demo.pad_trigger?(:A)
  end

  def report_events
    if @player.get_event_triggered(0, 'step')
      note("step: #{@player.get_event_string_data(0, 'step')} foot (#{@player.get_event_int_data(0, 'step')})")
    end
    note("hello: \"#{@player.get_event_string_data(0, 'hello')}\"") if @player.get_event_triggered(0, 'hello')
    note("land: #{@player.get_event_float_data(1, 'land')}") if @player.get_event_triggered(1, 'land')
    note('jump complete') if @player.get_event_triggered(1, '__Complete')
    @guest.get_event_triggered(0, 'step')
  end

  def note(line)
    @lines = ([line] + @lines).first(3)
    show_state
  end

  def show_state
    bitmap = @log.bitmap
    bitmap.clear
    bitmap.font.size = 18
    skins = SKINS[@skin].empty? ? 'no skin' : SKINS[@skin].join(' + ')
    bitmap.draw_text(0, 0, bitmap.width, 24, "#{ANIMATIONS[@animation]} - #{skins}", 1)
    bitmap.font.size = 16
    @lines.each_with_index do |line, i|
      bitmap.font.color = Color.new(255, 255, 255, 255 - i * 70)
      bitmap.draw_text(0, 28 + i * 22, bitmap.width, 22, line, 1)
    end
    bitmap.font.color = Color.new(255, 255, 255)
  end
end

Demo.register(DemoSpine)
