# ini: Title=中文 Title
# file: bin/xdg-open <- win32api_data/xdg-open
# file: System/GameLib.DLL <- win32api_data/xdg-open
# stderr: [Win32API] user32!DestroyWindow is not available on this platform; it returns 0
# stderr: [Win32API] system/gamelib!Work is in the game's own Windows library
# stderr: ShellExecute of "calc.exe" refused
# stderr: Question: Quit?
# Win32API answers from the player's real state: keys, pointer, window, display, profile files, text, clipboard.
def api(name, imports = '', library = 'user32')
  Win32API.new(library, name, imports, 'l')
end

def ints(bytes, count = 4)
  bytes.unpack("l<#{count}")
end

# Keys pressed through the window procedure, as the keyboard's messages arrive.
keybd_event = api('keybd_event', 'iiil')
key_states = -> { ("\0" * 256).tap { |states| api('GetKeyboardState', 'p').call(states) } }
async = api('GetAsyncKeyState', 'i')
keybd_event.call(0x5A, 0, 0, 0)
Input.update
check('Z held in the key states', key_states.call.getbyte(0x5A), 0x81)
check('Z held for Input', Input.press?(:C), true)
check('GetKeyState', api('GetKeyState', 'i').call(0x5A) & 0x8001, 0x8001)
check('async press then held', [async.call(0x5A) & 0x8001, async.call(0x5A) & 0x8001], [0x8001, 0x8000])
keybd_event.call(0x5A, 0, 2, 0)
check('Z released, still toggled', key_states.call.getbyte(0x5A), 0x01)
keybd_event.call(0xA0, 0, 0, 0)
check('left Shift is Shift', [key_states.call.getbyte(0x10), key_states.call.getbyte(0xA0)], [0x81, 0x81])
keybd_event.call(0xA0, 0, 2, 0)

# The window: one handle for ours, none for others.
hwnd = api('FindWindow', 'pp').call('RGSS Player', nil)
check('FindWindow', hwnd, Graphics.window_hwnd)
check('FindWindow by title', api('FindWindowW', 'pp').call(nil, "中文 Title\0".encode('UTF-16LE')), hwnd)
check('other windows', api('FindWindow', 'pp').call('Shell_TrayWnd', nil), 0)
check('active window', api('GetActiveWindow').call, hwnd)
rect = "\0" * 16
api('GetClientRect', 'lp').call(hwnd, rect)
check('client rect', ints(rect), [0, 0, Graphics.width, Graphics.height])
# The pointer: screen coordinates that the client origin turns into Mouse's.
Mouse.set_pos(30, 40)
3.times { Graphics.update }
Input.update
cursor = "\0" * 8
check('GetCursorPos', api('GetCursorPos', 'p').call(cursor), 1)
origin = [0, 0].pack('l<2')
api('ClientToScreen', 'lp').call(hwnd, origin)
check('pointer on screen', ints(cursor, 2), [30 + ints(origin, 2)[0], 40 + ints(origin, 2)[1]])
api('ScreenToClient', 'lp').call(hwnd, cursor)
check('pointer matches Mouse', ints(cursor, 2), [Mouse.x, Mouse.y])

check('MoveWindow', api('MoveWindow', 'liiiii').call(hwnd, 12, 34, 640, 480, 1), 1)
api('GetWindowRect', 'lp').call(hwnd, rect)
check('window rect after move', ints(rect), [12, 34, 652, 514])
point = [5, 6].pack('l<2')
api('ClientToScreen', 'lp').call(hwnd, point)
check('ClientToScreen', ints(point, 2), [17, 40])
gwl_style = -16
style = api('GetWindowLong', 'li').call(hwnd, gwl_style)
check('captioned and visible', [style & 0x00C00000, style & 0x10000000], [0x00C00000, 0x10000000])
check('ShowWindow hides', api('ShowWindow', 'li').call(hwnd, 0), 1)
check('hidden style', api('GetWindowLong', 'li').call(hwnd, gwl_style) & 0x10000000, 0)
api('SetWindowLong', 'lil').call(hwnd, gwl_style, style)
check('shown again', api('GetWindowLong', 'li').call(hwnd, gwl_style) & 0x10000000, 0x10000000)
check('SetWindowText', api('SetWindowTextW', 'lp').call(hwnd, "新しい\0".encode('UTF-16LE')), 1)
title = "\0" * 32
length = api('GetWindowText', 'lpi').call(hwnd, title, 32)
check('GetWindowText', title.byteslice(0, length), '新しい')

# The display: a synthesized Alt+Enter goes full screen, which fills the display with the client area.
[[0x12, 0], [0x0D, 0], [0x0D, 2], [0x12, 2]].each { |key, flags| keybd_event.call(key, 0, flags, 0) }
Graphics.update
check('Alt+Enter', Graphics.fullscreen, true)
api('GetClientRect', 'lp').call(hwnd, rect)
metrics = api('GetSystemMetrics', 'i')
check('screen metrics', [metrics.call(0), metrics.call(1)], ints(rect)[2, 2])
work = "\0" * 16
api('SystemParametersInfo', 'iipi').call(0x30, 0, work, 0)
check('work area inside the display', ints(work)[2] <= metrics.call(0) && ints(work)[3] <= metrics.call(1), true)
Graphics.fullscreen = false

# Profile files: named relative to the game folder in any letter case, written atomically, the rest untouched.
original = "; options\r\n[Game]\r\nTitle = Old  \r\n\r\n[Audio]\r\nVolume=80\r\n".b
File.binwrite('options.ini', original)
write = api('WritePrivateProfileString', 'pppp', 'kernel32')
read = api('GetPrivateProfileString', 'pppplp', 'kernel32')
check('write', write.call('Game', 'Title', '新的', '.\\Options.INI'), 1)
check('write new key', write.call('Audio', 'Music', 'on', 'options.ini'), 1)
check('only the changed lines differ', File.binread('options.ini'),
      "; options\r\n[Game]\r\nTitle=新的\r\n\r\n[Audio]\r\nVolume=80\r\nMusic=on\r\n".b)
