# Win32API: game scripts call Windows functions through it, often while their classes load, so a missing class
# stops a game before its title screen. FUNCTIONS answers the calls games make from the player's real state
# (Win32API::Native); a function missing from it returns 0 (the Windows failure value) after one line on standard
# error. Arguments arrive as scripts pass them: integers, and for pointers a String (written in place, never past
# its end), a DL::CPtr or the address of memory allocated through DL. Structures are laid out as the 32-bit
# Windows ABI lays them out, which is how scripts pack and unpack them ('l*').
class Win32API
  # The Windows error code the last failing function set, for GetLastError.
  @last_error = 0

  class << self
    attr_accessor :last_error
  end

  def initialize(library, function, _imports = nil, _export = nil, *_calltype)
    @library = library.to_s
    @function = function.to_s
    @handler = FUNCTIONS[@function] || FUNCTIONS[@function.sub(/[AW]\z/, '')]
  end

  def call(*args)
    args = args.flatten
    return Support.unavailable(@library, @function) unless @handler
    # Functions without a result answer 0, as the Windows functions' untouched result register did.
    @handler.call(@function, *args) || 0
  end
  alias Call call

  # Scripts find our one window by its class or its title; no other window exists for them. The desktop has a
  # handle of its own, so the display's size can be read through it, and the program's module the usual base.
  DESKTOP = 0x10010
  MODULE = 0x400000
  CLASS_NAME = 'RGSS Player'

  module Support
    REPORTED = {}

    module_function

    def report_once(key, message)
      return if REPORTED[key]
      REPORTED[key] = true
      $stderr.puts "[Win32API] #{message}"
    end

    def unavailable(library, function)
      name = library.downcase.tr('\\', '/').sub(/\.dll\z/, '')
      key = "#{name}!#{function}"
      if game_library?(library)
        report_once(key, "#{key} is in the game's own Windows library, which cannot run on this platform; it returns 0")
      else
        report_once(key, "#{key} is not available on this platform; it returns 0")
      end
      0
    end

    # A library the game ships beside its scripts rather than one of the system's.
    def game_library?(library)
      name = library.tr('\\', '/')
      name += '.dll' unless name =~ /\.dll\z/i
      # Letters match in either case, as on the file system the game was made on.
      pattern = name.gsub(/[*?\[\]{}\\]/) { |c| "\\#{c}" }.gsub(/[a-z]/i) { |c| "[#{c.downcase}#{c.upcase}]" }
      !Dir.glob(pattern).empty?
    end

    def failure(code, result = 0)
      Win32API.last_error = code
      result
    end

    def wide?(function)
      function.end_with?('W')
    end

    # A text argument up to its terminator, as UTF-8; nil for NULL.
    def text(function, value)
      region = DL::Memory.region(value)
      return nil unless region
      bytes = region.cstring(wide: wide?(function))
      if wide?(function)
        bytes.force_encoding('UTF-16LE').encode('UTF-8', invalid: :replace, undef: :replace)
      else
        bytes.force_encoding('UTF-8')
      end
    end

    def encode_for(function, value)
      wide?(function) ? value.encode('UTF-16LE', invalid: :replace, undef: :replace).b : value.b
    end

    # Writes bytes into a pointer argument; false when it points nowhere we may write.
    def store(buffer, bytes, offset = 0)
      region = DL::Memory.region(buffer)
      return false unless region
      region.write(offset, bytes)
      true
    end

    def load(buffer, length, offset = 0)
      region = DL::Memory.region(buffer)
      region ? region.read(offset, length).ljust(length, "\0") : "\0" * length
    end

    # Copies text into a caller's buffer of `capacity` characters, terminated and cut to fit; answers the number
    # of characters copied without the terminator, as the Windows functions do.
    def fill(function, buffer, capacity, value)
      unit = wide?(function) ? 2 : 1
      capacity = capacity.to_i
      return 0 if capacity <= 0
      bytes = encode_for(function, value.to_s)
      count = [bytes.bytesize / unit, capacity - 1].min
      return 0 unless store(buffer, bytes.byteslice(0, count * unit) + "\0" * unit)
      count
    end

    # A list of names as the profile functions return it: each terminated, the list ended by one more
    # terminator; cut to the buffer with both terminators kept, answering capacity - 2.
    def fill_list(function, buffer, capacity, names)
      unit = wide?(function) ? 2 : 1
      capacity = capacity.to_i
      return 0 if capacity <= 0
      bytes = names.map { |name| encode_for(function, name.to_s) + "\0" * unit }.join.b
      if bytes.bytesize / unit + 1 > capacity
        cut = [capacity - 2, 0].max
        store(buffer, bytes.byteslice(0, cut * unit) + "\0" * (unit * [capacity, 2].min))
        return cut
      end
      store(buffer, bytes + "\0" * unit)
      bytes.bytesize / unit
    end

    def handle
      Native.window_handle
    end

    def ours?(window)
      window.to_i != 0 && window.to_i == handle
    end

    def rect_bytes(left, top, width, height)
      [left, top, left + width, top + height].pack('l<4')
    end

    Display = Struct.new(:x, :y, :width, :height, :work_x, :work_y, :work_width, :work_height, :virtual_x,
                         :virtual_y, :virtual_width, :virtual_height, :count, :border_left, :border_top,
                         :border_right, :border_bottom)

    def display
      values = Native.display
      values ? Display.new(*values) : nil
    end

    # Writes a window's frame (outer: true) or client rectangle; the desktop's is the display.
    def window_rect(window, buffer, outer)
      if window.to_i == DESKTOP
        area = display
        return failure(1400) unless area
        return store(buffer, rect_bytes(outer ? area.x : 0, outer ? area.y : 0, area.width, area.height)) ? 1 : 0
      end
      rects = ours?(window) ? Native.window_rects : nil
      return failure(1400) unless rects
      x, y, width, height = outer ? rects[0, 4] : [0, 0, rects[6], rects[7]]
      store(buffer, rect_bytes(x, y, width, height)) ? 1 : 0
    end

    def find_window(function, class_name, title)
      klass = text(function, class_name)
      wanted = text(function, title)
      ours = klass.nil? || klass.empty? || klass.casecmp?(CLASS_NAME)
      ours &&= wanted.nil? || !(klass.nil? || klass.empty?) || wanted == Native.window_title
      ours ? handle : 0
    end

    def active_window
      Native.window_active ? handle : 0
    end

    def signed32(value)
      value = value.to_i & 0xFFFFFFFF
      value >= 0x8000_0000 ? value - 0x1_0000_0000 : value
    end

    WS_POPUP = 0x8000_0000
    WS_MINIMIZE = 0x2000_0000
    WS_VISIBLE = 0x1000_0000
    WS_CLIPSIBLINGS = 0x0400_0000
    WS_MAXIMIZE = 0x0100_0000
    WS_CAPTION = 0x00C0_0000
    WS_SYSMENU = 0x0008_0000
    WS_THICKFRAME = 0x0004_0000
    WS_MINIMIZEBOX = 0x0002_0000
    WS_MAXIMIZEBOX = 0x0001_0000
    WS_EX_TOPMOST = 0x0000_0008
    GWL_EXSTYLE = -20
    GWL_STYLE = -16
    @extended_style = 0x0000_0100 # WS_EX_WINDOWEDGE

    def window_long(index)
      visible, bordered, resizable, minimized, maximized, topmost = Native.window_state
      return nil if visible.nil?
      case index
      when GWL_STYLE
        style = WS_CLIPSIBLINGS
        style |= bordered ? WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX : WS_POPUP
        style |= WS_THICKFRAME | WS_MAXIMIZEBOX if resizable
        style |= WS_VISIBLE if visible
        style |= WS_MINIMIZE if minimized
        style |= WS_MAXIMIZE if maximized
        signed32(style)
      when GWL_EXSTYLE
        signed32(topmost ? @extended_style | WS_EX_TOPMOST : @extended_style & ~WS_EX_TOPMOST)
      end
    end

    # Style changes scripts make: a caption or none (borderless windows), a sizing frame, visibility,
    # minimised or maximised, and always on top through the extended style. Answers the previous value.
    def set_window_long(index, value)
      previous = window_long(index)
      return nil if previous.nil?
      state = Native.window_state
      value = value.to_i & 0xFFFFFFFF
      case index
      when GWL_STYLE
        state[0] = value & WS_VISIBLE != 0
        state[1] = value & WS_CAPTION != 0
        state[2] = value & WS_THICKFRAME != 0
        state[3] = value & WS_MINIMIZE != 0
        state[4] = value & WS_MAXIMIZE != 0
      when GWL_EXSTYLE
        @extended_style = value & ~WS_EX_TOPMOST
        state[5] = value & WS_EX_TOPMOST != 0
      end
      Native.set_window_state(state)
      previous
    end

    # ShowWindow commands: hide, minimise, maximise, or show in the normal state. Answers whether the window
    # was visible before.
    def show_window(command)
      state = Native.window_state
      return 0 unless state
      was_visible = state[0]
      case command.to_i
      when 0 then state[0] = false
      when 2, 6, 7, 11 then state[0], state[3] = true, true
      when 3 then state[0], state[3], state[4] = true, false, true
      else state[0], state[3], state[4] = true, false, false
      end
      Native.set_window_state(state)
      was_visible ? 1 : 0
    end

    SWP_NOSIZE = 0x1
    SWP_NOMOVE = 0x2
    SWP_NOZORDER = 0x4
    SWP_SHOWWINDOW = 0x40
    SWP_HIDEWINDOW = 0x80

    def set_window_pos(after, x, y, width, height, flags)
      flags = flags.to_i
      Native.move_window(x.to_i, y.to_i, width.to_i, height.to_i, flags & SWP_NOMOVE == 0, flags & SWP_NOSIZE == 0)
      state = Native.window_state
      case signed32(after)
      when -1 then state[5] = true if flags & SWP_NOZORDER == 0
      when -2 then state[5] = false if flags & SWP_NOZORDER == 0
      end
      state[0] = true if flags & SWP_SHOWWINDOW != 0
      state[0] = false if flags & SWP_HIDEWINDOW != 0
      Native.set_window_state(state)
      1
    end

    def screen_metric(index)
      area = display
      return 0 unless area
      caption = [area.border_top - area.border_bottom, 0].max
      case index.to_i
      when 0 then area.width
      when 1 then area.height
      when 4 then caption
      when 5, 6 then 1
      when 7, 32 then area.border_left
      when 8, 33 then area.border_bottom
      when 16 then area.work_width
      when 17 then area.work_height - caption
      when 19 then 1
      when 43 then 3
      when 61 then area.work_width
      when 62 then area.work_height
      when 76 then area.virtual_x
      when 77 then area.virtual_y
      when 78 then area.virtual_width
      when 79 then area.virtual_height
      when 80 then area.count
      else 0
      end
    end

    # A point structure moved between screen and client coordinates by the client area's origin.
    def shift_point(window, point, sign)
      rects = ours?(window) ? Native.window_rects : nil
      return failure(1400) unless rects
      x, y = load(point, 8).unpack('l<2')
      store(point, [x + sign * rects[4], y + sign * rects[5]].pack('l<2')) ? 1 : 0
    end

    @cursor_count = 0

    # The display counter of ShowCursor: the pointer shows while it is 0 or more.
    def show_cursor(show)
      @cursor_count += show.to_i != 0 ? 1 : -1
      Mouse.visible = @cursor_count >= 0 if defined?(Mouse) && Mouse.respond_to?(:visible=)
      @cursor_count
    end

    def set_cursor_pos(x, y)
      rects = Native.window_rects
      return 0 unless rects && defined?(Mouse) && Mouse.respond_to?(:set_pos)
      Mouse.set_pos(x.to_i - rects[4], y.to_i - rects[5]) ? 1 : 0
    end

    def profile_file(function, file)
      name = text(function, file)
      name.nil? || name.empty? ? nil : name
    end

    def profile_string(function, section, key, default, buffer, size, file)
      path = profile_file(function, file)
      section = text(function, section)
      key = text(function, key)
      if section.nil? || key.nil?
        names = path ? Native.profile_read(path, section, key) : []
        return fill_list(function, buffer, size, names.map { |name| profile_text(function, name) })
      end
      value = path && Native.profile_read(path, section, key)
      value = value ? profile_text(function, value) : text(function, default).to_s.sub(/ +\z/, '')
      fill(function, buffer, size, value)
    end

    # Profile files written on other systems hold their code page's bytes; our ANSI code page is UTF-8, so both
    # the narrow and the wide functions hand on the text decoded to UTF-8.
    def profile_text(function, bytes)
      text = Native.decode_profile(bytes)
      wide?(function) ? text : text.b
    end

    def profile_bytes(function, value)
      return nil if value.nil?
      wide?(function) ? value.encode('UTF-8') : value.b
    end

    def write_profile_string(function, section, key, value, file)
      path = profile_file(function, file)
      section = text(function, section)
      # All three NULL asks for cached profile text to be flushed: ours is always on disk already.
      return 1 if [section, key, value].all? { |argument| argument.nil? || argument == 0 }
      return failure(87) if path.nil? || section.nil?
      status = Native.profile_write(path, profile_bytes(function, section),
                                    profile_bytes(function, text(function, key)),
                                    profile_bytes(function, text(function, value)))
      return 1 if status.zero?
      report_once("profile #{path}", "cannot write the profile file #{path}: error #{status}")
      failure(5)
    end

    def source_bytes(source, length, unit)
      length = signed32(length)
      region = DL::Memory.region(source)
      return nil if region.nil? || length.zero? || length < -1
      return region.cstring(wide: unit == 2) + "\0" * unit if length == -1
      region.read(0, length * unit)
    end

    # Writes converted text if the buffer has room for it; answers its length in units (`unit` bytes each).
    def converted(bytes, buffer, capacity, unit)
      count = bytes.bytesize / unit
      capacity = signed32(capacity)
      return count if capacity.zero?
      return failure(87) if capacity.negative?
      store(buffer, bytes.byteslice(0, [capacity, count].min * unit))
      capacity < count ? failure(122) : count
    end

    MB_ERR_INVALID_CHARS = 0x8
    WC_ERR_INVALID_CHARS = 0x80
    UTF8_PAGES = [0, 1, 3, 65001].freeze

    def multi_byte_to_wide(page, flags, source, length, buffer, capacity)
      charset = Native.charset(page.to_i)
      bytes = source_bytes(source, length, 1)
      return failure(87) if charset.nil? || bytes.nil?
      result = Native.transcode(bytes, charset, 'UTF-16LE', "\xFD\xFF".b, 1)
      return failure(87) unless result
      return failure(1113) if result[1] && flags.to_i & MB_ERR_INVALID_CHARS != 0
      converted(result[0], buffer, capacity, 2)
    end

    def wide_to_multi_byte(page, flags, source, length, buffer, capacity, default_char, used_default)
      charset = Native.charset(page.to_i)
      bytes = source_bytes(source, length, 2)
      return failure(87) if charset.nil? || bytes.nil?
      utf8 = UTF8_PAGES.include?(page.to_i)
      replacement = utf8 ? "\uFFFD".b : (text('A', default_char).to_s.b[0] || '?').b
      result = Native.transcode(bytes, 'UTF-16LE', charset, replacement, 2)
      return failure(87) unless result
      return failure(1113) if result[1] && utf8 && flags.to_i & WC_ERR_INVALID_CHARS != 0
      store(used_default, [result[1] ? 1 : 0].pack('l<')) unless used_default.nil? || used_default == 0
      converted(result[0], buffer, capacity, 1)
    end

    CF_TEXT = 1
    CF_OEMTEXT = 7
    CF_UNICODETEXT = 13
    TEXT_FORMATS = [CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT].freeze
    @formats = {}
    @clipboard_block = nil

    def register_clipboard_format(name)
      @formats[name.to_s.downcase] ||= 0xC000 + @formats.size
    end

    # Clipboard text in a block of memory that the clipboard owns until the next read.
    def clipboard_data(format)
      format = format.to_i
      content = TEXT_FORMATS.include?(format) ? Native.clipboard : nil
      return 0 unless content
      bytes = format == CF_UNICODETEXT ? content.encode('UTF-16LE').b + "\0\0" : content.b + "\0"
      DL::Memory.release(@clipboard_block) if @clipboard_block
      @clipboard_block = DL::Memory.allocate(bytes.bytesize)
      DL::BlockRegion.new(@clipboard_block, bytes.bytesize).write(0, bytes)
      @clipboard_block
    end

    # The clipboard takes the block over, as on Windows, and keeps a copy of its text.
    def set_clipboard_data(format, data)
      return 0 unless TEXT_FORMATS.include?(format.to_i)
      content = text(format.to_i == CF_UNICODETEXT ? 'W' : 'A', data)
      return 0 unless content && Native.set_clipboard(content.scrub)
      DL::Memory.release(data) if data.is_a?(Integer) && DL::Memory.owned?(data)
      data.to_i
    end

    def user_name(function, buffer, size_buffer)
      name = Native.user_name
      needed = encode_for(function, name).bytesize / (wide?(function) ? 2 : 1) + 1
      capacity = load(size_buffer, 4).unpack1('L<')
      store(size_buffer, [needed].pack('L<'))
      return failure(122) if capacity < needed
      fill(function, buffer, capacity, name)
      1
    end

    def module_file_name(function, module_handle, buffer, size)
      return failure(126) unless [0, MODULE].include?(module_handle.to_i)
      path = Native.executable_path
      copied = fill(function, buffer, size, path)
      copied < encode_for(function, path).bytesize / (wide?(function) ? 2 : 1) ? failure(122, size.to_i) : copied
    end

    # Opens web addresses in the browser and nothing else: a game never starts programs through us.
    def shell_execute(function, operation, file)
      verb = text(function, operation)
      target = text(function, file).to_s
      if (verb.nil? || verb.empty? || verb.casecmp?('open')) && target.match?(%r{\Ahttps?://[^\s"'`\\]+\z}i)
        return Native.open_url(target) ? 42 : 2
      end
      report_once("shell #{target}", "ShellExecute of #{target.inspect} refused: only http and https addresses are opened")
      5
    end

    def message_box(function, message, caption, type)
      Native.message_box(text(function, message).to_s.scrub, (text(function, caption) || 'Error').scrub, type.to_i)
    end

    def move_memory(destination, source, length)
      bytes = load(source, length.to_i)
      store(destination, bytes)
      nil
    end

    def milliseconds
      Process.clock_gettime(Process::CLOCK_MONOTONIC, :millisecond) & 0xFFFFFFFF
    end

    def sleep_for(milliseconds)
      sleep(milliseconds.to_i / 1000.0) if milliseconds.to_i.positive?
      0
    end
  end

  # One row per function, under its name without the A or W suffix.
  FUNCTIONS = {
    # Keyboard, from the key states the window procedure fed.
    'GetKeyboardState' => ->(_f, buffer) { (states = Native.key_states) && Support.store(buffer, states) ? 1 : 0 },
    'GetKeyState' => ->(_f, key) { Native.key_state(key.to_i) || 0 },
    'GetAsyncKeyState' => ->(_f, key) { Native.async_key_state(key.to_i) || 0 },
    'keybd_event' => ->(_f, key, _scan, flags, _extra) { Native.key_event(key.to_i & 0xFF, flags.to_i & 2 == 0) && nil },

    # Pointer and coordinates.
    'GetCursorPos' => ->(_f, point) { (pos = Native.pointer) && Support.store(point, pos.pack('l<2')) ? 1 : 0 },
    'SetCursorPos' => ->(_f, x, y) { Support.set_cursor_pos(x, y) },
    'ScreenToClient' => ->(_f, window, point) { Support.shift_point(window, point, -1) },
    'ClientToScreen' => ->(_f, window, point) { Support.shift_point(window, point, 1) },
    'ShowCursor' => ->(_f, show) { Support.show_cursor(show) },

    # Window handles and geometry.
    'FindWindow' => ->(f, class_name, title) { Support.find_window(f, class_name, title) },
    'FindWindowEx' => lambda do |f, parent, after, class_name, title|
      [0, Win32API::DESKTOP].include?(parent.to_i) && after.to_i.zero? ? Support.find_window(f, class_name, title) : 0
    end,
    'GetActiveWindow' => ->(_f) { Support.active_window },
    'GetForegroundWindow' => ->(_f) { Support.active_window },
    'GetFocus' => ->(_f) { Support.active_window },
    'GetDesktopWindow' => ->(_f) { Win32API::DESKTOP },
    'GetWindowRect' => ->(_f, window, rect) { Support.window_rect(window, rect, true) },
    'GetClientRect' => ->(_f, window, rect) { Support.window_rect(window, rect, false) },
    'MoveWindow' => lambda do |_f, window, x, y, width, height, _repaint|
      Support.ours?(window) && Native.move_window(x.to_i, y.to_i, width.to_i, height.to_i, true, true) ? 1 : 0
    end,
    'SetWindowPos' => lambda do |_f, window, after, x, y, width, height, flags|
      Support.ours?(window) ? Support.set_window_pos(after, x, y, width, height, flags) : Support.failure(1400)
    end,
    'ShowWindow' => ->(_f, window, command) { Support.ours?(window) ? Support.show_window(command) : 0 },
    'GetWindowLong' => lambda do |_f, window, index|
      (Support.ours?(window) && Support.window_long(Support.signed32(index))) || Support.failure(1413)
    end,
    'SetWindowLong' => lambda do |_f, window, index, value|
      (Support.ours?(window) && Support.set_window_long(Support.signed32(index), value)) || Support.failure(1413)
    end,
    'SetWindowText' => lambda do |f, window, title|
      Support.ours?(window) && Native.set_window_title(Support.text(f, title).to_s.scrub) ? 1 : 0
    end,
    'GetWindowText' => lambda do |f, window, buffer, size|
      Support.ours?(window) ? Support.fill(f, buffer, size, Native.window_title.to_s) : 0
    end,
    'GetWindowTextLength' => ->(f, window) { Support.ours?(window) ? Support.encode_for(f, Native.window_title.to_s).bytesize / (Support.wide?(f) ? 2 : 1) : 0 },

    # Display.
    'GetSystemMetrics' => ->(_f, index) { Support.screen_metric(index) },
    'SystemParametersInfo' => lambda do |_f, action, _parameter, buffer, _update|
      area = action.to_i == 0x30 ? Support.display : nil # SPI_GETWORKAREA
      next Support.unavailable('user32', format('SystemParametersInfo action 0x%x', action.to_i)) unless area
      Support.store(buffer, Support.rect_bytes(area.work_x, area.work_y, area.work_width, area.work_height)) ? 1 : 0
    end,

    # Profile (INI) files, named relative to the game folder.
    'GetPrivateProfileString' => lambda do |f, section, key, default, buffer, size, file|
      Support.profile_string(f, section, key, default, buffer, size, file)
    end,
    'GetPrivateProfileSectionNames' => lambda do |f, buffer, size, file|
      path = Support.profile_file(f, file)
      Support.fill_list(f, buffer, size, (path ? Native.profile_read(path, nil, nil) : []).map { |n| Support.profile_text(f, n) })
    end,
    'GetPrivateProfileInt' => lambda do |f, section, key, default, file|
      path = Support.profile_file(f, file)
      path ? Native.profile_int(path, Support.text(f, section).to_s, Support.text(f, key).to_s, default.to_i) : default.to_i
    end,
    'WritePrivateProfileString' => lambda do |f, section, key, value, file|
      Support.write_profile_string(f, section, key, value, file)
    end,

    # Text conversion.
    'MultiByteToWideChar' => lambda do |_f, page, flags, source, length, buffer, capacity|
      Support.multi_byte_to_wide(page, flags, source, length, buffer, capacity)
    end,
    'WideCharToMultiByte' => lambda do |_f, page, flags, source, length, buffer, capacity, default_char, used_default|
      Support.wide_to_multi_byte(page, flags, source, length, buffer, capacity, default_char, used_default)
    end,
    'GetACP' => ->(_f) { 65001 },
    'GetOEMCP' => ->(_f) { 65001 },

    # Clipboard text, and the global memory it travels in.
    'OpenClipboard' => ->(_f, _window) { 1 },
    'CloseClipboard' => ->(_f) { 1 },
    'EmptyClipboard' => ->(_f) { Native.set_clipboard('') ? 1 : 0 },
    'IsClipboardFormatAvailable' => ->(_f, format) { Support::TEXT_FORMATS.include?(format.to_i) && Native.clipboard ? 1 : 0 },
    'GetClipboardData' => ->(_f, format) { Support.clipboard_data(format) },
    'SetClipboardData' => ->(_f, format, data) { Support.set_clipboard_data(format, data) },
    'RegisterClipboardFormat' => ->(f, name) { Support.register_clipboard_format(Support.text(f, name)) },
    'GlobalAlloc' => ->(_f, _flags, size) { DL::Memory.allocate(size) },
    'GlobalLock' => ->(_f, block) { DL::Memory.owned?(block) ? block.to_i : 0 },
    'GlobalUnlock' => ->(_f, _block) { 0 },
    'GlobalSize' => ->(_f, block) { DL::Memory.owned?(block) ? DL::Memory.region_at(block).size : 0 },
    'GlobalFree' => ->(_f, block) { DL::Memory.release(block) || 0 },
    'RtlMoveMemory' => ->(_f, destination, source, length) { Support.move_memory(destination, source, length) },
    'lstrlen' => ->(f, string) { Support.encode_for(f, Support.text(f, string).to_s).bytesize / (Support.wide?(f) ? 2 : 1) },

    # Time.
    'GetTickCount' => ->(_f) { Support.milliseconds },
    'GetTickCount64' => ->(_f) { Process.clock_gettime(Process::CLOCK_MONOTONIC, :millisecond) },
    'timeGetTime' => ->(_f) { Support.milliseconds },
    'timeBeginPeriod' => ->(_f, _period) { 0 },
    'timeEndPeriod' => ->(_f, _period) { 0 },
    'Sleep' => ->(_f, milliseconds) { Support.sleep_for(milliseconds) },
    'QueryPerformanceFrequency' => ->(_f, buffer) { Support.store(buffer, [1_000_000_000].pack('q<')) ? 1 : 0 },
    'QueryPerformanceCounter' => lambda do |_f, buffer|
      Support.store(buffer, [Process.clock_gettime(Process::CLOCK_MONOTONIC, :nanosecond)].pack('q<')) ? 1 : 0
    end,

    # The user, the program and the desktop around it.
    'GetUserName' => ->(f, buffer, size) { Support.user_name(f, buffer, size) },
    'GetModuleHandle' => ->(f, name) { Support.text(f, name).nil? ? Win32API::MODULE : 0 },
    'GetModuleFileName' => ->(f, handle, buffer, size) { Support.module_file_name(f, handle, buffer, size) },
    'GetCurrentProcessId' => ->(_f) { Process.pid },
    'MessageBox' => ->(f, _window, message, caption, type) { Support.message_box(f, message, caption, type) },
    'ShellExecute' => lambda do |f, _window, operation, file, _parameters, _directory, _show|
      Support.shell_execute(f, operation, file)
    end,
    'GetLastError' => ->(_f) { Win32API.last_error },
    'SetLastError' => ->(_f, code) { (Win32API.last_error = code.to_i) && nil },
    'GetUserDefaultLangID' => ->(_f) { 0x0409 },
    'GetSystemDefaultLangID' => ->(_f) { 0x0409 },
    'GetUserDefaultLCID' => ->(_f) { 0x0409 },
    'GetSystemDefaultLCID' => ->(_f) { 0x0409 },
  }
  FUNCTIONS['GetWindowLongPtr'] = FUNCTIONS['GetWindowLong']
  FUNCTIONS['SetWindowLongPtr'] = FUNCTIONS['SetWindowLong']
  FUNCTIONS.freeze
end

# Scripts written for the old interpreter load it by name.
$LOADED_FEATURES << 'Win32API.rb' << 'win32api.rb'
