# The Debian package of the native programs (cpack -G DEB in a Release build
# configured with CMAKE_INSTALL_PREFIX=/usr; scripts/package.sh does that):
# what Debian wants beside the programs, and the package's control fields.

# share/doc/orvanta: the copyright file and the changelog, compressed.
set(ORVANTA_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${ORVANTA_CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog
  COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS ${ORVANTA_CHANGELOG_GZ})
install(FILES packaging/copyright ${ORVANTA_CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Everything the installation takes from the build: scripts/package.sh builds
# only this (the tests and tools are not packaged).
add_custom_target(package_contents)
add_dependencies(package_contents orvanta orvanta-remote desktop_icons changelog)
foreach(part skin manual man_pages)
  if(TARGET ${part})
    add_dependencies(package_contents ${part})
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VENDOR "The Orvanta developers")
set(CPACK_PACKAGE_CONTACT "Orvanta developers <maintainers@orvanta.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "front panel for an FM radio card")
set(CPACK_PACKAGE_DESCRIPTION "Orvanta is the front panel of an FM receiver card: one small skinned
window that tunes the card from 87 to 108 MHz, seeks stations, keeps 99
presets, mutes the card and steps its volume, and shows a clock with an
alarm and a sleep timer. It drives Video4Linux2 radio receivers, the card's
I/O port, or a simulated card. orvanta-remote drives a running panel from
other programs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help key opens the web manual with xdg-open, which no library reveals.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "soapysdr0.8-module-rtlsdr")
include(CPack)
