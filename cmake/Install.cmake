# What "cmake --install" puts under the prefix, and the Debian package CPack makes
# of the same tree (scripts/package):
#   bin/trandor, bin/trandor-export
#   share/applications/trandor.desktop
#   share/icons/hicolor/<n>x<n>/apps/trandor.png   (drawn by gen-images)
#   share/man/man1/trandor-export.1.gz             (made from trandor-export --help)
include(GNUInstallDirs)

install(TARGETS trandor trandor-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/trandor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The export tool's manual page, written by help2man from its --help and --version,
# so the page always lists the options the tool has.
find_program(TRANDOR_HELP2MAN help2man REQUIRED)
set(TRANDOR_MAN_PAGE ${PROJECT_BINARY_DIR}/trandor-export.1)
add_custom_command(
  OUTPUT ${TRANDOR_MAN_PAGE}.gz
  # A sanitizer build's leak report at exit would land in the page.
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          ${TRANDOR_HELP2MAN} --no-info --section=1
          "--name=draws recorder data curves to PNG and PDF without a display"
          --output=${TRANDOR_MAN_PAGE} $<TARGET_FILE:trandor-export>
  COMMAND gzip -9nf ${TRANDOR_MAN_PAGE}
  DEPENDS trandor-export
  COMMENT "Writing the manual page of trandor-export"
  VERBATIM)
add_custom_target(trandor-export-man ALL DEPENDS ${TRANDOR_MAN_PAGE}.gz)
install(FILES ${TRANDOR_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trandor)
set(CPACK_PACKAGE_CONTACT "Trandor developers <trandor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Opens the comma-separated files of multi-channel data recorders and shows every channel as a curve against time, with zoom, paging, a read-out cursor, a time-range query and printing. trandor-export draws the same chart to PNG and PDF without a display.")
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