buffer = "\0" * 64
length = read.call('game', 'TITLE', '', buffer, 64, 'options.ini')
check('read back', buffer.byteslice(0, length), '新的')
check('read int', api('GetPrivateProfileInt', 'ppip', 'kernel32').call('Audio', 'Volume', 0, 'options.ini'), 80)
length = read.call('Audio', nil, '', buffer, 64, 'options.ini')
check('key names', buffer.byteslice(0, length + 1), "Volume\0Music\0\0")
wide = api('GetPrivateProfileStringW', 'pppplp', 'kernel32')
w = ->(text) { "#{text}\0".encode('UTF-16LE') }
length = wide.call(w['Game'], w['Title'], w[''], buffer, 32, w['options.ini'])
check('wide read', buffer[0, length * 2].force_encoding('UTF-16LE').encode('UTF-8'), '新的')
check('default', (read.call('Game', 'Nope', 'dflt  ', buffer, 64, 'options.ini'); buffer.unpack1('Z*')), 'dflt')
length = read.call('Game', 'Title', '', buffer, 64, './Game.ini')
check('ansi title', buffer.byteslice(0, length), '中文 Title')
check('cut to buffer', read.call('Game', 'Title', '', buffer, 4, 'Game.ini'), 3)
File.binwrite('legacy.ini', "[Game]\r\nTitle=#{'勇者的冒险'.encode('GBK').b}\r\n".b)
length = read.call('Game', 'Title', '', buffer, 64, 'legacy.ini')
check('code-page value as UTF-8', buffer.byteslice(0, length), '勇者的冒险')
check('no temporary left', Dir.glob('options.ini?*'), [])

# Text conversion through the code pages.
to_wide = api('MultiByteToWideChar', 'iipipi', 'kernel32')
to_multi = api('WideCharToMultiByte', 'iipipipp', 'kernel32')
{ 932 => '日本語のテキスト', 936 => '简体中文文本', 65001 => '中文と日本語' }.each do |page, text|
  bytes = text.encode(page == 932 ? 'Windows-31J' : page == 936 ? 'GBK' : 'UTF-8').b
  size = to_wide.call(page, 0, bytes, bytes.bytesize, nil, 0)
  check("#{page} size", size, text.size)
  utf16 = "\0" * (size * 2)
  to_wide.call(page, 0, bytes, bytes.bytesize, utf16, size)
  check("#{page} to UTF-16", utf16.force_encoding('UTF-16LE').encode('UTF-8'), text)
  back = "\0" * 64
  length = to_multi.call(page, 0, utf16, -1, back, 64, nil, nil)
  check("#{page} round trip", back.byteslice(0, length - 1).b, bytes)
end
check('wide size with terminator', to_wide.call(65001, 0, '汉字abc', -1, nil, 0), 6)
check('small buffer fails', to_wide.call(65001, 0, 'abc', 3, "\0\0", 1), 0)
check('insufficient buffer', api('GetLastError', '', 'kernel32').call, 122)

# Clipboard text through global memory, as scripts copy and paste.
text = "剪贴板\0".encode('UTF-16LE')
block = api('GlobalAlloc', 'ii', 'kernel32').call(0x42, text.bytesize)
api('RtlMoveMemory', 'ppi', 'kernel32').call(api('GlobalLock', 'l', 'kernel32').call(block), text, text.bytesize)
api('OpenClipboard', 'l').call(hwnd)
api('EmptyClipboard').call
check('SetClipboardData', api('SetClipboardData', 'il').call(13, block), block)
data = api('GetClipboardData', 'i').call(1)
size = api('GlobalSize', 'l', 'kernel32').call(data)
pasted = "\0" * size
api('RtlMoveMemory', 'ppi', 'kernel32').call(pasted, api('GlobalLock', 'l', 'kernel32').call(data), size)
api('CloseClipboard').call
check('clipboard round trip', pasted.unpack1('Z*').force_encoding('UTF-8'), '剪贴板')

# The user, the program and the desktop around it.
require 'etc'
name = "\0" * 64
size = [64].pack('L<')
api('GetUserName', 'pp', 'advapi32').call(name, size)
user = Etc.getpwuid(Process.euid).name
check('GetUserName', [name.unpack1('Z*'), size.unpack1('L<')], [user, user.bytesize + 1])
path = "\0" * 512
length = api('GetModuleFileName', 'lpi', 'kernel32').call(0, path, 512)
check('GetModuleFileName', path[0, length], File.join(Dir.pwd, 'Game.exe'))
check('MessageBox answers its default button', api('MessageBox', 'lppi').call(hwnd, 'Quit?', 'Question', 0x104), 7)
shell = api('ShellExecute', 'lppppi', 'shell32')
check('programs refused', shell.call(hwnd, 'open', 'calc.exe', nil, nil, 1), 5)
ENV['PATH'] = "#{Dir.pwd}/bin:#{ENV['PATH']}"
check('web address opened', shell.call(hwnd, nil, 'https://example.com/a?b=1', nil, nil, 1) > 32, true)
200.times { break if File.exist?('opened.txt'); sleep 0.05 }
check('xdg-open was given the address', File.exist?('opened.txt') && File.read('opened.txt'), "https://example.com/a?b=1\n")

check('unknown returns 0', api('DestroyWindow', 'l').call(hwnd), 0)
check('game library returns 0', Win32API.new('System\\GameLib', 'Work', '', 'l').call, 0)
check('require works', require('Win32API'), false)
finish
