# pantrela_module(NAME SOURCES... [DEPS libs...])
# Builds src/NAME as the static library pantrela_NAME; sources are given
# relative to the folder. The src folder is the include root, so code
# includes "foundation/file.h", "database/index.h" and so on.
function(pantrela_module name)
  cmake_parse_arguments(M "" "" "SOURCES;DEPS" ${ARGN})
  add_library(pantrela_${name} STATIC ${M_SOURCES})
  target_include_directories(pantrela_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(pantrela_${name} PUBLIC ${M_DEPS})
  set_target_properties(pantrela_${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

# pantrela_test(NAME SOURCES... [DEPS libs...])
# One GoogleTest binary; every TEST becomes a ctest case. Tests run with the
# source tree's test data and the shared real-world test data passed in.
function(pantrela_test name)
  cmake_parse_arguments(T "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_DEPS} pantrela_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    PANTRELA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    PANTRELA_SHARED_TESTDATA="${PROJECT_SOURCE_DIR}/../shared/testdata"
    PANTRELA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy")
endfunction()

# pantrela_fuzz(NAME SOURCE [DEPS libs...]): a libFuzzer target.
function(pantrela_fuzz name source)
  cmake_parse_arguments(F "" "" "DEPS" ${ARGN})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${F_DEPS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endfunction()
