# Lays out a demo's run folder (see vlm-run-folder.cmake); run as
#   cmake -DPROGRAM=exe -DDATA=dir -DFOLDER=dir -DPACKER=vlm-vfile -DFONT=file.ttf -P this
foreach(var PROGRAM DATA FOLDER PACKER FONT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "vlm-stage-folder: ${var} not given")
  endif()
endforeach()
file(MAKE_DIRECTORY ${FOLDER}/data ${FOLDER}/tools ${FOLDER}/capture)
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROGRAM} ${FOLDER}/
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_directory ${DATA} ${FOLDER}/data
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${FONT} ${FOLDER}/tools/crounded.ttf
                COMMAND_ERROR_IS_FATAL ANY)

# Packed: the files the loaders read through data.vfile, named as the demo asks for them.
file(GLOB_RECURSE packed RELATIVE ${FOLDER} ${FOLDER}/data/*.vert ${FOLDER}/data/*.frag
     ${FOLDER}/data/*.geom ${FOLDER}/data/*.obj ${FOLDER}/data/*.mtl ${FOLDER}/data/*.png)
list(SORT packed)
if(packed)
  list(JOIN packed "\n" lines)
  file(WRITE ${FOLDER}/data.vfile.list "${lines}\n")
  execute_process(COMMAND ${PACKER} pack data.vfile.new INPUT_FILE ${FOLDER}/data.vfile.list
                  WORKING_DIRECTORY ${FOLDER} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(RENAME ${FOLDER}/data.vfile.new ${FOLDER}/data.vfile)
  file(REMOVE ${FOLDER}/data.vfile.list)
endif()
