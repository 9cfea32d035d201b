# Writes the upper-case table of the Basic Multilingual Plane as C++ initialisers, one
# {lower, upper} pair a line in code point order, from the Unicode Character Database:
#   cmake -DUNICODE_DATA=<UnicodeData.txt> -DOUTPUT=<file> -P upper_case_table.cmake
# A pair is each BMP character with a simple upper-case mapping (field 12 of its line),
# the mapping FAT readers use per UTF-16 unit to compare names without case.
string(REPEAT "[^;]*;" 11 fields_before_upper_case)
file(STRINGS "${UNICODE_DATA}" mapped
     REGEX "^[0-9A-F][0-9A-F][0-9A-F][0-9A-F];${fields_before_upper_case}[0-9A-F][0-9A-F][0-9A-F][0-9A-F];")
list(LENGTH mapped count)
if(count LESS 1000)
  message(FATAL_ERROR "${UNICODE_DATA} holds ${count} upper-case mappings, too few for the Unicode Character Database")
endif()

set(table "// Generated from ${UNICODE_DATA} by upper_case_table.cmake; do not edit.\n")
foreach(line IN LISTS mapped)
  string(REGEX REPLACE "^([0-9A-F]+);${fields_before_upper_case}([0-9A-F]+);.*" "{0x\\1, 0x\\2}," pair "${line}")
  string(APPEND table "${pair}\n")
endforeach()
file(WRITE "${OUTPUT}" "${table}")
