# file: Game.rgss3a <- engine_corrupt_archive.rb
# stderr: Failed to open the game archive /
# stderr: /Game.rgss3a:
# exit: 1
# An archive that is not one is reported before any script runs.
exit 5
