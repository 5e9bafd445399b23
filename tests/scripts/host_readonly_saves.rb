# A game folder that cannot be written: what the game writes goes to its folder in the user's data folder, named
# after the title and a hash of the game folder, and reads find it there first. The runner checks that the game
# folder itself stays as it was.
# readonly: game
# ini: Title=Read/Only: Quest
# stderr: cannot be written; the game saves in

games = "#{ENV['XDG_DATA_HOME']}/quillon/games"
check('nothing written before the first save', File.exist?(games), false)

save_data({ 'gold' => 12 }, 'Save01.rvdata2')
check('load_data reads the save', load_data('Save01.rvdata2'), { 'gold' => 12 })
ids = Dir.exist?(games) ? Dir.children(games) : []
check('one folder for the game', ids.size, 1)
check('its name', ids.first.to_s.match?(/\ARead_Only_ Quest-[0-9a-f]{8}\z/), true)
saves = "#{games}/#{ids.first}"
check('the save is there', File.file?("#{saves}/Save01.rvdata2"), true)

# The file calls a save menu makes.
File.open('Save02.rvdata2', 'wb') { |file| Marshal.dump([1, 2], file) }
check('File.open reads it back', File.open('Save02.rvdata2', 'rb') { |file| Marshal.load(file) }, [1, 2])
check('File.exist?', File.exist?('Save02.rvdata2'), true)
check('FileTest.exist?', FileTest.exist?('Save02.rvdata2'), true)
check('mtime', File.mtime('Save02.rvdata2').class, Time)
check('Dir.glob finds both saves', Dir.glob('Save*.rvdata2'), %w[Save01.rvdata2 Save02.rvdata2])
check('and the game folder still', Dir['Data/*'], ['Data/Scripts.rvdata2'])
check('the game folder listing has the saves', (Dir.entries('.') & %w[Data Game.ini Save01.rvdata2]).size, 3)
File.delete('Save02.rvdata2')
check('deleted', File.exist?('Save02.rvdata2'), false)

# Files of the game changed in place start as the game's copies.
profile = Win32API.new('kernel32', 'WritePrivateProfileString', 'pppp', 'l')
check('a profile write', profile.call('Game', 'Volume', '80', '.\\game.INI'), 1)
buffer = "\0" * 16
length = Win32API.new('kernel32', 'GetPrivateProfileString', 'pppplp', 'l').call('Game', 'Volume', '', buffer, 16,
                                                                                 'Game.ini')
check('reads the copy', buffer.byteslice(0, length), '80')
check('written to a copy of the game\'s', File.read("#{saves}/Game.ini").start_with?("[Game]\nTitle=Read/Only"), true)
File.open('Game.ini', 'a') { |file| file.write("Extra=1\n") }
check('appended to the copy', File.read('Game.ini').include?("Volume=80") && File.read('Game.ini').end_with?("Extra=1\n"),
      true)
Dir.mkdir('Saves') unless Dir.exist?('Saves')
File.write('Saves\\slot.txt', 'slot')
check('a folder the game made', File.read("#{saves}/Saves/slot.txt"), 'slot')
check('its listing', Dir.children('Saves'), ['slot.txt'])
Bitmap.new(2, 2).save_png('shot.png')
check('Bitmap#save_png', File.file?("#{saves}/shot.png"), true)
finish
