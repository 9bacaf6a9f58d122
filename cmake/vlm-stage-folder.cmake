# Lays out a demo's run folder (see vlm-run-folder.cmake); run as
#   cmake -DPROGRAM=exe -DDATA=dir -DFOLDER=dir -DPACKER=vlm-vfile -DFONT=file.ttf -P this
# DATA may name several folders ("-DDATA=data;generated/data"), copied in that order. Relative
# paths are taken from the folder the command runs in; PACKER may also be a bare program name,
# looked up in PATH. It stops with a "[!] " message (non-zero status) when a folder or file it
# needs is missing, and when the data hold files to pack but none would be packed.
foreach(var PROGRAM DATA FOLDER PACKER FONT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "[!] vlm-stage-folder: ${var} not given")
  endif()
endforeach()

# `path` made absolute against the folder cmake -P was run in (CMAKE_CURRENT_BINARY_DIR there).
function(vlm_absolute out path)
  cmake_path(ABSOLUTE_PATH path BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}" NORMALIZE)
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

vlm_absolute(PROGRAM "${PROGRAM}")
vlm_absolute(FOLDER "${FOLDER}")
vlm_absolute(FONT "${FONT}")
if(PACKER MATCHES "/")
  vlm_absolute(PACKER "${PACKER}")
endif()
set(data_dirs)
foreach(dir IN LISTS DATA)
  vlm_absolute(dir "${dir}")
  list(APPEND data_dirs "${dir}")
endforeach()
foreach(file IN ITEMS "${PROGRAM}" "${FONT}" ${data_dirs})
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "[!] vlm-stage-folder: ${file} does not exist")
  endif()
endforeach()

file(MAKE_DIRECTORY "${FOLDER}/data" "${FOLDER}/tools" "${FOLDER}/capture")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${PROGRAM}" "${FOLDER}/"
                COMMAND_ERROR_IS_FATAL ANY)
foreach(dir IN LISTS data_dirs)
  execute_process(COMMAND ${CMAKE_COMMAND} -E copy_directory "${dir}" "${FOLDER}/data"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${FONT}"
                        "${FOLDER}/tools/crounded.ttf" COMMAND_ERROR_IS_FATAL ANY)

# Packed: the files the loaders read through data.vfile, named as the demo asks for them.
set(kinds vert frag geom obj mtl png)
set(held 0)
foreach(dir IN LISTS data_dirs)
  list(TRANSFORM kinds PREPEND "${dir}/*." OUTPUT_VARIABLE patterns)
  file(GLOB_RECURSE files ${patterns})
  list(LENGTH files count)
  math(EXPR held "${held} + ${count}")
endforeach()
list(TRANSFORM kinds PREPEND "${FOLDER}/data/*." OUTPUT_VARIABLE patterns)
file(GLOB_RECURSE packed RELATIVE "${FOLDER}" ${patterns})
if(held GREATER 0 AND NOT packed)
  message(FATAL_ERROR "[!] vlm-stage-folder: the data hold ${held} files to pack, but none "
                      "were found in ${FOLDER}/data: nothing packed")
endif()
list(SORT packed)
if(packed)
  list(JOIN packed "\n" lines)
  file(WRITE "${FOLDER}/data.vfile.list" "${lines}\n")
  execute_process(COMMAND "${PACKER}" pack data.vfile.new INPUT_FILE "${FOLDER}/data.vfile.list"
                  WORKING_DIRECTORY "${FOLDER}" OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(RENAME "${FOLDER}/data.vfile.new" "${FOLDER}/data.vfile")
  file(REMOVE "${FOLDER}/data.vfile.list")
endif()
