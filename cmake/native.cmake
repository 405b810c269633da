# Native build: headless back end, tests, the skin tool and benchmarks.
file(GLOB ORVANTA_HEADLESS_SOURCES CONFIGURE_DEPENDS src/platform/headless/*.cpp)
add_library(orvanta_headless STATIC ${ORVANTA_HEADLESS_SOURCES})
target_link_libraries(orvanta_headless PUBLIC orvanta_core)

# The native program's cards on Linux: the V4L2 receiver and the port
# through ioperm, behind a seam that tests replace.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  file(GLOB ORVANTA_LINUX_CARD_SOURCES CONFIGURE_DEPENDS src/platform/linux/*.cpp)
  add_library(orvanta_linux_card STATIC ${ORVANTA_LINUX_CARD_SOURCES})
  target_link_libraries(orvanta_linux_card PUBLIC orvanta_core)
  # The end-to-end suite's receiver: an LD_PRELOAD library that answers for one device path.
  if(NOT ORVANTA_SANITIZE)
    add_library(fake_radio SHARED tests/fake_radio/fake_radio.cpp)
    target_link_libraries(fake_radio PRIVATE dl)
  endif()
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/skinart/CMakeLists.txt)
  add_subdirectory(tools/skinart)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/helpwriter/CMakeLists.txt)
  add_subdirectory(tools/helpwriter)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/headless_render/CMakeLists.txt)
  add_subdirectory(tools/headless_render)
endif()

# The FM stereo receiver: IQ in, 48 kHz stereo and station measurements out.
# Plain C++ with no system or device headers; the card code brings the radio and sound.
file(GLOB ORVANTA_RECEIVER_SOURCES CONFIGURE_DEPENDS src/receiver/*.cpp)
add_library(orvanta_receiver STATIC ${ORVANTA_RECEIVER_SOURCES})
target_include_directories(orvanta_receiver PUBLIC src)

# The test band: stations, noise and CS8 made without any of the receiver's code.
add_library(orvanta_test_band STATIC tests/receiver/test_band.cpp)
target_include_directories(orvanta_test_band PUBLIC tests)

# Receiver figures: CPU seconds per second of IQ (build Release for the real figure).
add_executable(iqbench tools/iqbench/iqbench.cpp)
target_link_libraries(iqbench PRIVATE orvanta_receiver orvanta_test_band)

enable_testing()
find_package(GTest REQUIRED)
file(GLOB ORVANTA_TEST_SOURCES CONFIGURE_DEPENDS tests/*.cpp)
add_executable(orvanta_tests ${ORVANTA_TEST_SOURCES})
target_link_libraries(orvanta_tests PRIVATE orvanta_headless GTest::gtest_main
  orvanta_receiver orvanta_test_band)
if(TARGET skinart_lib)
  target_link_libraries(orvanta_tests PRIVATE skinart_lib)
endif()
if(TARGET orvanta_linux_card)
  target_link_libraries(orvanta_tests PRIVATE orvanta_linux_card)
endif()
if(TARGET helpwriter_lib)
  target_link_libraries(orvanta_tests PRIVATE helpwriter_lib)
endif()
# Opening the web manual on Linux (for the native program).
add_library(orvanta_posix STATIC src/platform/posix/open_help.cpp)
target_include_directories(orvanta_posix PUBLIC src)
target_link_libraries(orvanta_tests PRIVATE orvanta_posix)
target_compile_definitions(orvanta_tests PRIVATE ORVANTA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
include(GoogleTest)
gtest_discover_tests(orvanta_tests DISCOVERY_TIMEOUT 60)
# How the Windows programs run under Wine: the choice itself, no Windows program run.
add_test(NAME wine_choice COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine_choice_test.sh)

# The skin image, built from source by the artwork tool.
if(TARGET skinart)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/text.dat
    COMMAND skinart --out ${CMAKE_BINARY_DIR}/text.dat
    DEPENDS skinart VERBATIM)
  add_custom_target(skin ALL DEPENDS ${CMAKE_BINARY_DIR}/text.dat)
endif()

# The manual as a web page beside the native programs, installed with them.
if(TARGET helpwriter AND TARGET skinart)
  # The labels are cairo text on fontconfig, which keeps its caches until the
  # process ends: LeakSanitizer would take them for leaks.
  set(face_map_env)
  if(ORVANTA_SANITIZE)
    set(face_map_env ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0)
  endif()
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/orvanta-face.png
    COMMAND ${face_map_env} $<TARGET_FILE:skinart> --face-map ${CMAKE_BINARY_DIR}/orvanta-face.png
    DEPENDS skinart VERBATIM)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/orvanta.html
    COMMAND helpwriter ${CMAKE_SOURCE_DIR}/doc/manual.md --html ${CMAKE_BINARY_DIR}/orvanta.html
            --image orvanta-face.png=${CMAKE_BINARY_DIR}/orvanta-face.png
    DEPENDS helpwriter ${CMAKE_SOURCE_DIR}/doc/manual.md ${CMAKE_BINARY_DIR}/orvanta-face.png VERBATIM)
  add_custom_target(manual ALL DEPENDS ${CMAKE_BINARY_DIR}/orvanta.html)
  # The page lies with the program's data: the help key needs it, and
  # systems may leave out share/doc.
  include(GNUInstallDirs)
  install(FILES ${CMAKE_BINARY_DIR}/orvanta.html DESTINATION ${CMAKE_INSTALL_DATADIR}/orvanta)

  # The native programs' manual pages, from the same source, compressed as installed.
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(man_pages ${man_dir}/orvanta.1 ${man_dir}/orvanta-remote.1)
  add_custom_command(OUTPUT ${man_pages}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    COMMAND helpwriter ${CMAKE_SOURCE_DIR}/doc/manual.md --man ${man_dir} --version ${PROJECT_VERSION}
            --date ${ORVANTA_RELEASE_DATE} --datadir ${CMAKE_INSTALL_FULL_DATADIR}/orvanta
    DEPENDS helpwriter ${CMAKE_SOURCE_DIR}/doc/manual.md VERBATIM)
  set(man_pages_gz)
  foreach(page ${man_pages})
    add_custom_command(OUTPUT ${page}.gz COMMAND gzip -9nkf ${page} DEPENDS ${page} VERBATIM)
    list(APPEND man_pages_gz ${page}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages_gz})
  install(FILES ${man_pages_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
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

# The soak: random events with the simulated card and the panel's invariants
# checked after each. The test runs a seeded 20,000 events; run
# ORVANTA_SOAK_EVENTS=250000 build/native/orvanta_soak by hand for a long run.
add_executable(orvanta_soak tests/soak/soak.cpp tests/panel_fixture.cpp)
target_link_libraries(orvanta_soak PRIVATE orvanta_headless)
add_test(NAME soak_20000_events COMMAND orvanta_soak --seed 1 --events 20000)
set_tests_properties(soak_20000_events PROPERTIES TIMEOUT 600)

# The native Linux program (SDL2) and its remote control.
include(${CMAKE_SOURCE_DIR}/cmake/sdl2.cmake)
