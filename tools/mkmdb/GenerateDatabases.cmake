# tovra_generate_databases(TARGET name SOURCE_DIR dir OUTPUT_DIR dir)
#
# Every description file DIR/NAME.EXT.jetdesc becomes the Access database
# OUTPUT_DIR/NAME.EXT, written by tovra-mkmdb at build time, and every
# DIR/NAME.EXT.sqlitedesc (same description format) the SQLite database
# NAME.EXT, written by tovra-mksqlite. Other files of the folder that end in
# .copy (NAME.EXT.copy) are copied as NAME.EXT unchanged (for files that are
# deliberately not databases). A file NAME.EXT.truncate holding "SOURCE
# BYTES" makes NAME.EXT from the first BYTES bytes of the generated database
# SOURCE; a file NAME.EXT.patch holding "SOURCE OFFSET HEXBYTES" makes it
# from a copy of SOURCE whose bytes from OFFSET on are replaced by HEXBYTES
# (damaged files for the tests). The target is part of the default build.
function(tovra_generate_databases)
  cmake_parse_arguments(G "" "TARGET;SOURCE_DIR;OUTPUT_DIR" "" ${ARGN})
  if(NOT G_TARGET OR NOT G_SOURCE_DIR OR NOT G_OUTPUT_DIR)
    message(FATAL_ERROR "tovra_generate_databases needs TARGET, SOURCE_DIR and OUTPUT_DIR")
  endif()
  file(GLOB _descriptions CONFIGURE_DEPENDS "${G_SOURCE_DIR}/*.jetdesc")
  file(GLOB _copies CONFIGURE_DEPENDS "${G_SOURCE_DIR}/*.copy")
  file(GLOB _sqlite_descriptions CONFIGURE_DEPENDS "${G_SOURCE_DIR}/*.sqlitedesc")
  file(GLOB _truncations CONFIGURE_DEPENDS "${G_SOURCE_DIR}/*.truncate")
  file(GLOB _patches CONFIGURE_DEPENDS "${G_SOURCE_DIR}/*.patch")
  set(_outputs "")
  foreach(_desc IN LISTS _descriptions)
    get_filename_component(_name "${_desc}" NAME)
    string(REGEX REPLACE "\\.jetdesc$" "" _name "${_name}")
    set(_out "${G_OUTPUT_DIR}/${_name}")
    add_custom_command(OUTPUT "${_out}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${G_OUTPUT_DIR}"
      COMMAND tovra-mkmdb "${_desc}" "${_out}"
      DEPENDS tovra-mkmdb "${_desc}"
      COMMENT "Writing database ${_name}"
      VERBATIM)
    list(APPEND _outputs "${_out}")
  endforeach()
  foreach(_desc IN LISTS _sqlite_descriptions)
    get_filename_component(_name "${_desc}" NAME)
    string(REGEX REPLACE "\\.sqlitedesc$" "" _name "${_name}")
    set(_out "${G_OUTPUT_DIR}/${_name}")
    add_custom_command(OUTPUT "${_out}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${G_OUTPUT_DIR}"
      COMMAND tovra-mksqlite "${_desc}" "${_out}"
      DEPENDS tovra-mksqlite "${_desc}"
      COMMENT "Writing SQLite database ${_name}"
      VERBATIM)
    list(APPEND _outputs "${_out}")
  endforeach()
  foreach(_copy IN LISTS _copies)
    get_filename_component(_name "${_copy}" NAME)
    string(REGEX REPLACE "\\.copy$" "" _name "${_name}")
    set(_out "${G_OUTPUT_DIR}/${_name}")
    add_custom_command(OUTPUT "${_out}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${G_OUTPUT_DIR}"
      COMMAND "${CMAKE_COMMAND}" -E copy "${_copy}" "${_out}"
      DEPENDS "${_copy}"
      VERBATIM)
    list(APPEND _outputs "${_out}")
  endforeach()
  foreach(_trunc IN LISTS _truncations)
    get_filename_component(_name "${_trunc}" NAME)
    string(REGEX REPLACE "\\.truncate$" "" _name "${_name}")
    file(READ "${_trunc}" _spec)
    string(STRIP "${_spec}" _spec)
    separate_arguments(_parts UNIX_COMMAND "${_spec}")
    list(GET _parts 0 _source)
    list(GET _parts 1 _bytes)
    set(_out "${G_OUTPUT_DIR}/${_name}")
    add_custom_command(OUTPUT "${_out}"
      COMMAND "${CMAKE_COMMAND}" -DINPUT=${G_OUTPUT_DIR}/${_source} -DOUTPUT=${_out} -DBYTES=${_bytes}
              -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/truncate_file.cmake"
      DEPENDS "${G_OUTPUT_DIR}/${_source}" "${_trunc}" "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/truncate_file.cmake"
      COMMENT "Writing truncated database ${_name}"
      VERBATIM)
    list(APPEND _outputs "${_out}")
  endforeach()
  foreach(_patch IN LISTS _patches)
    get_filename_component(_name "${_patch}" NAME)
    string(REGEX REPLACE "\\.patch$" "" _name "${_name}")
    file(READ "${_patch}" _patch_line)
    string(STRIP "${_patch_line}" _patch_line)
    separate_arguments(_parts UNIX_COMMAND "${_patch_line}")
    list(GET _parts 0 _source)
    list(GET _parts 1 _offset)
    list(GET _parts 2 _bytes)
    set(_out "${G_OUTPUT_DIR}/${_name}")
    add_custom_command(OUTPUT "${_out}"
      COMMAND "${CMAKE_COMMAND}" -DINPUT=${G_OUTPUT_DIR}/${_source} -DOUTPUT=${_out} -DOFFSET=${_offset}
              -DBYTES=${_bytes} -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/patch_file.cmake"
      DEPENDS "${G_OUTPUT_DIR}/${_source}" "${_patch}" "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/patch_file.cmake"
      COMMENT "Writing damaged database ${_name}"
      VERBATIM)
    list(APPEND _outputs "${_out}")
  endforeach()
  add_custom_target(${G_TARGET} ALL DEPENDS ${_outputs})
endfunction()
