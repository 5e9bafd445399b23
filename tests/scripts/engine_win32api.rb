# ini: Title=中文 Title
# stderr: [Win32API] user32!ShowWindow is not available on this platform; it returns 0
# Win32API answers the Windows functions scripts commonly call; the rest return 0.
read_a = Win32API.new('kernel32', 'GetPrivateProfileStringA', 'pppplp', 'l')
buffer = "\0" * 256
length = read_a.call('Game', 'Title', '', buffer, 256, './Game.ini')
check('ansi title', buffer[0, length].force_encoding('UTF-8'), '中文 Title')
check('default', (read_a.call('Game', 'Nope', 'dflt', buffer, 256, './Game.ini'); buffer.unpack1('Z*')), 'dflt')
check('cut to buffer', read_a.call('Game', 'Title', '', buffer, 4, './Game.ini'), 3)

to_wide = Win32API.new('kernel32', 'MultiByteToWideChar', 'ilpipi', 'i')
to_utf8 = Win32API.new('kernel32', 'WideCharToMultiByte', 'ilpipipp', 'i')
size = to_wide.call(65001, 0, '汉字abc', -1, nil, 0)
check('wide size', size, 6)
wide = "\0" * (size * 2)
to_wide.call(65001, 0, '汉字abc', -1, wide, size)
back_size = to_utf8.call(65001, 0, wide, -1, nil, 0, nil, nil)
back = "\0" * back_size
to_utf8.call(65001, 0, wide, -1, back, back_size, nil, nil)
check('round trip', back.force_encoding('UTF-8').delete("\0"), '汉字abc')

check('window handle', Win32API.new('user32', 'FindWindowA', 'pp', 'l').call('RGSS Player', nil) != 0, true)
check('unknown returns 0', Win32API.new('user32', 'ShowWindow', 'li', 'i').call(1, 0), 0)
finish
