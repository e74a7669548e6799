# cmake -DINPUT=file -DOUTPUT=file -DBYTES=n -P truncate_file.cmake
# Writes the first BYTES bytes of INPUT to OUTPUT (through a temporary file).
file(SIZE "${INPUT}" _size)
if(_size LESS BYTES)
  message(FATAL_ERROR "${INPUT} has fewer than ${BYTES} bytes")
endif()
execute_process(COMMAND head -c ${BYTES} "${INPUT}" OUTPUT_FILE "${OUTPUT}.tmp" RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  file(REMOVE "${OUTPUT}.tmp")
  message(FATAL_ERROR "cannot write ${OUTPUT}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
