# Runs the cross-built programs under Wine in a private prefix inside the build
# tree.  cmake/wine-run.sh.in becomes the cross-compiling emulator, so ctest,
# add_custom_command and the launcher all start Windows programs the same way.
find_program(ZORVIK_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(ZORVIK_WINE64 NAMES wine64 wine)
find_program(ZORVIK_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ZORVIK_WINESERVER NAMES wineserver)
if(NOT ZORVIK_WINE64 OR NOT ZORVIK_WINESERVER)
  message(FATAL_ERROR "Wine (wine64, wineserver) is needed to run the tests: apt-get install wine64")
endif()

set(ZORVIK_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix for tests and tools")
set(ZORVIK_WINE_RUN "${CMAKE_BINARY_DIR}/wine-run")
configure_file("${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in" "${ZORVIK_WINE_RUN}" @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${ZORVIK_WINE_RUN}")
