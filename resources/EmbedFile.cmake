# Writes a C++ source that holds the bytes of one file as an array:
#   cmake -DINPUT=<file> -DOUTPUT=<source> -DSYMBOL=<name> -P EmbedFile.cmake
# defines quillora::resources::embedded::<name> and <name>Size, declared in the EmbeddedFiles.h
# that resources/CMakeLists.txt writes beside it.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Sixteen bytes a line, each as 0xNN.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include \"EmbeddedFiles.h\"\n\n"
  "namespace quillora::resources::embedded {\n"
  "const unsigned char ${SYMBOL}[${size} + 1] = {\n${bytes}0x00};\n"
  "const std::size_t ${SYMBOL}Size = ${size};\n"
  "}  // namespace quillora::resources::embedded\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
