# vlm_add_run_folder(TARGET [FOLDER dir] [DATA dir...]): after TARGET is built, lays out the
# folder a demo runs in (its working directory), as the framework reads it:
#   FOLDER/TARGET           the program
#   FOLDER/data/            a copy of DATA (default: the calling folder's data/); of several
#                           folders (hand-made data, data a build step makes), merged in order
#   FOLDER/data.vfile       DATA's shaders, models, materials and textures packed (vlm-vfile);
#                           camera tracks and music are read from data/ itself
#   FOLDER/tools/crounded.ttf  the font of the overlay text
#   FOLDER/capture/         where -c writes its frames
# FOLDER defaults to the calling build folder's run/. The target TARGET_run_folder lays it out;
# a step that makes data for it is made a dependency of that target. Needs VLM_PACKER and
# VLM_FONT (set by find_package(vlm), or by this project's own CMakeLists.txt when taken in
# with add_subdirectory).
function(vlm_add_run_folder target)
  cmake_parse_arguments(ARG "" "FOLDER" "DATA" ${ARGN})
  if(NOT ARG_FOLDER)
    set(ARG_FOLDER ${CMAKE_CURRENT_BINARY_DIR}/run)
  endif()
  if(NOT ARG_DATA)
    set(ARG_DATA ${CMAKE_CURRENT_SOURCE_DIR}/data)
  endif()
  # The folders as one argument of the command line.
  string(REPLACE ";" "$<SEMICOLON>" data "${ARG_DATA}")
  set(depends ${target})
  if(TARGET vfile)  # the packer built beside it (add_subdirectory)
    list(APPEND depends vfile)
  endif()
  add_custom_target(${target}_run_folder ALL
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> "-DDATA=${data}"
            -DFOLDER=${ARG_FOLDER} -DPACKER=${VLM_PACKER} -DFONT=${VLM_FONT}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/vlm-stage-folder.cmake
    DEPENDS ${depends}
    COMMENT "Laying out the run folder ${ARG_FOLDER}"
    VERBATIM)
endfunction()
