# file: Game.rgss3a <- engine_corrupt_archive.rb
# stderr: Failed to open the game archive Game.rgss3a:
# An archive that is not one is reported before any script runs.
exit 1
