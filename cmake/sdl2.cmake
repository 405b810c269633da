# The native Linux program orvanta on SDL2, its remote control orvanta-remote,
# their tests and the installation (bin, share/orvanta, desktop entry, icon).
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

# The window icon as source, drawn by the artwork tool; the same picture as PNG for the desktop.
set(ORVANTA_ICON_SOURCE ${CMAKE_BINARY_DIR}/generated/orvanta_icon.cpp)
set(ORVANTA_ICON_PNG ${CMAKE_BINARY_DIR}/orvanta.png)
add_custom_command(OUTPUT ${ORVANTA_ICON_SOURCE} ${ORVANTA_ICON_PNG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND skinart --icon-source ${ORVANTA_ICON_SOURCE} --icon-png ${ORVANTA_ICON_PNG}
  DEPENDS skinart VERBATIM)

# Where the installed program finds its data: relative to bin first, then the prefix.
file(RELATIVE_PATH ORVANTA_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/orvanta)

set(ORVANTA_SDL2_SOURCES
  src/platform/sdl2/display.cpp src/platform/sdl2/keys.cpp src/platform/sdl2/system.cpp
  src/platform/sdl2/window.cpp src/platform/sdl2/sdl_audio.cpp)
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

add_executable(orvanta src/platform/sdl2/main.cpp)
target_link_libraries(orvanta PRIVATE orvanta_sdl2 orvanta_linux_card orvanta_soapy)
if(TARGET skin)
  add_dependencies(orvanta skin)  # text.dat beside the program
endif()

# Tests of the back end's own pieces: keys, remote protocol, socket server.
file(GLOB ORVANTA_SDL2_TEST_SOURCES CONFIGURE_DEPENDS tests/sdl2/*.cpp)
if(ORVANTA_SDL2_TEST_SOURCES)
  add_executable(orvanta_sdl2_tests ${ORVANTA_SDL2_TEST_SOURCES})
  target_link_libraries(orvanta_sdl2_tests PRIVATE orvanta_sdl2 GTest::gtest_main)
  gtest_discover_tests(orvanta_sdl2_tests DISCOVERY_TIMEOUT 60)
  orvanta_test_environment(orvanta_sdl2_tests)
endif()

install(TARGETS orvanta orvanta-remote RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/text.dat DESTINATION ${CMAKE_INSTALL_DATADIR}/orvanta)
install(FILES src/resources/orvanta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORVANTA_ICON_PNG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)

find_program(ORVANTA_DESKTOP_VALIDATE desktop-file-validate)
if(ORVANTA_DESKTOP_VALIDATE)
  add_test(NAME desktop_entry_validates
    COMMAND ${ORVANTA_DESKTOP_VALIDATE} ${CMAKE_SOURCE_DIR}/src/resources/orvanta.desktop)
  set_tests_properties(desktop_entry_validates PROPERTIES ENVIRONMENT "${ORVANTA_TEST_ENVIRONMENT}")
endif()
