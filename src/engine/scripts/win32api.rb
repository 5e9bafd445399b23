# Win32API: game scripts call Windows functions through it, often while their classes load, so a missing
# class stops a game before its title screen. The functions scripts commonly use are answered here; any
# other returns 0 (the Windows failure value) after one line on standard error.
class Win32API
  UNAVAILABLE_REPORTED = {}

  def initialize(library, function, imports = nil, export = nil)
    @library = library.to_s.downcase.sub(/\.dll\z/, '')
    @function = function.to_s
    @imports = imports
    @export = export
    @handler = HANDLERS[@function] || HANDLERS[@function.sub(/[AW]\z/, '')]
  end

  def call(*args)
    args = args.flatten
    return @handler.call(@function, *args) if @handler
    key = "#{@library}!#{@function}"
    unless UNAVAILABLE_REPORTED[key]
      UNAVAILABLE_REPORTED[key] = true
      $stderr.puts "[Win32API] #{key} is not available on this platform; it returns 0"
    end
    0
  end
  alias Call call

  module Support
    module_function

    def wide?(function)
      function.end_with?('W')
    end

    def text(function, value)
      return '' if value.nil? || value == 0
      value = value.to_s
      if wide?(function)
        value.dup.force_encoding('UTF-16LE').encode('UTF-8', invalid: :replace, undef: :replace).sub(/\0.*\z/m, '')
      else
        value.dup.force_encoding('UTF-8').sub(/\0.*\z/m, '')
      end
    end

    # Copies text into a caller's buffer string, terminated, cut to `capacity` characters; returns the
    # number of characters copied without the terminator, as the Windows functions do.
    def fill(function, buffer, capacity, value)
      capacity = capacity.to_i
      return 0 if buffer.nil? || capacity <= 0
      if wide?(function)
        units = value.encode('UTF-16LE').unpack('v*')[0, capacity - 1]
        bytes = (units + [0]).pack('v*')
        count = units.size
      else
        bytes = value.b[0, capacity - 1] + "\0"
        count = bytes.bytesize - 1
      end
      buffer.force_encoding('ASCII-8BIT')
      buffer[0, bytes.bytesize] = bytes
      count
    end

    def profile_value(file, section, key)
      return nil unless File.file?(file.to_s)
      current = nil
      File.foreach(file.to_s, mode: 'rb') do |line|
        line = line.force_encoding('UTF-8').scrub.strip.sub(/\A\uFEFF/, '')
        if line =~ /\A\[(.*)\]/
          current = $1.strip
        elsif current && current.casecmp?(section) && line.include?('=')
          name, value = line.split('=', 2)
          return value.strip if name.strip.casecmp?(key)
        end
      end
      nil
    end

    def screen_size
      if defined?(Graphics) && Graphics.respond_to?(:width)
        [Graphics.width, Graphics.height]
      else
        [544, 416]
      end
    end

    def milliseconds
      Process.clock_gettime(Process::CLOCK_MONOTONIC, :millisecond) & 0xFFFFFFFF
    end
  end

  # Any window handle scripts ask for: there is one game window and no other.
  WINDOW = 1

  HANDLERS = {
    'GetPrivateProfileString' => lambda do |f, section, key, default, buffer, size, file|
      value = Support.profile_value(Support.text(f, file), Support.text(f, section), Support.text(f, key))
      Support.fill(f, buffer, size, value || Support.text(f, default))
    end,
    'GetPrivateProfileInt' => lambda do |f, section, key, default, file|
      value = Support.profile_value(Support.text(f, file), Support.text(f, section), Support.text(f, key))
      value ? value[/\A[+-]?\d+/].to_i : default.to_i
    end,
    'MultiByteToWideChar' => lambda do |_f, _page, _flags, source, length, buffer, capacity|
      source = source.to_s.b
      source = source[0, length] if length.to_i >= 0
      source = source.sub(/\0.*\z/m, '') + "\0" if length.to_i < 0
      units = source.force_encoding('UTF-8').scrub("\uFFFD").encode('UTF-16LE').unpack('v*')
      next units.size if capacity.to_i == 0
      bytes = units[0, capacity.to_i].pack('v*')
      buffer.force_encoding('ASCII-8BIT')[0, bytes.bytesize] = bytes
      [units.size, capacity.to_i].min
    end,
    'WideCharToMultiByte' => lambda do |_f, _page, _flags, source, length, buffer, capacity, *_rest|
      source = source.to_s.b
      source = length.to_i >= 0 ? source[0, length.to_i * 2] : source.sub(/(\A(?:..)*?)\0\0.*\z/m, '\1') + "\0\0"
      bytes = source.force_encoding('UTF-16LE').encode('UTF-8', invalid: :replace, undef: :replace).b
      next bytes.bytesize if capacity.to_i == 0
      part = bytes[0, capacity.to_i]
      buffer.force_encoding('ASCII-8BIT')[0, part.bytesize] = part
      part.bytesize
    end,
    'GetActiveWindow' => ->(_f) { WINDOW },
    'GetForegroundWindow' => ->(_f) { WINDOW },
    'FindWindow' => ->(_f, *_names) { WINDOW },
    'FindWindowEx' => ->(_f, *_args) { WINDOW },
    'GetDesktopWindow' => ->(_f) { WINDOW },
    'ShowCursor' => ->(_f, show) { show.to_i != 0 ? 1 : 0 },
    'GetSystemMetrics' => lambda do |_f, index|
      width, height = Support.screen_size
      { 0 => width, 1 => height, 16 => width, 17 => height }.fetch(index.to_i, 0)
    end,
    'GetClientRect' => lambda do |_f, _window, buffer|
      width, height = Support.screen_size
      buffer.force_encoding('ASCII-8BIT')[0, 16] = [0, 0, width, height].pack('l<4')
      1
    end,
    'GetWindowRect' => lambda do |_f, _window, buffer|
      width, height = Support.screen_size
      buffer.force_encoding('ASCII-8BIT')[0, 16] = [0, 0, width, height].pack('l<4')
      1
    end,
    'ScreenToClient' => ->(_f, _window, _point) { 1 },
    'ClientToScreen' => ->(_f, _window, _point) { 1 },
    'GetCursorPos' => lambda do |_f, buffer|
      buffer.force_encoding('ASCII-8BIT')[0, 8] = [0, 0].pack('l<2')
      1
    end,
    'GetAsyncKeyState' => ->(_f, _key) { 0 },
    'GetKeyState' => ->(_f, _key) { 0 },
    'keybd_event' => ->(_f, *_args) { 0 },
    'SetWindowPos' => ->(_f, *_args) { 1 },
    'MoveWindow' => ->(_f, *_args) { 1 },
    'SetWindowLong' => ->(_f, *_args) { 0 },
    'GetWindowLong' => ->(_f, *_args) { 0 },
    'SetWindowText' => ->(_f, *_args) { 1 },
    'GetTickCount' => ->(_f) { Support.milliseconds },
    'timeGetTime' => ->(_f) { Support.milliseconds },
    'Sleep' => lambda do |_f, milliseconds|
      sleep(milliseconds.to_i / 1000.0)
      0
    end,
    'QueryPerformanceFrequency' => lambda do |_f, buffer|
      buffer.force_encoding('ASCII-8BIT')[0, 8] = [1_000_000_000].pack('q<')
      1
    end,
    'QueryPerformanceCounter' => lambda do |_f, buffer|
      buffer.force_encoding('ASCII-8BIT')[0, 8] = [Process.clock_gettime(Process::CLOCK_MONOTONIC, :nanosecond)].pack('q<')
      1
    end,
    'GetUserDefaultLangID' => ->(_f) { 0x0409 },
    'GetSystemDefaultLangID' => ->(_f) { 0x0409 },
    'GetUserDefaultLCID' => ->(_f) { 0x0409 },
    'GetSystemDefaultLCID' => ->(_f) { 0x0409 },
    'GetACP' => ->(_f) { 65001 },
    'GetLastError' => ->(_f) { 0 },
  }.freeze
end
