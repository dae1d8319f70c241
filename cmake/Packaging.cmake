# The Debian package: `cpack -G DEB` in a configured build folder packs what
# the install rules put under /usr, plus the man pages of the command lines
# and the files Debian wants in /usr/share/doc/pictray.
set(PICTRAY_MAINTAINER "Pictray maintainers <maintainers@pictray.example>")
set(PICTRAY_DEB_RELEASE 1)
set(PICTRAY_DEB_VERSION ${PROJECT_VERSION}-${PICTRAY_DEB_RELEASE})
set(PICTRAY_DOC_DIR share/doc/pictray)

# Man pages written from each command line's --help and --version, so they
# cannot drift from what the program says; in English, whatever the
# builder's locale.
find_program(HELP2MAN help2man REQUIRED)
set(PICTRAY_MAN_NAME_pictray-cli "sort a folder of pictures into subfolders")
set(PICTRAY_MAN_NAME_twinscan-cli "find byte-identical files in a folder and move the surplus copies")
set(PICTRAY_MAN_PAGES)
foreach(cli pictray-cli twinscan-cli)
  set(page ${CMAKE_BINARY_DIR}/man/${cli}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${HELP2MAN} --no-info --name "${PICTRAY_MAN_NAME_${cli}}" --output ${page} $<TARGET_FILE:${cli}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${cli}
    VERBATIM)
  list(APPEND PICTRAY_MAN_PAGES ${page}.gz)
endforeach()

# The changelog entry carries the project's version and the build's date
# (SOURCE_DATE_EPOCH, when set, makes the date reproducible).
string(TIMESTAMP PICTRAY_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.Debian.in ${CMAKE_BINARY_DIR}/doc/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/doc/changelog.Debian
  DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog.Debian
  VERBATIM)

add_custom_target(package_docs ALL DEPENDS ${PICTRAY_MAN_PAGES} ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz)
add_dependencies(programs package_docs)
install(FILES ${PICTRAY_MAN_PAGES} DESTINATION share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz
        DESTINATION ${PICTRAY_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pictray)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "${PICTRAY_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${PICTRAY_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# What the programs link, found by dpkg-shlibdeps: no hand-typed list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the programs start or load rather than link: the help pages' browser
# falls back to sensible-browser; the video reader loads libavformat at its
# first video (the major version the engine was built against).
find_package(PkgConfig REQUIRED)
pkg_check_modules(PICTRAY_AVFORMAT REQUIRED libavformat)
string(REGEX MATCH "^[0-9]+" PICTRAY_AVFORMAT_MAJOR "${PICTRAY_AVFORMAT_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "sensible-utils, libavformat${PICTRAY_AVFORMAT_MAJOR}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sort pictures into folders and find byte-identical copies")
# CPack puts the summary on the first line and indents the rest itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pictray lists a folder of pictures and gives each file a target folder by its
name, its JPEG header and Exif data, its pixel size or its colours, then moves
the files there; every move can be undone. Twinscan groups the byte-identical
files of a folder and moves the surplus copies aside.

pictray-cli and twinscan-cli do the same from the command line.")
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/drop_ldconfig_scripts.cmake)
include(CPack)
