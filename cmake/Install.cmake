# What "cmake --install" puts under the prefix, and the Debian package CPack makes
# of the same tree (scripts/package):
#   bin/trandor, bin/trandor-export
#   share/applications/trandor.desktop
#   share/metainfo/org.trandor.trandor.metainfo.xml (AppStream)
#   share/icons/hicolor/<n>x<n>/apps/trandor.png    (drawn by gen-images)
#   share/icons/hicolor/scalable/apps/trandor.svg   (drawn by gen-images)
#   share/man/man1/trandor.1.gz, trandor-export.1.gz (made from their --help)
#   share/doc/trandor/copyright, changelog.gz
include(GNUInstallDirs)

install(TARGETS trandor trandor-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/trandor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/org.trandor.trandor.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The program's --version, which its manual page shows as the trandor-export one does.
target_compile_definitions(trandor PRIVATE TRANDOR_VERSION="${PROJECT_VERSION}")

# The manual pages, written by help2man from each binary's --help and --version, so
# a page always lists the options the binary has.
find_program(TRANDOR_HELP2MAN help2man REQUIRED)
function(trandor_manual_page target description)
  set(page ${PROJECT_BINARY_DIR}/${target}.1)
  add_custom_command(
    OUTPUT ${page}.gz
    # A sanitizer build's leak report at exit would land in the page.
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${TRANDOR_HELP2MAN} --no-info --section=1 "--name=${description}" --output=${page}
            $<TARGET_FILE:${target}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${target}
    COMMENT "Writing the manual page of ${target}"
    VERBATIM)
  add_custom_target(${target}-man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
trandor_manual_page(trandor "shows recorder data curves")
trandor_manual_page(trandor-export "draws recorder data curves to PNG and PDF without a display")

# The package's documents: the licence in Debian's machine-readable copyright format
# (its text taken from LICENSE) and the changelog, compressed as Debian wants it.
set(TRANDOR_MAINTAINER "Seed 6d4b5749 maintainers <maintainers@users.noreply.c-seed-6d4b5749.example>")
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${license_text}")
set(TRANDOR_COPYRIGHT "${CMAKE_MATCH_1}")
string(FIND "${license_text}" "Permission is hereby granted" license_start)
string(SUBSTRING "${license_text}" ${license_start} -1 license_body)
string(STRIP "${license_body}" license_body)
string(REPLACE "\n\n" "\n.\n" license_body "${license_body}")
string(REPLACE "\n" "\n " TRANDOR_LICENSE_BODY "${license_body}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${PROJECT_BINARY_DIR}/doc/copyright @ONLY)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/cmake/debian/changelog > ${PROJECT_BINARY_DIR}/doc/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
  VERBATIM)
add_custom_target(trandor-changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/doc/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trandor)
set(CPACK_PACKAGE_CONTACT "${TRANDOR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_DESCRIPTION}")
# One line of the description per line here: CPack indents them as Debian's control
# file wants.
set(CPACK_PACKAGE_DESCRIPTION
    "Opens the comma-separated files of multi-channel data recorders and shows
every channel as a curve against time, with zoom, paging, a read-out cursor,
a time-range query and printing. trandor-export draws the same chart to PNG
and PDF without a display.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the binaries link give the dependencies; the rest are what they load
# at run time: a font with Chinese glyphs, and (recommended) Qt's Wayland platform
# and its Chinese translation of the standard dialogs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
