# cmake --install: the executables and their man pages (component "runtime");
# the library, its headers, a CMake package and a pkg-config file, so that
# another project needs only find_package(MAE) and MAE::mae, or
# pkg-config --cflags --libs mae (component "development").
# cpack -G DEB: "mae" from the first, "mae-dev" from the second, each with
# its copyright file and changelog as Debian wants them.
include(CMakePackageConfigHelpers)

set(MAE_PACKAGE_MAINTAINER "" CACHE STRING
    "Maintainer of the Debian packages, as \"Name <address>\" (default: DEBFULLNAME <DEBEMAIL>)")
if(NOT MAE_PACKAGE_MAINTAINER AND DEFINED ENV{DEBFULLNAME} AND DEFINED ENV{DEBEMAIL})
  set(MAE_PACKAGE_MAINTAINER "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
endif()
if(NOT MAE_PACKAGE_MAINTAINER)
  message(STATUS "Debian packages (cpack -G DEB) need a maintainer: configure with "
                 "-DMAE_PACKAGE_MAINTAINER=\"Name <address>\", or set DEBFULLNAME and DEBEMAIL")
endif()
set(MAE_HOMEPAGE "" CACHE STRING "The project's home page for the packages (none by default)")

# Man pages and changelogs are installed compressed, reproducibly (no name
# or time in the gzip header).
function(mae_gzip input output)
  add_custom_command(OUTPUT ${output} COMMAND gzip -9nc ${input} > ${output}
                     DEPENDS ${input} VERBATIM)
endfunction()
set(man_pages MAE.1)
if(MAE_BUILD_CHECK)
  list(APPEND man_pages mae-check.1)
endif()
set(compressed)
if(MAE_BUILD_CHECK AND MAE_BUILD_WEB AND NOT EMSCRIPTEN)
  # What --web-page embeds, and the page of the ten built-in cases with no
  # reference in it (a student gives ANS/ with the outputs).
  install(FILES ${MAE_WEB_CORE_BUILT} DESTINATION ${CMAKE_INSTALL_DATADIR}/mae
          RENAME mae-check-web.js COMPONENT runtime)
  install(FILES ${PROJECT_BINARY_DIR}/mae-check.html DESTINATION ${CMAKE_INSTALL_DATADIR}/mae
          COMPONENT runtime)
endif()
foreach(page ${man_pages})
  mae_gzip(${PROJECT_SOURCE_DIR}/man/${page} ${PROJECT_BINARY_DIR}/man/${page}.gz)
  list(APPEND compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
endforeach()
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)

# The Debian changelog names whoever builds the packages, so it is only
# made when a maintainer is known.
if(MAE_PACKAGE_MAINTAINER)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in ${PROJECT_BINARY_DIR}/doc/changelog
                 @ONLY)
  mae_gzip(${PROJECT_BINARY_DIR}/doc/changelog ${PROJECT_BINARY_DIR}/doc/changelog.gz)
  list(APPEND compressed ${PROJECT_BINARY_DIR}/doc/changelog.gz)
endif()
add_custom_target(mae_compressed_docs ALL DEPENDS ${compressed})

# The licence in Debian's machine-readable copyright format: its text
# indented by one space, empty lines as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
string(REGEX REPLACE "^MIT License\n\nCopyright[^\n]*\n\n" "" license_text "${license_text}")
string(REGEX REPLACE "\n$" "" license_text "${license_text}")
string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REPLACE "\n" "\n " MAE_LICENSE_PARAGRAPHS " ${license_text}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in ${PROJECT_BINARY_DIR}/doc/copyright @ONLY)

install(TARGETS MAE RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/completion/MAE
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions COMPONENT runtime)
if(MAE_BUILD_CHECK)
  install(TARGETS mae-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/completion/mae-check
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions COMPONENT runtime)
endif()
foreach(page ${man_pages})
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT runtime)
endforeach()
foreach(component_package runtime:mae development:mae-dev)
  string(REPLACE ":" ";" pair ${component_package})
  list(GET pair 0 component)
  list(GET pair 1 package)
  set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package})
  install(FILES ${PROJECT_BINARY_DIR}/doc/copyright DESTINATION ${doc} COMPONENT ${component})
  if(MAE_PACKAGE_MAINTAINER)
    install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz DESTINATION ${doc}
            COMPONENT ${component})
  endif()
endforeach()
# The front door and the guides: for students and teaching assistants, for
# the library's users, on speed, and a map of the code.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/guide.md
              ${PROJECT_SOURCE_DIR}/docs/library.md ${PROJECT_SOURCE_DIR}/docs/performance.md
              ${PROJECT_SOURCE_DIR}/docs/code-map.md ${PROJECT_SOURCE_DIR}/docs/report.png
              ${PROJECT_SOURCE_DIR}/docs/web-page.png
              ${PROJECT_SOURCE_DIR}/docs/exercise.schema.json
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/mae COMPONENT runtime)
if(MAE_STATIC_RUNTIME AND NOT MAE_SANITIZE)
  # Says why lintian's objection to a static executable does not apply.
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME mae COMPONENT runtime)
endif()

set(MAE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/MAE)
install(TARGETS mae_core EXPORT MAETargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
        PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mae COMPONENT development)
install(EXPORT MAETargets NAMESPACE MAE:: DESTINATION ${MAE_CMAKE_DIR} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MAEConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/MAEConfig.cmake
                              INSTALL_DESTINATION ${MAE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/MAEConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/MAEConfig.cmake ${PROJECT_BINARY_DIR}/MAEConfigVersion.cmake
        DESTINATION ${MAE_CMAKE_DIR} COMPONENT development)

# pkg-config finds the prefix from where the file lies, so that the file
# stays right whatever prefix cmake --install is given.
set(MAE_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH MAE_PC_TO_PREFIX /prefix/${MAE_PC_DIR} /prefix)
string(REGEX REPLACE "/$" "" MAE_PC_TO_PREFIX "${MAE_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/mae.pc.in ${PROJECT_BINARY_DIR}/mae.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/mae.pc DESTINATION ${MAE_PC_DIR} COMPONENT development)

set(CPACK_PACKAGE_NAME mae)
set(CPACK_PACKAGE_VENDOR "The MAE developers")
set(CPACK_PACKAGE_CONTACT "${MAE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mean absolute error of two 24-bit BMP images")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(MAE_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${MAE_HOMEPAGE})
endif()
# Installed programs carry no debug symbols.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME mae)
# MAE links the C++ runtime statically; dpkg-shlibdeps finds what both
# executables need (the C library; libdeflate, libcrypto, pugixml and utf8proc
# for mae-check).
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME mae-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# CPack puts the summary above each of these as the synopsis line; lines
# stay under 80 characters.
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "MAE compares two uncompressed 24-bit BMP files and prints their mean
absolute error: the absolute byte difference averaged over every byte of
the area both images cover. mae-check checks a set of test cases at once,
with a verdict per case, JSON, difference pictures and an HTML report.")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "The static library, headers, CMake package (find_package(MAE), target
MAE::mae) and pkg-config file (mae) of the MAE tool: read and write 24-bit
BMP pixel blocks and compute their mean absolute error.")
include(CPack)
