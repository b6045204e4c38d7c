# Installation and the Debian package ("cpack -G DEB" in the build folder; a package build
# configures with -DTOVIN_HARDENING=ON). The executable goes to bin; the program folder's
# architecture-independent files (help pages, tips, pictures, report files, the demo catalogue)
# go to share/tovin-catalog, which the program finds as ../share/tovin-catalog. The marker file
# tells the program that this folder is not to be written, so it works in the user's data
# folder instead.
set(INSTALLED_PROGRAM_FOLDER share/tovin-catalog)
# Installing (and so cpack) needs only the program, its folder and the generated pages, which
# the build makes first; it does not build the hundred test programs of "all" again.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(PACKAGE_BUILD_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${PACKAGE_BUILD_DIR})

# The manual page and the bash completion are made from the built program's own help texts,
# so they list exactly the commands and options it has.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(
    OUTPUT ${PACKAGE_BUILD_DIR}/tovin-catalog.1.gz ${PACKAGE_BUILD_DIR}/tovin-catalog.bash
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/help-docs.py
            $<TARGET_FILE:tovin-catalog> ${PROJECT_VERSION}
            --man ${PACKAGE_BUILD_DIR}/tovin-catalog.1
            --completion ${PACKAGE_BUILD_DIR}/tovin-catalog.bash
    # -n: no name or time in the header, so the same page gives the same bytes.
    COMMAND ${GZIP_PROGRAM} -9nf ${PACKAGE_BUILD_DIR}/tovin-catalog.1
    DEPENDS tovin-catalog ${CMAKE_SOURCE_DIR}/scripts/help-docs.py VERBATIM)
add_custom_command(
    OUTPUT ${PACKAGE_BUILD_DIR}/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog
            > ${PACKAGE_BUILD_DIR}/changelog.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog)
add_custom_target(package_docs ALL DEPENDS ${PACKAGE_BUILD_DIR}/tovin-catalog.1.gz
                  ${PACKAGE_BUILD_DIR}/tovin-catalog.bash ${PACKAGE_BUILD_DIR}/changelog.gz)

install(TARGETS tovin-catalog RUNTIME DESTINATION bin)
install(DIRECTORY resources/program/ DESTINATION ${INSTALLED_PROGRAM_FOLDER})
install(FILES ${APP_FOLDER}/tovin2003-a.mde packaging/installed-program-folder
        DESTINATION ${INSTALLED_PROGRAM_FOLDER})
install(FILES packaging/copyright ${PACKAGE_BUILD_DIR}/changelog.gz
        DESTINATION share/doc/tovin-catalog)
install(FILES ${PACKAGE_BUILD_DIR}/tovin-catalog.1.gz DESTINATION share/man/man1)
install(FILES ${PACKAGE_BUILD_DIR}/tovin-catalog.bash DESTINATION share/bash-completion/completions
        RENAME tovin-catalog)
install(FILES packaging/tovin-catalog.desktop DESTINATION share/applications)
# Named after the component's id, as the software centres look it up.
install(FILES packaging/tovin-catalog.metainfo.xml DESTINATION share/metainfo
        RENAME invalid.tovin_catalog.TovinCatalog.metainfo.xml)
install(FILES packaging/tovin-catalog-mime.xml DESTINATION share/mime/packages
        RENAME tovin-catalog.xml)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES resources/ui/icons/hicolor/tovin-catalog-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tovin-catalog.png)
endforeach()
install(FILES resources/ui/icons/tovin-catalog.svg DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME tovin-catalog)
set(CPACK_PACKAGE_VENDOR "Tovin Catalog")
set(CPACK_PACKAGE_CONTACT "Tovin Catalog maintainers <maintainers@tovin-catalog.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Product catalogue, stock, orders, sales and web catalogue for a small shop")
file(READ ${CMAKE_SOURCE_DIR}/packaging/description.txt CPACK_DEBIAN_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

# The package installed into a scratch root and started with a fresh home folder; lintian and
# the desktop's validators check it on the way.
add_test(NAME tst_package COMMAND ${CMAKE_SOURCE_DIR}/tests/package/test-installed-package.sh
                                  ${CMAKE_BINARY_DIR})
set_tests_properties(tst_package PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)
