# Writes the scan page's static files into one C++ source, as byte arrays
# with their paths and content types, so that zorvik_share serves them with
# nothing beside the program. Run as a script:
#   cmake -DWEB_DIR=<folder> -DASSETS=<name,name,...> -DOUTPUT=<file.cpp> -P EmbedWebAssets.cmake
string(REPLACE "," ";" names "${ASSETS}")
set(arrays "")
set(table "")
set(index 0)
foreach(name IN LISTS names)
  if(name MATCHES "\\.html$")
    set(type "text/html; charset=utf-8")
  elseif(name MATCHES "\\.css$")
    set(type "text/css; charset=utf-8")
  elseif(name MATCHES "\\.js$")
    set(type "text/javascript; charset=utf-8")
  elseif(name MATCHES "\\.svg$")
    set(type "image/svg+xml")
  else()
    message(FATAL_ERROR "EmbedWebAssets: no content type known for ${name}")
  endif()
  file(READ "${WEB_DIR}/${name}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kAsset${index}[] = {\n    ${bytes}};\n")
  string(APPEND table "    {\"/${name}\", \"${type}\", kAsset${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.new" "// Generated at build time from tools/web/ by cmake/EmbedWebAssets.cmake.
#include \"web_page.h\"

namespace zorvik::host {
namespace {
${arrays}}  // namespace

const WebAsset kWebAssets[] = {
${table}};
const size_t kWebAssetCount = ${index};

}  // namespace zorvik::host
")
# Rewritten only when it changed, so an unchanged page compiles nothing.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
