# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, which std::thread and std::mutex need). The executables built here
# run under Wine, so ctest runs them through it (scripts/wine-test-run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZORUNA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZORUNA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORUNA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZORUNA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORUNA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test-run.sh)
