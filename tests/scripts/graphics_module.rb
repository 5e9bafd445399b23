# The Graphics module as scripts see it: frame counting, the frame rate and its bounds, waits, fades, freeze and
# transitions, brightness, sizes, filter clamping, full-screen requests, vsync, custom shaders and their errors.
# args: test
# ini: ScreenWidth=320
# ini: ScreenHeight=240
# file: Graphics/Transitions/wipe.png <- graphics_wipe.png
begin
  check('width', Graphics.width, 320)
  check('height', Graphics.height, 240)
  check('frame_rate at start', Graphics.frame_rate, 60)
  check('brightness at start', Graphics.brightness, 255)
  check('update returns nil', Graphics.update, nil)
  start = Graphics.frame_count
  Graphics.update
  check('update counts a frame', Graphics.frame_count, start + 1)
  check('frame_count= returns its argument', (Graphics.frame_count = 100), 100)
  Graphics.wait(3)
  check('wait counts its frames', Graphics.frame_count, 103)

  check('frame_rate= returns its argument', (Graphics.frame_rate = 120), 120)
  check('frame_rate', Graphics.frame_rate, 120)
  check('frame_rate = 0', error_of { Graphics.frame_rate = 0 }, 'ArgumentError: frame rate must be positive, not 0')
  check('frame_rate = -5', error_of { Graphics.frame_rate = -5 },
        'ArgumentError: frame rate must be positive, not -5')
  check('frame_rate unchanged by refusals', Graphics.frame_rate, 120)
  check('frame_rate = "x"', error_of { Graphics.frame_rate = 'x' }.start_with?('TypeError'), true)

  # A 10-frame fade-out ends at 0; a fade-in brings it back to 255.
  check('fadeout returns nil', Graphics.fadeout(10), nil)
  check('brightness after fadeout', Graphics.brightness, 0)
  Graphics.fadein(4)
  check('brightness after fadein', Graphics.brightness, 255)

  check('brightness= unclamped', (Graphics.brightness = 300), 300)
  check('brightness reads back unclamped', Graphics.brightness, 300)
  Graphics.brightness = 255

  check('freeze returns nil', Graphics.freeze, nil)
  check('transition(0) returns nil', Graphics.transition(0), nil)
  before = Graphics.frame_count
  Graphics.transition(3)
  check('transition waits its frames', Graphics.frame_count, before + 3)
  Graphics.freeze
  Graphics.transition(2, 'Graphics/Transitions/wipe', 60)
  check('transition with an image', Graphics.brightness, 255)
  check('transition with a missing image',
        error_of { Graphics.transition(2, 'Graphics/Transitions/none') },
        'Errno::ENOENT: No such file or directory - Graphics/Transitions/none')
  check('transition arity', error_of { Graphics.transition(1, '', 2, 3) }.start_with?('ArgumentError'), true)

  check('filter = 5 returns nil', (Graphics.send(:filter=, 5)), nil)
  check('filter = 5 stores 1', Graphics.filter, 1)
  Graphics.filter = -3
  check('filter = -3 stores 0', Graphics.filter, 0)
  Graphics.filter = 1
  check('filter = 1', Graphics.filter, 1)

  check('visible', Graphics.visible, true)
  check('visible= returns true', Graphics.send(:visible=, false), true)
  check('window_hwnd is an integer', Graphics.window_hwnd.is_a?(Integer), true)
  check('frame_reset', Graphics.frame_reset, nil)

  check('fullscreen at start', Graphics.fullscreen, false)
  check('is_fullscreen?', Graphics.is_fullscreen?, false)
  check('fullscreen = false returns its argument', (Graphics.fullscreen = false), false)
  count = Graphics.frame_count
  Graphics.update
  check('no toggle requested: a frame is drawn', Graphics.frame_count, count + 1)

  check('vsync at start', Graphics.vsync, true)
  check('vsync= returns its argument', (Graphics.vsync = false), false)
  check('vsync off', Graphics.vsync, false)
  check('background_exec at start', Graphics.background_exec, false)
  check('background_exec= true', (Graphics.background_exec = true), true)
  check('background_exec', Graphics.background_exec, true)
  Graphics.background_exec = 1
  check('background_exec = 1 is not true', Graphics.background_exec, false)

  check('resize_screen', Graphics.resize_screen(400, 300), nil)
  check('width after resize', Graphics.width, 400)
  check('height after resize', Graphics.height, 300)
  Graphics.update
  check('resize_screen(0, 5)', error_of { Graphics.resize_screen(0, 5) },
        'ArgumentError: screen size 0 x 5 is not positive')
  check('resize_screen(100000, 100000)', error_of { Graphics.resize_screen(100_000, 100_000) },
        'ArgumentError: screen size 100000 x 100000 is larger than 8192 x 8192')
  check('resize_window(640, 9000)', error_of { Graphics.resize_window(640, 9000) },
        'ArgumentError: window size 640 x 9000 is larger than 8192 x 8192')
  check('screen kept after refusals', [Graphics.width, Graphics.height], [400, 300])
  check('resize_window', Graphics.resize_window(800, 600), nil)
  check('resize_window keeps the screen', [Graphics.width, Graphics.height], [400, 300])
  Graphics.update

  check('add_shader', Graphics.add_shader("float4 PSMine(float2 t : TEXCOORD0) : COLOR0 { return 1; }",
                                          "pass Mine { PixelShader = compile ps_2_0 PSMine(); }"), nil)
  check('broken shader', error_of { Graphics.add_shader('float4 Broken( {', '') }, 'RGSSError: Invaild Shader')
  Graphics.update
  check('frames go on after a broken shader', Graphics.frame_count > 0, true)

  # A toggle happens at the next update, which draws no frame; asking for the current state requests nothing.
  count = Graphics.frame_count
  check('toggle_fullscreen returns nil', Graphics.toggle_fullscreen, nil)
  check('toggle not yet taken', Graphics.fullscreen, false)
  Graphics.update
  check('the toggling update draws no frame', Graphics.frame_count, count)
  check('full screen after the toggle', Graphics.fullscreen, true)
  check('fullscreen = true returns its argument', (Graphics.fullscreen = true), true)
  Graphics.update
  check('fullscreen = true while full screen requests nothing', Graphics.frame_count, count + 1)
  Graphics.fullscreen = false
  Graphics.update
  check('fullscreen = false switches back', [Graphics.fullscreen, Graphics.frame_count], [false, count + 1])

  Graphics.frame_rate = 60
  check('__reset__', Graphics.__reset__, nil)
  check('reset brightness', Graphics.brightness, 255)
  check('reset frame_rate', Graphics.frame_rate, 60)
  check('reset keeps the screen size', Graphics.width, 400)
  Graphics.update
rescue Exception => error
  $failures << "unexpected #{error.class}: #{error.message}\n#{error.backtrace.join("\n")}"
end

finish
