# Cross build of the Windows program orvanta.exe, its resources and its skin.
# The skin and the icon are made by the native artwork tool, so the native
# preset is built first (scripts/run.sh and scripts/test.sh do that).
set(ORVANTA_SKINART "${CMAKE_SOURCE_DIR}/build/native/tools/skinart/skinart"
    CACHE FILEPATH "Native skinart tool that writes text.dat and the icon")
if(NOT EXISTS "${ORVANTA_SKINART}")
  message(WARNING "skinart not found at ${ORVANTA_SKINART}: build the native preset first")
endif()
set(ORVANTA_HELPWRITER "${CMAKE_SOURCE_DIR}/build/native/tools/helpwriter/helpwriter"
    CACHE FILEPATH "Native helpwriter tool that writes orvanta.hlp and orvanta.html")
if(NOT EXISTS "${ORVANTA_HELPWRITER}")
  message(WARNING "helpwriter not found at ${ORVANTA_HELPWRITER}: build the native preset first")
endif()
if(NOT ORVANTA_WINDRES)
  find_program(ORVANTA_WINDRES NAMES windres REQUIRED)
endif()
if(NOT ORVANTA_OBJDUMP)
  find_program(ORVANTA_OBJDUMP NAMES objdump REQUIRED)
endif()

set(res_dir ${CMAKE_SOURCE_DIR}/src/resources)
set(gen_dir ${CMAKE_BINARY_DIR}/resources)
set(cursors FINGER HAND MIN MOVE)

add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/text.dat
  COMMAND ${ORVANTA_SKINART} --out ${CMAKE_BINARY_DIR}/text.dat
  DEPENDS ${ORVANTA_SKINART} VERBATIM)
add_custom_command(OUTPUT ${gen_dir}/orvanta.ico
  COMMAND ${CMAKE_COMMAND} -E make_directory ${gen_dir}
  COMMAND ${ORVANTA_SKINART} --icon ${gen_dir}/orvanta.ico
  DEPENDS ${ORVANTA_SKINART} VERBATIM)
set(cursor_files)
foreach(name ${cursors})
  list(APPEND cursor_files ${gen_dir}/${name}.cur)
endforeach()
add_custom_command(OUTPUT ${cursor_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${gen_dir}
  COMMAND bash ${res_dir}/make_cursors.sh ${gen_dir}
  DEPENDS ${res_dir}/make_cursors.sh VERBATIM)
add_custom_command(OUTPUT ${gen_dir}/orvanta_res.o
  COMMAND ${ORVANTA_WINDRES} -I ${gen_dir} -I ${res_dir}
          -DORVANTA_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
          -DORVANTA_VERSION_MINOR=${PROJECT_VERSION_MINOR}
          -DORVANTA_VERSION_PATCH=${PROJECT_VERSION_PATCH}
          -i ${res_dir}/orvanta.rc -o ${gen_dir}/orvanta_res.o
  DEPENDS ${res_dir}/orvanta.rc ${res_dir}/orvanta.manifest ${gen_dir}/orvanta.ico ${cursor_files} VERBATIM)

# The manual beside the program: orvanta.hlp for WinHelp, orvanta.html for
# systems without it. The face picture of the web page comes from the skin tool.
add_custom_command(OUTPUT ${gen_dir}/orvanta-face.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${gen_dir}
  COMMAND ${ORVANTA_SKINART} --face-map ${gen_dir}/orvanta-face.png
  DEPENDS ${ORVANTA_SKINART} VERBATIM)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/orvanta.hlp ${CMAKE_BINARY_DIR}/orvanta.html
  COMMAND ${ORVANTA_HELPWRITER} ${CMAKE_SOURCE_DIR}/doc/manual.md
          --hlp ${CMAKE_BINARY_DIR}/orvanta.hlp --html ${CMAKE_BINARY_DIR}/orvanta.html
          --image orvanta-face.png=${gen_dir}/orvanta-face.png
  DEPENDS ${ORVANTA_HELPWRITER} ${CMAKE_SOURCE_DIR}/doc/manual.md ${gen_dir}/orvanta-face.png VERBATIM)
