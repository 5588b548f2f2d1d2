# SPDX-License-Identifier: MIT
# Writes OUTPUT: a C++ source holding the dashboard's page, script and style from PAGE_DIR byte
# for byte, as web/page_files.h declares them. The build runs it whenever one of them changes.
# cmake -DPAGE_DIR=src/web/page -DOUTPUT=page_files.cpp -P embed_page.cmake
string(REPEAT "." 128 line)  # 32 bytes, each written \xNN
set(code "// Written by src/web/embed_page.cmake from src/web/page: edit those files instead.\n")
string(APPEND code "#include \"web/page_files.h\"\n\nnamespace kerbview::web {\n")
function(embed function file)
  file(READ ${PAGE_DIR}/${file} hex HEX)
  file(SIZE ${PAGE_DIR}/${file} size)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
  string(REGEX REPLACE "(${line})" "\\1\"\n            \"" escaped "${escaped}")
  string(APPEND code "\nstd::string_view ${function}() {\n"
                     "    return {\"${escaped}\",\n            ${size}};\n}\n")
  set(code "${code}" PARENT_SCOPE)
endfunction()
embed(PageHtml index.html)
embed(PageScript dashboard.js)
embed(PageStyle dashboard.css)
string(APPEND code "\n}  // namespace kerbview::web\n")
file(WRITE ${OUTPUT} "${code}")
