# Run by CPack once the packages are staged: the logrotate rule goes into the program's
# package as /etc/logrotate.d/vrtqlx (a conffile). `make install` into a prefix leaves /etc
# alone.
file(COPY "${CMAKE_CURRENT_LIST_DIR}/vrtqlx"
  DESTINATION "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/vrtqlx/etc/logrotate.d"
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
