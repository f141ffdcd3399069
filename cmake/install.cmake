# cmake --install: the executables and their man pages (component "runtime");
# the library, its two headers and a CMake package so that another project
# needs only find_package(MAE) and MAE::mae (component "development").
include(CMakePackageConfigHelpers)

install(TARGETS MAE RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/man/MAE.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT runtime)
if(MAE_BUILD_CHECK)
  install(TARGETS mae-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/man/mae-check.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT runtime)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/mae
        COMPONENT runtime)

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

# cpack -G DEB: "mae" with the executables and the man pages, "mae-dev" with
# the library, the headers and the CMake package.
set(CPACK_PACKAGE_NAME mae)
set(CPACK_PACKAGE_VENDOR "The MAE developers")
set(CPACK_PACKAGE_CONTACT "MAE developers <maintainers@users.noreply.c-seed-99a5db4a.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mean absolute error of two 24-bit BMP images")
set(CPACK_PACKAGE_DESCRIPTION
    "MAE compares two uncompressed 24-bit BMP files and prints their mean absolute error: \
the absolute byte difference averaged over every byte of the area both images cover. \
It is meant for checking image-processing results against reference images; \
mae-check checks a set of test cases at once, with a verdict per case, JSON, \
difference pictures and an HTML report.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME mae)
# MAE links the C++ runtime statically; dpkg-shlibdeps finds what both
# executables need (the C library; libspng and libsodium for mae-check).
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME mae-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# CPack puts the summary above each of these as the synopsis line.
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "The static library, headers and CMake package (find_package(MAE), target MAE::mae) of the MAE tool: read and write 24-bit BMP pixel blocks and compute their mean absolute error.")
include(CPack)
