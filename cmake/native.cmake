# Native build: headless back end, tests, the skin tool and benchmarks.
file(GLOB ORVANTA_HEADLESS_SOURCES CONFIGURE_DEPENDS src/platform/headless/*.cpp)
add_library(orvanta_headless STATIC ${ORVANTA_HEADLESS_SOURCES})
target_link_libraries(orvanta_headless PUBLIC orvanta_core)

# The native program's cards on Linux: the V4L2 receiver and the port
# through ioperm, behind a seam that tests replace.
# The sound path without any device: the queue to the sound callback and the
# gain and mute ramp. The simulated card's band synthesizer.
file(GLOB ORVANTA_AUDIO_SOURCES CONFIGURE_DEPENDS src/audio/*.cpp src/synth/*.cpp)
add_library(orvanta_audio STATIC ${ORVANTA_AUDIO_SOURCES})
target_include_directories(orvanta_audio PUBLIC src)

# The FM stereo receiver: IQ in, 48 kHz stereo and station measurements out.
# Plain C++ with no system or device headers; the card code brings the radio and sound.
file(GLOB ORVANTA_RECEIVER_SOURCES CONFIGURE_DEPENDS src/receiver/*.cpp)
add_library(orvanta_receiver STATIC ${ORVANTA_RECEIVER_SOURCES})
target_include_directories(orvanta_receiver PUBLIC src)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  find_package(Threads REQUIRED)
  file(GLOB ORVANTA_LINUX_CARD_SOURCES CONFIGURE_DEPENDS src/platform/linux/*.cpp)
  add_library(orvanta_linux_card STATIC ${ORVANTA_LINUX_CARD_SOURCES})
  target_link_libraries(orvanta_linux_card PUBLIC orvanta_core orvanta_audio orvanta_receiver Threads::Threads)
  # The end-to-end suite's receiver: an LD_PRELOAD library that answers for one device path.
  if(NOT ORVANTA_SANITIZE)
    # Its stations send RDS through the product's encoder.
    add_library(fake_radio SHARED tests/fake_radio/fake_radio.cpp src/synth/rds_encoder.cpp)
    target_include_directories(fake_radio PRIVATE src)
    target_link_libraries(fake_radio PRIVATE dl)
    # The suite's SDR: a SoapySDR module of ours in a folder of its own
    # (SOAPY_SDR_PLUGIN_PATH names it), playing the test band in real time.
    find_package(SoapySDR CONFIG QUIET)
    if(SoapySDR_FOUND)
      add_library(orvantafake MODULE tests/fake_sdr/fake_sdr.cpp tests/receiver/test_band.cpp
        src/synth/rds_encoder.cpp src/synth/band_synth.cpp)
      target_include_directories(orvantafake PRIVATE tests src)
      target_link_libraries(orvantafake PRIVATE SoapySDR)
      set_target_properties(orvantafake PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fake_sdr)
    endif()
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

# The test band: stations, noise and CS8 made without any of the receiver's code.
# Its RDS comes from the product's encoder (the transmitter's side, not the receiver's).
add_library(orvanta_test_band STATIC tests/receiver/test_band.cpp)
target_include_directories(orvanta_test_band PUBLIC tests)
target_link_libraries(orvanta_test_band PUBLIC orvanta_audio)

# Tone levels in a raw S16 stereo recording, for the end-to-end tests of the sound.
add_executable(tone_levels tests/e2e_helper/tone_levels.cpp)

# Receiver figures: CPU seconds per second of IQ (build Release for the real figure).
add_executable(iqbench tools/iqbench/iqbench.cpp)
target_link_libraries(iqbench PRIVATE orvanta_receiver orvanta_test_band orvanta_audio)

enable_testing()
find_package(GTest REQUIRED)
# Every test runs where no real radio or sound device can be reached: no
# installed SoapySDR module loads (only our fake's folder is searched) and
# SDL's sound goes to its dummy driver.
set(ORVANTA_TEST_ENVIRONMENT SOAPY_SDR_ROOT=/nonexistent SOAPY_SDR_PLUGIN_PATH=${CMAKE_BINARY_DIR}/fake_sdr
  SDL_AUDIODRIVER=dummy)
# The discovered Google tests get it from a file ctest reads after discovering them.
function(orvanta_test_environment target)
  set(file ${CMAKE_BINARY_DIR}/${target}_environment.cmake)
  file(WRITE ${file} "if(${target}_TESTS)\n  set_tests_properties(\${${target}_TESTS} PROPERTIES ENVIRONMENT \"${ORVANTA_TEST_ENVIRONMENT}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()
file(GLOB ORVANTA_TEST_SOURCES CONFIGURE_DEPENDS tests/*.cpp)
add_executable(orvanta_tests ${ORVANTA_TEST_SOURCES})
target_link_libraries(orvanta_tests PRIVATE orvanta_headless GTest::gtest_main
  orvanta_receiver orvanta_test_band orvanta_audio)
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
orvanta_test_environment(orvanta_tests)
# Our reading of a V4L2 receiver's RDS blocks beside libv4l2rds (libv4l-dev),
# the parser Video4Linux ships: linked into this test only, never the program.
# Once more with the fake device preloaded, where it is built (not under the
# sanitizers, whose runtime must load first).
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND AND TARGET orvanta_linux_card)
  pkg_check_modules(LIBV4L2RDS QUIET IMPORTED_TARGET libv4l2rds)
endif()
if(LIBV4L2RDS_FOUND)
  add_executable(v4l2_rds_test tests/v4l2_rds/v4l2_rds_test.cpp)
  target_link_libraries(v4l2_rds_test PRIVATE orvanta_linux_card orvanta_headless GTest::gtest_main PkgConfig::LIBV4L2RDS)
  target_include_directories(v4l2_rds_test PRIVATE tests)
  add_test(NAME v4l2_rds_against_libv4l2rds COMMAND v4l2_rds_test)
  set_tests_properties(v4l2_rds_against_libv4l2rds PROPERTIES ENVIRONMENT "${ORVANTA_TEST_ENVIRONMENT}")
  if(TARGET fake_radio)
    add_test(NAME v4l2_rds_fake_device COMMAND v4l2_rds_test --gtest_filter=V4l2Rds.FakeDeviceThroughTheSystemsCalls)
    set_tests_properties(v4l2_rds_fake_device PROPERTIES ENVIRONMENT
      "${ORVANTA_TEST_ENVIRONMENT};LD_PRELOAD=$<TARGET_FILE:fake_radio>;FAKE_RADIO_PATH=/dev/orvanta-fake-radio;FAKE_RADIO_STATIONS=98.1,104.6;FAKE_RADIO_RDS=98.1=FAKE FM")
  endif()
else()
  message(STATUS "libv4l2rds not found (apt-get install libv4l-dev): the RDS comparison with it is left out")
endif()

# How the Windows programs run under Wine: the choice itself, no Windows program run.
add_test(NAME wine_choice COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine_choice_test.sh)
set_tests_properties(wine_choice PROPERTIES ENVIRONMENT "${ORVANTA_TEST_ENVIRONMENT}")

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
set_tests_properties(soak_20000_events PROPERTIES TIMEOUT 600 ENVIRONMENT "${ORVANTA_TEST_ENVIRONMENT}")

# The native Linux program (SDL2) and its remote control.
include(${CMAKE_SOURCE_DIR}/cmake/sdl2.cmake)
