# The Debian package: `cpack -G DEB` in a build folder (scripts/package.sh does
# it all) makes lumeward_VERSION_ARCH.deb of what `cmake --install` installs,
# under /usr. The Debian documents (copyright, changelog) install with it.
include(GNUInstallDirs)

set(LUMEWARD_PACKAGE_MAINTAINER "Lumeward developers <maintainers@lumeward.org>"
    CACHE STRING "Maintainer named in the Debian package")

# Debian wants the changelog compressed, without a time stamp inside.
set(changelog ${CMAKE_CURRENT_LIST_DIR}/changelog)
file(STRINGS ${changelog} newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^lumeward \\(${PROJECT_VERSION}\\) ")
    message(WARNING "packaging/changelog names another version than ${PROJECT_VERSION}: ${newest}")
endif()
set(compressedChangelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
    OUTPUT ${compressedChangelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
    COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${changelog} ${compressedChangelog}
    DEPENDS ${changelog}
    VERBATIM)
add_custom_target(lumeward_changelog ALL DEPENDS ${compressedChangelog})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${compressedChangelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumeward)

set(CPACK_PACKAGE_NAME lumeward)
set(CPACK_PACKAGE_VENDOR "The Lumeward developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn web feeds into files")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Lumeward keeps a list of feed addresses, retrieves every item of every listed\n"
    "feed (RSS 2.0, RSS 1.0/RDF, Atom and JSON Feed) into a list where each result\n"
    "can be checked or unchecked, and saves the checked results as one HTML file\n"
    "each into a folder of your choice. It reads feed lists in OPML, finds a\n"
    "site's feed from its page, decodes text as browsers do, reads many feeds side\n"
    "by side, and asks servers only for what changed since the last run.\n"
    "\n"
    "lumeward-batch does the same work without a window, for scripts: it lists\n"
    "the items of feeds as JSON lines or saves them as files.")
set(CPACK_PACKAGE_CONTACT ${LUMEWARD_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LUMEWARD_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://lumeward.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its SVG plugins at run time, so dpkg-shlibdeps cannot see them: the
# window's icon is SVG. The window's captions are laid out for Arial's
# measures, which Liberation Sans shares; Wayland sessions want Qt's plugin.
# The window's own translations are compiled in; Qt's dialogs and key names
# speak the user's language with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-wayland, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
