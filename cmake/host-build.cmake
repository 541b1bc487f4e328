# A cross build runs some programs of the build machine: the skin's drawing
# tool and, for the tests, the Linux plug-in and the tool that records its
# reference output. They come from a native build folder of this tree:
# VEMO_HOST_BUILD when given (an existing full build), else one made here.
set(VEMO_HOST_BUILD "" CACHE PATH "A native build folder of this tree (made when empty)")
if(VEMO_HOST_BUILD)
  set(host_dir ${VEMO_HOST_BUILD})
  set(VEMO_HOST_TARGET)
else()
  include(ExternalProject)
  set(host_dir ${CMAKE_BINARY_DIR}/host-tools)
  set(host_targets --target vemo_artwork)
  if(VEMO_TESTS)
    list(APPEND host_targets --target vemo_vst --target vemo_dll_reference)
  endif()
  ExternalProject_Add(vemo_host_tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${host_dir}
    CMAKE_ARGS -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMO_TESTS=${VEMO_TESTS} -DVEMO_BENCH=OFF
               -DCMAKE_TOOLCHAIN_FILE= -DCMAKE_C_COMPILER=cc -DCMAKE_CXX_COMPILER=c++
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_dir} ${host_targets}
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${host_dir}/tools/artwork/vemo_artwork ${host_dir}/vst/vemo.so
                     ${host_dir}/tests/vemo_dll_reference
    INSTALL_COMMAND "")
  set(VEMO_HOST_TARGET vemo_host_tools)
endif()
set(VEMO_HOST_ARTWORK ${host_dir}/tools/artwork/vemo_artwork)
set(VEMO_HOST_PLUGIN ${host_dir}/vst/vemo.so)
set(VEMO_HOST_REFERENCE ${host_dir}/tests/vemo_dll_reference)
