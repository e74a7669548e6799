# cmake -DINPUT=file -DOUTPUT=file -DOFFSET=n -DBYTES=hex -P patch_file.cmake
# Writes a copy of INPUT to OUTPUT (through a temporary file) whose bytes
# from OFFSET on are replaced by BYTES, given as hexadecimal digit pairs.
file(SIZE "${INPUT}" _size)
string(LENGTH "${BYTES}" _digits)
math(EXPR _count "${_digits} / 2")
math(EXPR _end "${OFFSET} + ${_count}")
if(NOT BYTES MATCHES "^([0-9A-Fa-f][0-9A-Fa-f])+$")
  message(FATAL_ERROR "BYTES must be pairs of hexadecimal digits: ${BYTES}")
endif()
if(_size LESS _end)
  message(FATAL_ERROR "${INPUT} has fewer than ${_end} bytes")
endif()
string(REGEX REPLACE "([0-9A-Fa-f][0-9A-Fa-f])" "\\\\x\\1" _escaped "${BYTES}")
file(COPY_FILE "${INPUT}" "${OUTPUT}.tmp")
execute_process(COMMAND printf "${_escaped}"
                COMMAND dd "of=${OUTPUT}.tmp" bs=1 "seek=${OFFSET}" conv=notrunc status=none
                RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  file(REMOVE "${OUTPUT}.tmp")
  message(FATAL_ERROR "cannot write ${OUTPUT}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
