# ini: Scripts=Data\Nothing.rvdata2
# stderr: Failed to load the scripts file /
# stderr: /Data/Nothing.rvdata2: file not found.
# exit: 1
exit 5
