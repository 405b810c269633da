# The native Linux program orvanta on SDL2, its remote control orvanta-remote,
# their tests and the installation (bin, share/orvanta, desktop entry, icons,
# metainfo).
include(GNUInstallDirs)
find_package(Threads REQUIRED)

# The remote-control protocol and socket server: no SDL, shared with the tool.
add_library(orvanta_remote_protocol STATIC
  src/platform/sdl2/remote_protocol.cpp src/platform/sdl2/remote_server.cpp)
target_include_directories(orvanta_remote_protocol PUBLIC src)
target_link_libraries(orvanta_remote_protocol PUBLIC Threads::Threads)

add_executable(orvanta-remote tools/remote/orvanta_remote_posix.cpp)
target_link_libraries(orvanta-remote PRIVATE orvanta_remote_protocol)

# Test helper: raw bytes and silent crowds for the socket (end-to-end tests).
add_executable(orvanta_socket_probe tools/remote/socket_probe.cpp)

find_package(SDL2 QUIET)
if(NOT SDL2_FOUND)
  message(WARNING "SDL2 not found (Debian: libsdl2-dev): the native program orvanta is not built")
  return()
endif()

# The window icon as source, drawn by the artwork tool.
set(ORVANTA_ICON_SOURCE ${CMAKE_BINARY_DIR}/generated/orvanta_icon.cpp)
add_custom_command(OUTPUT ${ORVANTA_ICON_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND skinart --icon-source ${ORVANTA_ICON_SOURCE}
  DEPENDS skinart VERBATIM)

# The desktop's name for the program: desktop entry, icon and AppStream metainfo.
set(ORVANTA_APP_ID org.orvanta.Orvanta)
# The same picture as PNG for the desktop in the usual sizes: the multiples of
# 32 in pixel blocks of the 32 x 32 icon, 16 and 48 drawn at their size.
set(ORVANTA_ICON_SIZES 16 32 48 64 128 256)
set(ORVANTA_ICON_PNGS)
foreach(size ${ORVANTA_ICON_SIZES})
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${ORVANTA_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND skinart --icon-png ${png} --icon-size ${size}
    DEPENDS skinart VERBATIM)
  list(APPEND ORVANTA_ICON_PNGS ${png})
endforeach()
add_custom_target(desktop_icons ALL DEPENDS ${ORVANTA_ICON_PNGS})

# Where the installed program finds its data: relative to bin first, then the prefix.
file(RELATIVE_PATH ORVANTA_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/orvanta)

set(ORVANTA_SDL2_SOURCES
  src/platform/sdl2/display.cpp src/platform/sdl2/keys.cpp src/platform/sdl2/system.cpp
  src/platform/sdl2/window.cpp src/platform/sdl2/sdl_audio.cpp src/platform/sdl2/status_board.cpp
  src/platform/sdl2/mpris_state.cpp)
add_library(orvanta_sdl2 STATIC ${ORVANTA_SDL2_SOURCES} ${ORVANTA_ICON_SOURCE})
find_package(X11 QUIET)
target_link_libraries(orvanta_sdl2 PUBLIC orvanta_core orvanta_audio orvanta_remote_protocol orvanta_posix SDL2::SDL2)
if(X11_FOUND)
  target_link_libraries(orvanta_sdl2 PUBLIC X11::X11)  # the pointer position, asked of the server
  # Times the first full paint for scripts/compare_native_wine.sh.
  add_executable(orvanta_paintwatch tools/paintwatch/paintwatch.cpp)
  target_link_libraries(orvanta_paintwatch PRIVATE X11::X11)
endif()
target_compile_definitions(orvanta_sdl2 PRIVATE
  ORVANTA_DATA_FROM_BIN="${ORVANTA_DATA_FROM_BIN}"
  ORVANTA_DATA_DIR="${CMAKE_INSTALL_FULL_DATADIR}/orvanta")

# The SDR through SoapySDR: a thin adapter behind the card's IQ-source seam.
find_package(SoapySDR CONFIG REQUIRED)  # Debian: libsoapysdr-dev
add_library(orvanta_soapy STATIC src/platform/soapy/soapy_source.cpp)
target_link_libraries(orvanta_soapy PUBLIC orvanta_linux_card SoapySDR)

# Our fake SoapySDR module's RDS through SoapySDR and our receiver, in real time.
if(TARGET orvantafake)
  add_executable(fake_sdr_rds_test tests/fake_sdr_rds/fake_sdr_rds_test.cpp)
  target_link_libraries(fake_sdr_rds_test PRIVATE orvanta_soapy GTest::gtest_main)
  add_dependencies(fake_sdr_rds_test orvantafake)
  add_test(NAME fake_sdr_rds COMMAND fake_sdr_rds_test)
  set_tests_properties(fake_sdr_rds PROPERTIES ENVIRONMENT "${ORVANTA_TEST_ENVIRONMENT};FAKE_SDR_STATIONS=98.1,98.6")
endif()

# The desktop's media player controls (MPRIS 2 on the session bus) through sd-bus.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SYSTEMD REQUIRED IMPORTED_TARGET libsystemd)  # Debian: libsystemd-dev
add_library(orvanta_mpris STATIC src/platform/sdl2/mpris.cpp)
target_link_libraries(orvanta_mpris PUBLIC orvanta_sdl2 PkgConfig::SYSTEMD)

add_executable(orvanta src/platform/sdl2/main.cpp)
target_link_libraries(orvanta PRIVATE orvanta_sdl2 orvanta_linux_card orvanta_soapy orvanta_mpris)
if(TARGET skin)
  add_dependencies(orvanta skin)  # text.dat beside the program
endif()

# Tests of the back end's own pieces: keys, remote protocol, socket server.
file(GLOB ORVANTA_SDL2_TEST_SOURCES CONFIGURE_DEPENDS tests/sdl2/*.cpp)
if(ORVANTA_SDL2_TEST_SOURCES)
  add_executable(orvanta_sdl2_tests ${ORVANTA_SDL2_TEST_SOURCES})
  target_link_libraries(orvanta_sdl2_tests PRIVATE orvanta_sdl2 GTest::gtest_main PkgConfig::SYSTEMD)
  gtest_discover_tests(orvanta_sdl2_tests DISCOVERY_TIMEOUT 60)
  orvanta_test_environment(orvanta_sdl2_tests)
endif()

install(TARGETS orvanta orvanta-remote RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/text.dat DESTINATION ${CMAKE_INSTALL_DATADIR}/orvanta)
install(FILES src/resources/${ORVANTA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${ORVANTA_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${ORVANTA_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES packaging/${ORVANTA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The desktop entry, the metainfo, the manual pages and the release named in
# each agree and pass their validators.
add_test(NAME desktop_files_and_man_pages
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/desktop_files_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/man
    ${PROJECT_VERSION} ${ORVANTA_RELEASE_DATE})

include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)
