# exit: 0
# stderr: Script 'engine_syntax_error' line 7: SyntaxError occurred.
# A section that does not parse is reported with its own name and line.
def fine
  1
end
def broken(
