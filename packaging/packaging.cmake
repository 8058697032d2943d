# Installation and the two Debian packages: `vrtqlx` (the program, the printer simulator
# and the man page; no GUI library) and `vrtqlx-gui` (the window module, the desktop entry
# and its icons). The program finds its window module in lib/vrtqlx beside its bin/.

configure_file(${CMAKE_SOURCE_DIR}/packaging/vrtqlx.1 ${CMAKE_BINARY_DIR}/vrtqlx.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vrtqlx.1.gz
  COMMAND gzip -9 -n -k -f vrtqlx.1
  DEPENDS ${CMAKE_BINARY_DIR}/vrtqlx.1
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  VERBATIM)
add_custom_target(vrtqlx-man ALL DEPENDS ${CMAKE_BINARY_DIR}/vrtqlx.1.gz)

install(TARGETS vrtqlx RUNTIME DESTINATION bin COMPONENT vrtqlx)
if(TARGET qlx-printer-sim)
  install(TARGETS qlx-printer-sim RUNTIME DESTINATION bin COMPONENT vrtqlx)
endif()
install(FILES ${CMAKE_BINARY_DIR}/vrtqlx.1.gz DESTINATION share/man/man1 COMPONENT vrtqlx)

if(TARGET vrtqlx-qt)
  install(TARGETS vrtqlx-qt LIBRARY DESTINATION lib/vrtqlx COMPONENT gui)
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
set(CPACK_PACKAGE_VENDOR "vrtqlx developers")
set(CPACK_PACKAGE_CONTACT "vrtqlx developers <vrtqlx@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "VORTANE QLX printer firmware downloader")
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
set(CPACK_COMPONENT_VRTQLX_DESCRIPTION
  "Downloads a firmware image into a VORTANE QLX printer over a serial line, a parallel\n\
port, a USB printer or TCP, unattended (-s or vrtqlx.ini) with an exit code. Comes with\n\
the printer simulator qlx-printer-sim. The operator's window is in vrtqlx-gui.")
set(CPACK_DEBIAN_GUI_PACKAGE_NAME vrtqlx-gui)
set(CPACK_DEBIAN_GUI_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_GUI_PACKAGE_SHLIBDEPS ON)
# The module binds to the program's own framework, so it needs exactly this version of it.
set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "vrtqlx (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_GUI_DESCRIPTION
  "The operator's window of vrtqlx (model picker, settings, download with a progress\n\
bar) on Qt 6 Widgets, with its desktop entry and icon.")
include(CPack)
