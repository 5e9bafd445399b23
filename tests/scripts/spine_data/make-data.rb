# Writes the game archive spine_archive.rb plays from: a page of one white square, its atlas and a skeleton showing
# it, all inside the archive and nowhere else. Run from this folder: ruby make-data.rb
require_relative '../bitmap_data/make-data'

white = [255, 255, 255, 255]
page = png(Array.new(4) { Array.new(4, white) })
atlas = "\nprobe.png\nsize: 4,4\nformat: RGBA8888\nfilter: Nearest,Nearest\nrepeat: none\nwhite\n  rotate: false\n" \
        "  xy: 0, 0\n  size: 4, 4\n  orig: 4, 4\n  offset: 0, 0\n  index: -1\n"
skeleton = '{"skeleton": {"spine": "3.8.55"}, "bones": [{"name": "root"}],
  "slots": [{"name": "square", "bone": "root", "attachment": "white"}],
  "skins": [{"name": "default", "attachments": {"square": {"white": {"width": 40, "height": 40}}}}]}'
File.binwrite('Game.rgss3a', archive([['Graphics\\Spine\\probe.png', page], ['Graphics\\Spine\\probe.atlas', atlas],
                                      ['Graphics\\Spine\\probe.json', skeleton]]))
