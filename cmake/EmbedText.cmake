# Writes IN as a zero-terminated byte array named SYMBOL into OUT.
file(READ ${IN} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUT} "extern const char ${SYMBOL}[];\nconst char ${SYMBOL}[] = {${bytes}0x00};\n")
