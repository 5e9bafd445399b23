# Without the console switch nothing reads standard input: console_input stays "".
# stdin: never read
# exit: 7
sleep 0.2
exit(VORN.console_input == "" ? 7 : 1)
