# Tests of the Windows build: every unit test that needs no Linux device, in one program
# qlx-tests.exe, plus tests of the Win32 platform files; run under wine64.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set(VRTQLX_WINDOWS_TESTS)
add_executable(qlx-tests ${VRTQLX_WINDOWS_TESTS})
target_include_directories(qlx-tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(qlx-tests PRIVATE vrtqlx_core gtest gmock gtest_main)
add_test(NAME qlx-tests COMMAND qlx-tests)
