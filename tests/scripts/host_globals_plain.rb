# With no command-line words the game is in neither test mode; $VORN is always set.
# exit: 7
exit(($TEST == false && $BTEST == false && $VORN == true) ? 7 : 1)
