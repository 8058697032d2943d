# Tests of the Windows build: every unit test that needs no Linux device, in one program
# qlx-tests.exe, plus tests of the Win32 platform files; run under wine64.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gmock gtest_main)
  target_compile_options(${library} PRIVATE ${VRTQLX_TEST_CODE_OPTIONS})
endforeach()
set(VRTQLX_WINDOWS_TESTS
  app/command_line_test.cpp
  app/model_catalogue_test.cpp
  app/profile_reader_test.cpp
  download/engine_chain_test.cpp
  download/hex_download_test.cpp
  download/hex_image_test.cpp
  download/image_checks_test.cpp
  framework/headless_loop_test.cpp
  framework/operator_and_exchange_test.cpp
  ports/parallel_usb_port_test.cpp
  ports/port_io_test.cpp
  ports/serial_port_test.cpp
  spooler/go_on_flag_test.cpp
  support/fake_printer.cpp
  support/temp_dir.cpp
  support/safe_port_environment.cpp
  support/environment_win32.cpp
  win32/win32_framework_test.cpp
  win32/win32_platform_test.cpp)
add_executable(qlx-tests ${VRTQLX_WINDOWS_TESTS})
target_include_directories(qlx-tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(qlx-tests PRIVATE ${VRTQLX_TEST_CODE_OPTIONS})
target_link_libraries(qlx-tests PRIVATE vrtqlx_core gtest gmock gtest_main)
set_target_properties(qlx-tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Run through the toolchain's emulator, wine64.
add_test(NAME qlx-tests COMMAND qlx-tests)

# The operator's windows on the Win32 backend need a display (Wine on a virtual X server)
# and the printer simulator: scripts/windows-gui-check.sh runs them, not CTest.
add_executable(qlx-gui-tests win32/win32_gui_test.cpp)
target_link_libraries(qlx-gui-tests PRIVATE vrtqlx_core gtest gtest_main)
target_compile_options(qlx-gui-tests PRIVATE ${VRTQLX_TEST_CODE_OPTIONS})
set_target_properties(qlx-gui-tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
