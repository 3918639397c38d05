# The files the build takes from Debian's packages at fixed places (the
# standard IDL files, stdole2.tlb, Wine's xmllite import library, the
# GoogleTest sources). Each place is a cache variable a developer may point
# elsewhere; a missing file stops the configuration with a message that says
# which package brings it.

# zorvik_require_file(<variable> <file> <package>): <variable> names a folder
# (or, with <file> empty, a file) that must exist.
function(zorvik_require_file variable file package)
  set(path "${${variable}}")
  if(NOT file STREQUAL "")
    set(path "${path}/${file}")
  endif()
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${path} is missing: install the Debian package ${package} "
                        "(./zorvik.sh setup installs every package the build needs), or set "
                        "${variable} to where it is")
  endif()
endfunction()
