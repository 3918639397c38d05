# The `dist` target: the package a host developer installs.
# Assembles <build>/dist/zorvik/ afresh on every run and zips it beside it
# as <build>/dist/zorvik.zip:
#   zorvik/                  what is installed together: the component finds the
#                            toolkit beside itself and the toolkit its device file
#     zorvik.dll  KELMARTK.DLL  7310.txt  zorvik_scan.exe  zorvik.tlb
#     host-developer.md      registering, calling order, constants, error codes,
#                            what each mode delivers, the log
#     simulator.md           the simulated toolkit and its device descriptions
#     include/               what a host compiles against (C or C++)
#       zorvik.idl  zorvik.h  zorvik_i.c (the GUIDs: compile it in)  zorvik_contract.h
#     example/               a complete small host in C
#       example_host.c
set(ZORVIK_DIST_ROOT "${CMAKE_BINARY_DIR}/dist")
set(ZORVIK_DIST_DIR "${ZORVIK_DIST_ROOT}/zorvik")
set(ZORVIK_DIST_ZIP "${ZORVIK_DIST_ROOT}/zorvik.zip")
# The commands run inside it, so it exists from configuration on.
file(MAKE_DIRECTORY "${ZORVIK_DIST_ROOT}")

add_custom_target(dist
  # Start empty, so a file dropped from the list never lingers in a package.
  COMMAND "${CMAKE_COMMAND}" -E rm -rf "${ZORVIK_DIST_DIR}" "${ZORVIK_DIST_ZIP}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${ZORVIK_DIST_DIR}/include"
          "${ZORVIK_DIST_DIR}/example"
  COMMAND "${CMAKE_COMMAND}" -E copy
          "$<TARGET_FILE:zorvik>"
          "$<TARGET_FILE:kelmartk>"
          "${CMAKE_SOURCE_DIR}/simulator/devices/7310.txt"
          "$<TARGET_FILE:zorvik_scan>"
          "${zorvik_idl_TLB}"
          "${CMAKE_SOURCE_DIR}/docs/host-developer.md"
          "${CMAKE_SOURCE_DIR}/docs/simulator.md"
          "${ZORVIK_DIST_DIR}"
  COMMAND "${CMAKE_COMMAND}" -E copy
          "${CMAKE_SOURCE_DIR}/interface/zorvik.idl"
          "${zorvik_idl_HEADER}"
          "${zorvik_idl_DIR}/zorvik_i.c"
          "${CMAKE_SOURCE_DIR}/interface/zorvik_contract.h"
          "${ZORVIK_DIST_DIR}/include"
  COMMAND "${CMAKE_COMMAND}" -E copy
          "${CMAKE_SOURCE_DIR}/tools/example_host/example_host.c"
          "${ZORVIK_DIST_DIR}/example"
  COMMAND "${CMAKE_COMMAND}" -E tar cf "${ZORVIK_DIST_ZIP}" --format=zip zorvik
  WORKING_DIRECTORY "${ZORVIK_DIST_ROOT}"
  COMMENT "Packaging ${ZORVIK_DIST_DIR} and ${ZORVIK_DIST_ZIP}"
  VERBATIM)
# zorvik_idl builds the header and GUID file, zorvik_idl_tlb the type library.
add_dependencies(dist zorvik kelmartk zorvik_scan zorvik_idl zorvik_idl_tlb)
