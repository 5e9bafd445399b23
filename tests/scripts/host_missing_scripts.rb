# A scripts file that does not exist is reported by the engine, naming where it was looked for, and the player
# ends with status 1.
# ini: Scripts=Data\NoSuchScripts.rvdata2
# stderr: Failed to load the scripts file /
# stderr: /Data/NoSuchScripts.rvdata2: file not found.
# exit: 1
exit 5
