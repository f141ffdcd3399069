# Writes a C++ file that holds text files as constants, each a raw string:
#   cmake -DOUT=file.cpp -DHEADER=name.h -DASSETS="kName=path;kOther=path" -P embed_assets.cmake
# so that a page's style sheets and scripts live in real .css and .js files
# (seen by editors, formatters and syntax checks) and still end up inside
# the executable.
set(text "// Made by the build from the files named below: edit those, not this.\n")
string(APPEND text "#include \"${HEADER}\"\n\nnamespace mae::check {\n\n")
foreach(asset IN LISTS ASSETS)
  string(REGEX MATCH "^([A-Za-z0-9_]+)=(.*)$" matched "${asset}")
  set(name "${CMAKE_MATCH_1}")
  set(path "${CMAKE_MATCH_2}")
  file(READ "${path}" content)
  string(FIND "${content}" ")ASSET\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${path} holds the raw string's end marker )ASSET\"")
  endif()
  get_filename_component(shown "${path}" NAME)
  string(APPEND text "// ${shown}\nextern const char ${name}[] = R\"ASSET(${content})ASSET\";\n\n")
endforeach()
string(APPEND text "}  // namespace mae::check\n")
# Rewritten only when it changes, so that nothing rebuilds for nothing.
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
