# Writes a C++ header holding the shipped schema scripts as byte arrays.
# Called as: cmake -DOUT=header -DMAIN=main.sql -DPOST=post.sql -P EmbedSchema.cmake
function(embed var file out)
  file(READ ${file} hex HEX)
  string(LENGTH "${hex}" len)
  math(EXPR size "${len} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  set(${out} "${${out}}inline constexpr unsigned char ${var}[] = {\n${bytes}0x00};\ninline constexpr std::size_t ${var}Size = ${size};\n" PARENT_SCOPE)
endfunction()

set(text "// Generated from the schema scripts; do not edit.\n#pragma once\n#include <cstddef>\n\n")
embed(kMainSchemaSql ${MAIN} text)
embed(kPostSchemaSql ${POST} text)
file(WRITE ${OUT}.tmp "${text}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
