# Install rules and the Debian package: the two programs and the desktop launcher, their manual
# pages, the desktop entry, the icon, the AppStream metainfo, the copyright file and the
# changelog. Tests and benchmarks are never installed.
include(GNUInstallDirs)

# The reverse-DNS id AppStream asks for, from the home page's host; the desktop entry and
# the metainfo are named after it.
set(PURVEX_APP_ID org.example.purvex)
# The day this version was released; it goes with the version in project().
set(PURVEX_RELEASE_DATE 2026-12-08)

install(TARGETS purvex pvxadmin purvex-launch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (the .deb's) also drops the compiler's version notes, as Debian's own
# packages do; strip alone keeps them.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program purvex pvxadmin purvex-launch)
            execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")
include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)
install(FILES packaging/${PURVEX_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The metainfo lists only the addresses the build names.
set(PURVEX_METAINFO_URLS "")
foreach(type homepage bugtracker)
    if(type STREQUAL homepage)
        set(address "${PROJECT_HOMEPAGE_URL}")
    else()
        set(address "${PURVEX_ISSUE_TRACKER_URL}")
    endif()
    if(address)
        string(REPLACE "&" "&amp;" address "${address}")
        string(REPLACE "<" "&lt;" address "${address}")
        string(APPEND PURVEX_METAINFO_URLS "\n  <url type=\"${type}\">${address}</url>")
    endif()
endforeach()
configure_file(packaging/${PURVEX_APP_ID}.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/packaging/${PURVEX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${PURVEX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The PNGs are rendered from the SVG once (scripts/render-icons.sh) and kept in the
# repository, so a build needs no image tools and every build ships the same pixels.
install(FILES packaging/icons/purvex.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES packaging/icons/${size}x${size}/purvex.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME purvex)
set(CPACK_PACKAGE_VENDOR "The Purvex developers")
# Whoever builds the package names themselves, with an address, as Debian asks: given at
# configure time, or taken as Debian's own tools take it (DEBFULLNAME and DEBEMAIL), else the
# builder's git identity, else the builder's login on this host; never an address made up for
# the occasion.
find_package(Git QUIET)
set(purvex_builder_name "$ENV{DEBFULLNAME}")
set(purvex_builder_address "$ENV{DEBEMAIL}")
if(GIT_FOUND)
    if(purvex_builder_name STREQUAL "")
        execute_process(COMMAND ${GIT_EXECUTABLE} config user.name
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE purvex_builder_name OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
    if(purvex_builder_address STREQUAL "")
        execute_process(COMMAND ${GIT_EXECUTABLE} config user.email
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE purvex_builder_address OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
endif()
if(purvex_builder_address STREQUAL "")
    execute_process(COMMAND id -un OUTPUT_VARIABLE purvex_login OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET)
    cmake_host_system_information(RESULT purvex_host QUERY FQDN)
    set(purvex_builder_address "${purvex_login}@${purvex_host}")
endif()
if(purvex_builder_name STREQUAL "")
    set(purvex_builder_name "Purvex packager")
endif()
set(PURVEX_PACKAGE_CONTACT "${purvex_builder_name} <${purvex_builder_address}>" CACHE STRING
    "The .deb's maintainer, as \"Name <address>\"")
set(CPACK_PACKAGE_CONTACT "${PURVEX_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Lines of the .deb's description as apt shows them: at most 80 characters each.
set(CPACK_PACKAGE_DESCRIPTION
    "Purvex keeps what you buy by mail order, the mail-in rebates you claim and
what you sell at auction in one local database file, so that an order that
never arrives, a rebate that is never paid or a buyer who never pays is
noticed. Started from the desktop it keeps its data in ~/Purvex.

The package includes pvxadmin, the command-line companion that makes new and
demo databases, checks a file, lists what is due and prints reports without a
window, for scripts and scheduled jobs.")

# The copyright file and the changelog, where Debian looks for them; the changelog, signed
# with the package's contact, is compressed as Debian compresses it (no name or time stamp,
# so each build is the same).
set(PURVEX_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/purvex)
configure_file(packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${PURVEX_GZIP} -9nkf ${PROJECT_BINARY_DIR}/packaging/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog
    VERBATIM)
add_custom_target(changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES packaging/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    DESTINATION ${PURVEX_DOC_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(PROJECT_HOMEPAGE_URL)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
endif()
# dpkg-shlibdeps finds the Qt, SQLite, libpq and libmdb (Access-format import) libraries the
# programs link; what they load at run
# time is named here: the report font, a sans-serif font for the windows (without one Qt
# falls back to whatever fontconfig has, a monospaced font on a minimal install, and the
# captions no longer fit their buttons), and the platform plugins (including the offscreen
# one that pvxadmin prints reports with).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help engine reads the help through the SQLite driver of Qt SQL, a plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-liberation, fonts-dejavu-core, qt6-qpa-plugins, libqt6sql6-sqlite, libpq5")
include(CPack)
