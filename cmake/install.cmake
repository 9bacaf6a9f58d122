# Installing the framework for other demos: `cmake --install BUILD --prefix P` gives
#   P/lib/libvlm.a                       the library
#   P/include/vlm/*.h                    the public headers (<vlm/vlm.h> and the rest)
#   P/lib/cmake/vlm/                     the CMake package: find_package(vlm) gives vlm::vlm and
#                                        vlm_add_run_folder (cmake/vlm-run-folder.cmake)
#   P/lib/pkgconfig/vlm.pc               pkg-config --cflags --libs vlm
#   P/bin/vlm-vfile                      the data packer
#   P/bin/vlm-render-video               a run folder rendered to a video (scripts/render-video)
#   P/bin/vlm-with-xvfb                  a command on an X server of its own (scripts/with-xvfb),
#                                        which vlm-render-video runs the demo with
#   P/share/vlm/crounded.ttf             the font the overlay text reads (tools/crounded.ttf)
# Included by the top CMakeLists.txt once the vlm and vfile targets exist.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# What a demo calls: every header of include/vlm/. The internal ones stay in src/ with the library.
file(GLOB VLM_PUBLIC_HEADER_PATHS ${PROJECT_SOURCE_DIR}/include/vlm/*.h)
set(VLM_FONT_FILE /usr/share/fonts/truetype/comfortaa/Comfortaa-Regular.ttf)
set(VLM_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vlm)

install(TARGETS vlm EXPORT vlm-targets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${VLM_PUBLIC_HEADER_PATHS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vlm)
install(EXPORT vlm-targets NAMESPACE vlm:: DESTINATION ${VLM_CMAKE_DIR})
if(TARGET vfile)
  install(PROGRAMS $<TARGET_FILE:vfile> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME vlm-vfile)
endif()
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/render-video DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME vlm-render-video)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/with-xvfb DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME vlm-with-xvfb)
if(EXISTS ${VLM_FONT_FILE})
  install(FILES ${VLM_FONT_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/vlm RENAME crounded.ttf)
endif()

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/vlm-config.cmake.in
  ${PROJECT_BINARY_DIR}/vlm-config.cmake INSTALL_DESTINATION ${VLM_CMAKE_DIR}
  PATH_VARS CMAKE_INSTALL_BINDIR CMAKE_INSTALL_DATADIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vlm-config-version.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vlm-config.cmake ${PROJECT_BINARY_DIR}/vlm-config-version.cmake
        ${PROJECT_SOURCE_DIR}/cmake/vlm-run-folder.cmake ${PROJECT_SOURCE_DIR}/cmake/vlm-stage-folder.cmake
        DESTINATION ${VLM_CMAKE_DIR})

# The .pc file finds its prefix from where it lies, so an installed tree may be moved.
file(RELATIVE_PATH VLM_PC_TO_PREFIX /p/${CMAKE_INSTALL_LIBDIR}/pkgconfig /p)
string(REGEX REPLACE "/$" "" VLM_PC_TO_PREFIX "${VLM_PC_TO_PREFIX}")
list(JOIN VLM_PKG_MODULES " " VLM_PC_REQUIRES)
configure_file(${PROJECT_SOURCE_DIR}/cmake/vlm.pc.in ${PROJECT_BINARY_DIR}/vlm.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vlm.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
