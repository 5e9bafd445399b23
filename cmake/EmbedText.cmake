# Writes IN as a zero-terminated byte array named SYMBOL into OUT, and its length (the terminator not counted) as
# SYMBOLSize.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE ${OUT} "extern const char ${SYMBOL}[];\nconst char ${SYMBOL}[] = {${bytes}0x00};\n"
                  "extern const unsigned long ${SYMBOL}Size;\nconst unsigned long ${SYMBOL}Size = ${size};\n")
