# Writes the bytes of INPUT as a C++ source defining the array NAME and NAME_size.
# Run as a script: cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P EmbedBytes.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n#include <cstddef>\n"
  "extern \"C\" const unsigned char ${NAME}[] = {\n  ${bytes}0};\n"
  "extern \"C\" const std::size_t ${NAME}_size = ${size};\n")
