# A runtime package that is installed nowhere stops the start with the runtime message, captioned with the
# title, and its English line saying what was searched; the game's scripts never run.
# ini: Title=Runtime Test
# ini: RTP=QuillonNoSuchRuntime
# stderr: Runtime Test: 没有发现 RGSS-RTP QuillonNoSuchRuntime。
# stderr: The runtime package "QuillonNoSuchRuntime" that this game needs was not found. Searched:
# stderr: /quillon/rtp/QuillonNoSuchRuntime
# exit: 1
exit 5
