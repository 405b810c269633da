# Native build: headless back end, tests, the skin tool and benchmarks.
file(GLOB ORVANTA_HEADLESS_SOURCES CONFIGURE_DEPENDS src/platform/headless/*.cpp)
add_library(orvanta_headless STATIC ${ORVANTA_HEADLESS_SOURCES})
target_link_libraries(orvanta_headless PUBLIC orvanta_core)

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/skinart/CMakeLists.txt)
  add_subdirectory(tools/skinart)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/headless_render/CMakeLists.txt)
  add_subdirectory(tools/headless_render)
endif()

enable_testing()
find_package(GTest REQUIRED)
file(GLOB ORVANTA_TEST_SOURCES CONFIGURE_DEPENDS tests/*.cpp)
add_executable(orvanta_tests ${ORVANTA_TEST_SOURCES})
target_link_libraries(orvanta_tests PRIVATE orvanta_headless GTest::gtest_main)
if(TARGET skinart_lib)
  target_link_libraries(orvanta_tests PRIVATE skinart_lib)
endif()
target_compile_definitions(orvanta_tests PRIVATE ORVANTA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
include(GoogleTest)
gtest_discover_tests(orvanta_tests DISCOVERY_TIMEOUT 60)

# The skin image, built from source by the artwork tool.
if(TARGET skinart)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/text.dat
    COMMAND skinart --out ${CMAKE_BINARY_DIR}/text.dat
    DEPENDS skinart VERBATIM)
  add_custom_target(skin ALL DEPENDS ${CMAKE_BINARY_DIR}/text.dat)
endif()

find_package(benchmark QUIET)
if(benchmark_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/bench)
  file(GLOB ORVANTA_BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
  if(ORVANTA_BENCH_SOURCES)
    add_executable(orvanta_bench ${ORVANTA_BENCH_SOURCES})
    target_link_libraries(orvanta_bench PRIVATE orvanta_headless benchmark::benchmark)
    target_compile_definitions(orvanta_bench PRIVATE ORVANTA_SKIN_FILE="${CMAKE_BINARY_DIR}/text.dat")
    if(TARGET skin)
      add_dependencies(orvanta_bench skin)
    endif()
  endif()
endif()

# The native Linux program (SDL2) and its remote control.
include(${CMAKE_SOURCE_DIR}/cmake/sdl2.cmake)
