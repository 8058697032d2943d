# Installation and the two Debian packages: `vrtqlx` (the program, the printer simulator
# and the man page; no GUI library) and `vrtqlx-gui` (the window module, the desktop entry
# and its icons). The program finds its window module in lib/<multiarch>/vrtqlx beside its
# bin/. Each package carries its copyright file and changelog; lintian finds nothing to say.

# Man pages, the changelog: compressed as Debian wants them, without a time stamp.
set(VRTQLX_GZIPPED)
foreach(page vrtqlx.1 qlx-printer-sim.1 changelog)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${page} ${CMAKE_BINARY_DIR}/${page} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${page}.gz
    COMMAND gzip -9 -n -k -f ${page}
    DEPENDS ${CMAKE_BINARY_DIR}/${page}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    VERBATIM)
  list(APPEND VRTQLX_GZIPPED ${CMAKE_BINARY_DIR}/${page}.gz)
endforeach()
add_custom_target(vrtqlx-man ALL DEPENDS ${VRTQLX_GZIPPED})

install(TARGETS vrtqlx RUNTIME DESTINATION bin COMPONENT vrtqlx)
if(TARGET qlx-printer-sim)
  install(TARGETS qlx-printer-sim RUNTIME DESTINATION bin COMPONENT vrtqlx)
endif()
install(FILES ${CMAKE_BINARY_DIR}/vrtqlx.1.gz ${CMAKE_BINARY_DIR}/qlx-printer-sim.1.gz
  DESTINATION share/man/man1 COMPONENT vrtqlx)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz
  DESTINATION share/doc/vrtqlx COMPONENT vrtqlx)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/bash-completion/vrtqlx
  ${CMAKE_SOURCE_DIR}/packaging/bash-completion/qlx-printer-sim
  DESTINATION share/bash-completion/completions COMPONENT vrtqlx)

if(TARGET vrtqlx-qt)
  install(TARGETS vrtqlx-qt LIBRARY DESTINATION ${VRTQLX_MODULE_DIR} COMPONENT gui)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz
    DESTINATION share/doc/vrtqlx-gui COMPONENT gui)
  # The desktop entry starts vrtqlx, which this package depends on.
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides/vrtqlx-gui
    DESTINATION share/lintian/overrides COMPONENT gui)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/vrtqlx.desktop
    DESTINATION share/applications COMPONENT gui)
  file(GLOB VRTQLX_ICONS ${CMAKE_SOURCE_DIR}/packaging/icons/vrtqlx-*.png)
  foreach(icon ${VRTQLX_ICONS})
    string(REGEX MATCH "([0-9]+)\\.png$" ignored ${icon})
    install(FILES ${icon} DESTINATION share/icons/hicolor/${CMAKE_MATCH_1}x${CMAKE_MATCH_1}/apps
      RENAME vrtqlx.png COMPONENT gui)
  endforeach()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vrtqlx)
set(CPACK_PACKAGE_VENDOR "VORTANE")
set(CPACK_PACKAGE_CONTACT "VORTANE firmware tools <firmware-tools@vortane.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL vrtqlx)
if(TARGET vrtqlx-qt)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Dependencies come from the shared libraries each package's files link (dpkg-shlibdeps):
# the C++ runtime for the program, Qt 6 Widgets for the module. The program loads libcups
# only when a download needs the spooler, so that one is named here.
set(CPACK_DEBIAN_VRTQLX_PACKAGE_NAME vrtqlx)
set(CPACK_DEBIAN_VRTQLX_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_VRTQLX_PACKAGE_DEPENDS "libcups2")
# The log of an installed program lives in /var/log/vrtqlx (runs as root), rotated by the
# logrotate rule of /etc/logrotate.d/vrtqlx; purge removes both.
set(CPACK_DEBIAN_VRTQLX_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/debian/postrm
  ${CMAKE_SOURCE_DIR}/packaging/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The first line of each description is its package's synopsis.
set(CPACK_COMPONENT_VRTQLX_DESCRIPTION
  "VORTANE QLX printer firmware downloader\n\
Downloads a firmware image into a VORTANE QLX printer over a serial line,\n\
a parallel port, a USB printer or TCP, unattended (-s or vrtqlx.ini) with\n\
an exit code. Comes with the printer simulator qlx-printer-sim. The\n\
operator's window is in vrtqlx-gui.")
set(CPACK_DEBIAN_GUI_PACKAGE_NAME vrtqlx-gui)
set(CPACK_DEBIAN_GUI_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_GUI_PACKAGE_SHLIBDEPS ON)
# The module binds to the program's own framework, so it needs exactly this version of it.
set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "vrtqlx (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_GUI_DESCRIPTION
  "operator's window of the VORTANE QLX firmware downloader\n\
The operator's window of vrtqlx (model picker, settings, download with a\n\
progress bar) on Qt 6 Widgets, with its desktop entry and icon.")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/logrotate/stage.cmake)
include(CPack)

# `make package` packs only when something a package holds, or how it is packed, changed:
# CPack's own `package` target packs on every call, seconds each time.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE VRTQLX_DEB_ARCH
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(VRTQLX_DEBS ${CMAKE_BINARY_DIR}/vrtqlx_${PROJECT_VERSION}_${VRTQLX_DEB_ARCH}.deb)
set(VRTQLX_PACKED vrtqlx)
foreach(target qlx-printer-sim vrtqlx-qt)
  if(TARGET ${target})
    list(APPEND VRTQLX_PACKED ${target})
  endif()
endforeach()
if(TARGET vrtqlx-qt)
  list(APPEND VRTQLX_DEBS ${CMAKE_BINARY_DIR}/vrtqlx-gui_${PROJECT_VERSION}_${VRTQLX_DEB_ARCH}.deb)
endif()
file(GLOB VRTQLX_PACKAGING_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/*.*
  ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_SOURCE_DIR}/packaging/bash-completion/*
  ${CMAKE_SOURCE_DIR}/packaging/debian/* ${CMAKE_SOURCE_DIR}/packaging/icons/*
  ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides/* ${CMAKE_SOURCE_DIR}/packaging/logrotate/*)
add_custom_command(OUTPUT ${VRTQLX_DEBS}
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  DEPENDS ${VRTQLX_PACKED} ${VRTQLX_GZIPPED} ${VRTQLX_PACKAGING_FILES} ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  VERBATIM)
add_custom_target(debs DEPENDS ${VRTQLX_DEBS})
