# Native Linux build: the portable core, its unit tests and the benchmarks.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

option(GLIMMER_SANITIZE "Build with address and undefined-behaviour sanitizers" ON)
if(GLIMMER_SANITIZE)
  set(SAN -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(glimmer_core PUBLIC ${SAN})
  target_link_options(glimmer_core PUBLIC ${SAN})
endif()

file(GLOB UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE glimmer_core GTest::gtest GTest::gtest_main Threads::Threads)
add_test(NAME unit_tests COMMAND unit_tests)

find_package(benchmark QUIET)
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
if(benchmark_FOUND AND BENCH_SOURCES)
  # Benchmarks time the core as users get it: without the sanitizers.
  add_library(glimmer_core_plain STATIC ${CORE_SOURCES})
  target_include_directories(glimmer_core_plain PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(glimmer_core_plain PRIVATE -O2)
  foreach(source IN LISTS BENCH_SOURCES)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} ${CMAKE_SOURCE_DIR}/tests/unit/bilinear_reference.h)
    target_compile_options(${name} PRIVATE -O2)
    target_link_libraries(${name} PRIVATE glimmer_core_plain benchmark::benchmark Threads::Threads)
  endforeach()
endif()

# The colour transform against LittleCMS, a test-only library the program never links.
find_path(LCMS2_INCLUDE_DIR lcms2.h REQUIRED)
find_library(LCMS2_LIBRARY lcms2 REQUIRED)
file(GLOB COLOUR_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/colour/*.cpp)
add_executable(colour_tests ${COLOUR_TESTS})
target_include_directories(colour_tests PRIVATE ${LCMS2_INCLUDE_DIR})
target_link_libraries(colour_tests PRIVATE glimmer_core ${LCMS2_LIBRARY} GTest::gtest GTest::gtest_main)
add_test(NAME colour_tests COMMAND colour_tests)
