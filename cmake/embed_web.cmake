# Turns the viewer's files under web/ into a C++ source of char arrays (no
# string literals: some compilers bound their length).
#   cmake -DWEB_DIR=... -DOUT=... -P embed_web.cmake
set(body "// Generated from web/ at build time; do not edit.\n#include \"author/web_assets.h\"\n\nnamespace sb {\n\nnamespace {\n")
set(functions "")
foreach(pair IN ITEMS "view.html:view_template" "view.js:view_script" "view.css:view_style"
                    "live.html:live_template" "live.js:live_script" "live.css:live_style")
  string(REPLACE ":" ";" parts "${pair}")
  list(GET parts 0 file)
  list(GET parts 1 name)
  file(READ "${WEB_DIR}/${file}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){24})" "\\1\n" bytes "${bytes}")
  string(APPEND body "const char k_${name}[] = {\n${bytes}'\\0'};\n")
  string(APPEND functions "std::string_view ${name}() { return {k_${name}, ${size}}; }\n")
endforeach()
string(APPEND body "\n}  // namespace\n\n${functions}\n}  // namespace sb\n")
file(WRITE "${OUT}.tmp" "${body}")
# Unchanged output keeps its time stamp, so nothing rebuilds needlessly.
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
