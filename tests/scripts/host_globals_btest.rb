# "btest" turns on both test flags; the console switch with no terminal behind it blocks nothing.
# args: btest console
# exit: 7
exit(($TEST == true && $BTEST == true && $VORN == true) ? 7 : 1)
