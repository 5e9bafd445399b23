# Any word that merely contains "test" turns test mode on, but not battle test.
# args: contest
# exit: 7
exit(($TEST == true && $BTEST == false && $VORN == true) ? 7 : 1)
