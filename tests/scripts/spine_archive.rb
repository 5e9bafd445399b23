# file: Game.rgss3a <- spine_data/Game.rgss3a
# A game whose skeleton, atlas and page image are all in its archive loads them from there: JSON skeletons are read
# through the game's files like binary ones.
check('nothing on disk', Dir.exist?('Graphics'), false)
spine = Spine.new('Graphics/Spine/probe.atlas', 'Graphics\\Spine\\probe.json')
Graphics.update
shot = Graphics.snap_to_bitmap
check('the archived skeleton draws', [shot.get_pixel(Graphics.width / 2, Graphics.height / 2).red.to_i,
                                      shot.get_pixel(Graphics.width / 2 + 21, Graphics.height / 2).red.to_i], [255, 0])
spine.dispose
finish
