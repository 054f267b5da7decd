# The window-free part on Windows, cross-compiled with mingw-w64 and run
# under Wine (make test-windows); included from CMakeLists.txt when WIN32.

# gtest for Windows from Debian's sources: find_package(GTest) would find
# only the Linux libraries.
set(ZORUNA_GTEST_SOURCE /usr/src/googletest CACHE PATH "googletest sources built for the Windows tests")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZORUNA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# (its CMake files name the targets GTest::gtest and GTest::gtest_main too)

# core/ sources of the POSIX layer.
set(ZORUNA_CORE_OTHER_PLATFORM filesystem_posix.cpp mount_info.cpp)

# Every program is one static executable: Wine then needs no mingw DLLs on
# its path.
add_link_options(-static)
# Wide-character Windows calls, nothing older than Windows 10.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

# Tests are listed when they run, not at build time: listing an executable
# means starting Wine, which the build must not wait for.
set(ZORUNA_TEST_DISCOVERY DISCOVERY_MODE PRE_TEST)

# Core tests that have no Windows form, with the reason.
set(ZORUNA_CORE_POSIX_ONLY_TESTS
  # fork, signals and waitpid around a child process
  tests/core/headless_process_test.cpp
  tests/core/copy_interrupt_test.cpp
  tests/core/copy_world_test.cpp
  tests/core/compare_tree_test.cpp
  # holes through SEEK_DATA, FICLONE clones, extended attributes, chmod
  tests/core/copy_sparse_test.cpp
  tests/core/copy_attributes_test.cpp
  # set up their cases with POSIX calls throughout (symbolic links, chmod,
  # descriptors, FIFOs)
  tests/core/compare_concurrent_test.cpp
  tests/core/compare_world_test.cpp
  tests/core/copy_dirs_test.cpp
  tests/core/copy_run_test.cpp
  tests/core/filesystem_test.cpp
  # runs of thousands of files (beyond the tests' timeout under Wine), names
  # Windows does not allow, and paths printed as on POSIX
  tests/core/headless_test.cpp
)
list(TRANSFORM ZORUNA_CORE_POSIX_ONLY_TESTS PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
