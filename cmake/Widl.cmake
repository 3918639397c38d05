# zorvik_widl(<target> <idl-file>)
# Compiles an IDL file with widl into the build tree: C/C++ header, GUID
# definitions, type library, -Oif proxy/stub and dlldata.  Creates:
#   <target>            header and GUID definitions (static library)
#   <target>_tlb        the type library file, for the resource compiler
#   <target>_HEADER, _TLB, _PROXY, _DLLDATA, _DIR   cache entries naming the outputs
find_program(ZORVIK_WIDL NAMES ${ZORVIK_MINGW_TRIPLE}-widl widl REQUIRED)
set(ZORVIK_WIDL_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "Standard IDL files for widl")
set(ZORVIK_WIDL_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "stdole2.tlb location")
zorvik_require_file(ZORVIK_WIDL_IDL_DIR unknwn.idl libwine-dev)
zorvik_require_file(ZORVIK_WIDL_TLB_DIR stdole2.tlb wine64)

function(zorvik_widl target idl)
  get_filename_component(idl "${idl}" ABSOLUTE)
  get_filename_component(name "${idl}" NAME_WE)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/generated")
  file(MAKE_DIRECTORY "${out}")
  set(widl ${ZORVIK_WIDL} -m64 -I${ZORVIK_WIDL_IDL_DIR} -L${ZORVIK_WIDL_TLB_DIR})
  set(header "${out}/${name}.h")
  set(guids "${out}/${name}_i.c")
  set(tlb "${out}/${name}.tlb")
  set(proxy "${out}/${name}_p.c")
  set(dlldata "${out}/${name}_dlldata.c")
  add_custom_command(
    OUTPUT "${header}" "${guids}" "${tlb}" "${proxy}" "${dlldata}"
    COMMAND ${widl} -h -o "${header}" "${idl}"
    COMMAND ${widl} -u -o "${guids}" "${idl}"
    COMMAND ${widl} -t -o "${tlb}" "${idl}"
    COMMAND ${widl} -p -Oif -o "${proxy}" "${idl}"
    COMMAND ${widl} --dlldata-only -o "${dlldata}" "${idl}"
    DEPENDS "${idl}"
    COMMENT "widl ${name}.idl"
    VERBATIM)
  add_library(${target} STATIC "${guids}" "${header}")
  target_include_directories(${target} PUBLIC "${out}")
  add_custom_target(${target}_tlb DEPENDS "${tlb}")
  set(${target}_HEADER "${header}" CACHE INTERNAL "")
  set(${target}_TLB "${tlb}" CACHE INTERNAL "")
  set(${target}_PROXY "${proxy}" CACHE INTERNAL "")
  set(${target}_DLLDATA "${dlldata}" CACHE INTERNAL "")
  set(${target}_DIR "${out}" CACHE INTERNAL "")
endfunction()
