# End-to-end tests of zrsh: the example scripts run on generated audio files.
if(TARGET zr_core AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/zrsh)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SNDFILE_TESTS REQUIRED IMPORTED_TARGET sndfile)
  file(GLOB zrsh_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/zrsh/*.cpp)
  add_executable(vemo_zrsh_tests ${zrsh_test_sources})
  target_link_libraries(vemo_zrsh_tests PRIVATE PkgConfig::SNDFILE_TESTS GTest::gtest GTest::gtest_main)
  target_compile_definitions(vemo_zrsh_tests PRIVATE
    ZRSH_PATH="$<TARGET_FILE:zrsh>"
    ZRSH_EXAMPLES="${PROJECT_SOURCE_DIR}/examples")
  target_include_directories(vemo_zrsh_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  add_dependencies(vemo_zrsh_tests zrsh)
  gtest_discover_tests(vemo_zrsh_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endif()

# End-to-end tests of vemo-render.
add_subdirectory(render)
