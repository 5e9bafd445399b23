# F10 and Print Screen save the picture on screen, at the screen's size, as a PNG in quillon/ of the pictures
# folder that user-dirs.dirs names, named after the title and the time.
# ini: Title=Shot: Test
home = "#{Dir.pwd}/home"
Dir.mkdir(home)
Dir.mkdir("#{home}/config")
File.write("#{home}/config/user-dirs.dirs", %(# written by xdg-user-dirs-update\nXDG_PICTURES_DIR="$HOME/Bilder"\n))
ENV['HOME'] = home
ENV['XDG_CONFIG_HOME'] = "#{home}/config"

def shots
  Dir.glob("#{ENV['HOME']}/Bilder/quillon/*.png").sort
end

def press(key, count)
  ENV['QUILLON_TEST_KEYS'] = key
  60.times do
    Graphics.update
    break if shots.size == count
  end
end

Graphics.resize_screen(320, 240)
sprite = Sprite.new
sprite.bitmap = Bitmap.new(320, 240)
sprite.bitmap.fill_rect(0, 0, 320, 240, Color.new(255, 0, 0))
sprite.bitmap.fill_rect(0, 0, 10, 10, Color.new(0, 0, 255))
Graphics.update
press('F10', 1)
check('F10 saved one picture', shots.size, 1)
name = File.basename(shots.first.to_s)
check('its name', name.match?(/\AShot_ Test \d{4}-\d\d-\d\d \d\d-\d\d-\d\d\.png\z/), true)
check('its size', File.binread(shots.first, 24).unpack('@16NN'), [320, 240])
picture = Bitmap.new(shots.first)
check('the picture', [picture.get_pixel(5, 5), picture.get_pixel(100, 100)].map { |c| [c.red, c.green, c.blue, c.alpha] },
      [[0, 0, 255, 255], [255, 0, 0, 255]])
press('PrintScreen', 2)
check('Print Screen saved another', shots.size, 2)
finish
