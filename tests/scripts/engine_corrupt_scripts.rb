# ini: Scripts=Data\Corrupt.rvdata2
# file: Data/Corrupt.rvdata2 <- engine_corrupt_scripts.rb
# stderr: Failed to load the scripts file /
# stderr: /Data/Corrupt.rvdata2:
# exit: 1
# The scripts file is this text, not Marshal data.
exit 5
