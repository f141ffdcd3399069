# The web page's core: mae-check itself compiled to WebAssembly by Debian's
# emscripten, as one script (check/CMakeLists.txt's EMSCRIPTEN part), in a
# build of its own under the native one. Its C libraries are built from the
# Debian source packages scripts/web_deps.sh fetches (the versions the
# native build links). mae-check --web-page embeds the script in the page.
find_program(MAE_EMCMAKE emcmake)
if(MAE_EMCMAKE)
  set(web_default ON)
else()
  set(web_default OFF)
endif()
option(MAE_BUILD_WEB "Build the web page's WebAssembly core (needs emscripten)" ${web_default})
set(MAE_WEB_CORE_INSTALLED "${CMAKE_INSTALL_FULL_DATADIR}/mae/mae-check-web.js")
if(NOT MAE_BUILD_WEB)
  message(STATUS "The web page's core is not built: emscripten (emcmake) is not installed; "
                 "mae-check --web-page then needs it installed")
  set(MAE_WEB_CORE_BUILT "")
  return()
endif()
include(ExternalProject)
# Its own build runs on every core (make's job server does not reach it).
cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
set(web_build ${PROJECT_BINARY_DIR}/web)
# Fetched once for every build of this source tree.
set(MAE_WEB_DEPS "${PROJECT_SOURCE_DIR}/out/web-deps" CACHE PATH
    "Where scripts/web_deps.sh unpacks the sources of the core's libraries")
set(web_deps ${MAE_WEB_DEPS})
set(MAE_WEB_CORE_BUILT ${web_build}/check/mae-check.js)
# Node and emscripten's own tools find their modules through NODE_PATH.
set(web_env ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
ExternalProject_Add(mae_web_core
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${web_build}
  DOWNLOAD_COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/web_deps.sh ${web_deps}
  CONFIGURE_COMMAND ${web_env} ${MAE_EMCMAKE} ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${web_build}
                    -DCMAKE_BUILD_TYPE=MinSizeRel -DMAE_BUILD_TESTS=OFF -DMAE_BUILD_BENCH=OFF
                    -DMAE_WEB_DEPS=${web_deps}
  BUILD_COMMAND ${web_env} ${CMAKE_COMMAND} --build ${web_build} --target mae-check
                --parallel ${cores}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${MAE_WEB_CORE_BUILT})
