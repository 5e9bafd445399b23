# A runtime package that is installed nowhere stops the start with the runtime message, captioned with the
# title; the game's scripts never run.
# ini: Title=Runtime Test
# ini: RTP=QuillonNoSuchRuntime
# stderr: Runtime Test: 没有发现 RGSS-RTP QuillonNoSuchRuntime。
# exit: 0
exit 5
