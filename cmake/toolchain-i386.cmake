# 32-bit x86 build on an x86_64 Debian machine with multiarch (the :i386 libraries).
#   cmake -S . -B build-i386 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i386.cmake
#
# Float math goes through SSE2, as on x86_64: every float operation is rounded to single
# precision at once. With the x87 unit a float counter may stay in an 80-bit register
# between steps, so a loop such as `for (float x = -a; x < a; x += step)` can run a
# different number of times than on x86_64 (and whether it does depends on register
# spills); counted geometry, noise values and the pictures then differ between builds.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(VLM_I386_FLAGS "-m32 -march=i686 -msse2 -mfpmath=sse")
set(CMAKE_C_FLAGS_INIT "${VLM_I386_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${VLM_I386_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")

# Look up libraries and packages in the i386 tree only; the x86_64 ones sit beside them.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
# pkg-config: the i386 .pc files, the architecture-free ones, and one of our own for FTGL,
# whose Debian -dev package cannot be installed for two architectures at once: its headers
# serve both, and the i386 library comes from libftgl2:i386, linked through this tree.
# CMake reads this file again for every check it compiles, each in a scratch folder of its own
# that is removed afterwards: the pkg-config path is set from the real build tree only.
get_property(VLM_IN_TRY_COMPILE GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT VLM_IN_TRY_COMPILE)
  set(VLM_I386_EXTRA ${CMAKE_BINARY_DIR}/i386-extra)
  if(NOT EXISTS ${VLM_I386_EXTRA}/ftgl.pc)
    file(MAKE_DIRECTORY ${VLM_I386_EXTRA})
    file(CREATE_LINK /usr/lib/i386-linux-gnu/libftgl.so.2 ${VLM_I386_EXTRA}/libftgl.so SYMBOLIC)
    file(WRITE ${VLM_I386_EXTRA}/ftgl.pc "Name: FTGL\nDescription: FTGL for i386\nVersion: 2.4.0\n\
Requires.private: freetype2\nLibs: -L${VLM_I386_EXTRA} -lftgl\n\
Cflags: -I/usr/include -I/usr/include/FTGL\n")
  endif()
  set(ENV{PKG_CONFIG_LIBDIR}
      "${VLM_I386_EXTRA}:/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")
endif()
