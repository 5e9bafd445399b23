# A scripts file that does not exist is reported by the engine, and the player ends normally.
# ini: Scripts=Data\NoSuchScripts.rvdata2
# stderr: Failed to load the scripts file
# exit: 0
exit 5