add_custom_target(program_help ALL DEPENDS ${CMAKE_BINARY_DIR}/orvanta.hlp ${CMAKE_BINARY_DIR}/orvanta.html)

# Size: optimise for size, give every function and datum its own section so
# the linker drops what nothing calls, and leave out the exception and RTTI
# machinery the code does not use (src/platform/win32/lean_runtime.cpp).
set(ORVANTA_SIZE_OPTIONS -Os -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti
  -fno-asynchronous-unwind-tables)
set(ORVANTA_SIZE_LINK_OPTIONS -Wl,--gc-sections $<$<CONFIG:Release,MinSizeRel>:-s>)
target_compile_options(orvanta_core PRIVATE ${ORVANTA_SIZE_OPTIONS})

file(GLOB ORVANTA_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_custom_target(program_skin ALL DEPENDS ${CMAKE_BINARY_DIR}/text.dat)
add_executable(orvanta WIN32 ${ORVANTA_WIN32_SOURCES} ${gen_dir}/orvanta_res.o)
target_link_libraries(orvanta PRIVATE orvanta_core)
target_compile_options(orvanta PRIVATE ${ORVANTA_SIZE_OPTIONS})
# The compiler runtime goes into the program, so that it imports only
# KERNEL32, USER32, GDI32 and msvcrt. --kill-at drops the @n of the exports.
target_link_options(orvanta PRIVATE -static -static-libgcc -static-libstdc++ -mwindows
  -Wl,--kill-at ${ORVANTA_SIZE_LINK_OPTIONS})

enable_testing()
add_test(NAME exe_import_export_tables
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/e2e/check_pe.sh $<TARGET_FILE:orvanta> ${ORVANTA_OBJDUMP})

# A small command-line remote control that sends the three registered messages.
add_executable(orvanta_remote tools/remote/orvanta_remote.cpp)
target_compile_options(orvanta_remote PRIVATE ${ORVANTA_SIZE_OPTIONS})
target_link_options(orvanta_remote PRIVATE -static -static-libgcc -static-libstdc++ ${ORVANTA_SIZE_LINK_OPTIONS})

# Size limits and import tables of the two programs.
set(ORVANTA_PANEL_LIMIT 204800 CACHE STRING "Largest orvanta.exe in bytes")
set(ORVANTA_REMOTE_LIMIT 40960 CACHE STRING "Largest orvanta_remote.exe in bytes")
add_test(NAME exe_size_and_imports_panel
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check_binary.sh $<TARGET_FILE:orvanta> ${ORVANTA_PANEL_LIMIT}
    "GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL" ${ORVANTA_OBJDUMP})
add_test(NAME exe_size_and_imports_remote
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check_binary.sh $<TARGET_FILE:orvanta_remote> ${ORVANTA_REMOTE_LIMIT}
    "KERNEL32.DLL MSVCRT.DLL USER32.DLL" ${ORVANTA_OBJDUMP})

# The yardstick for the start-up figure of scripts/figures.sh: a bare window
# of the panel's size.
add_executable(trivial_window WIN32 tools/trivial_window/trivial_window.cpp)
target_compile_options(trivial_window PRIVATE ${ORVANTA_SIZE_OPTIONS})
target_link_options(trivial_window PRIVATE -static -static-libgcc -static-libstdc++ ${ORVANTA_SIZE_LINK_OPTIONS})
# Test helper of the end-to-end suite: interrupts a drag as the system does.
add_executable(take_capture tests/e2e_helper/take_capture.cpp)
target_link_options(take_capture PRIVATE -static -static-libgcc -static-libstdc++)
add_executable(media_key tests/e2e_helper/media_key.cpp)
target_link_options(media_key PRIVATE -static -static-libgcc -static-libstdc++)

