# The libraries mae-check links, for its WebAssembly build: built from the
# Debian source packages scripts/web_deps.sh unpacks into MAE_WEB_DEPS (the
# versions the native build links), under the names the native build's
# find_package and pkg_check_modules give them, so that check/ builds
# alike. Header-only libraries (CLI11, nlohmann-json, toml++) come from the
# system's include folder, each through a folder of its own so that the
# system's C headers stay out of the way.
set(MAE_WEB_DEPS "${PROJECT_SOURCE_DIR}/out/web-deps" CACHE PATH
    "Where scripts/web_deps.sh unpacked the libraries' Debian sources")
set(deps ${MAE_WEB_DEPS})
foreach(library libspng zlib libdeflate utf8proc pugixml)
  if(NOT EXISTS ${deps}/${library}/.unpacked)
    message(FATAL_ERROR "${deps}/${library} is missing: run scripts/web_deps.sh ${deps}")
  endif()
endforeach()
enable_language(C)

set(headers ${CMAKE_BINARY_DIR}/web-headers)
file(MAKE_DIRECTORY ${headers})
foreach(folder nlohmann CLI toml++)
  if(NOT EXISTS ${headers}/${folder})
    file(CREATE_LINK /usr/include/${folder} ${headers}/${folder} SYMBOLIC)
  endif()
endforeach()
add_library(mae_web_headers INTERFACE)
target_include_directories(mae_web_headers SYSTEM INTERFACE ${headers})
target_compile_definitions(mae_web_headers INTERFACE TOML_EXCEPTIONS=1)
add_library(CLI11::CLI11 ALIAS mae_web_headers)
add_library(nlohmann_json::nlohmann_json ALIAS mae_web_headers)
add_library(tomlplusplus::tomlplusplus ALIAS mae_web_headers)

set(zlib_files adler32 compress crc32 deflate inffast inflate inftrees trees uncompr zutil)
list(TRANSFORM zlib_files PREPEND ${deps}/zlib/)
list(TRANSFORM zlib_files APPEND .c)
add_library(mae_web_zlib STATIC ${zlib_files})
target_include_directories(mae_web_zlib SYSTEM PUBLIC ${deps}/zlib)

add_library(mae_web_spng STATIC ${deps}/libspng/spng/spng.c)
target_include_directories(mae_web_spng SYSTEM PUBLIC ${deps}/libspng/spng)
target_link_libraries(mae_web_spng PUBLIC mae_web_zlib)
# WebAssembly has none of libspng's x86 or ARM SIMD filters: its plain C.
target_compile_definitions(mae_web_spng PRIVATE SPNG_DISABLE_OPT)
add_library(PkgConfig::SPNG ALIAS mae_web_spng)

file(GLOB deflate_files ${deps}/libdeflate/lib/*.c)
add_library(mae_web_deflate STATIC ${deflate_files})
target_include_directories(mae_web_deflate SYSTEM PUBLIC ${deps}/libdeflate)
add_library(PkgConfig::DEFLATE ALIAS mae_web_deflate)

add_library(mae_web_utf8proc STATIC ${deps}/utf8proc/utf8proc.c)
target_include_directories(mae_web_utf8proc SYSTEM PUBLIC ${deps}/utf8proc)
target_compile_definitions(mae_web_utf8proc PUBLIC UTF8PROC_STATIC)
add_library(PkgConfig::UTF8PROC ALIAS mae_web_utf8proc)

add_library(mae_web_pugixml STATIC ${deps}/pugixml/src/pugixml.cpp)
target_include_directories(mae_web_pugixml SYSTEM PUBLIC ${deps}/pugixml/src)
add_library(pugixml::pugixml ALIAS mae_web_pugixml)

# No threads and no libcrypto in the page: one case after another, and
# base64 written in the text layer.
add_library(mae_web_none INTERFACE)
add_library(Threads::Threads ALIAS mae_web_none)
add_library(OpenSSL::Crypto ALIAS mae_web_none)
