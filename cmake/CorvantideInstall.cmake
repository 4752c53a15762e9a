# Installation under any prefix (the programs find their data as ../share/corvantide) and the
# Debian package built from it with `cpack -G DEB`. The command-line tool, its manual page and
# completions are installed from cli/.
include(GNUInstallDirs)

set(CORVANTIDE_APP_ID io.github.corvantide.corvantide)
set(CORVANTIDE_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/corvantide)

# The shipped settings, which each user's own copy starts from, the dictionaries and the suffix
# catalogue, each data file with its licence notice.
install(FILES data/Config.ini data/en.dct data/zh-cn.dct data/dictionaries-copyright.txt data/suffixes.tsv
              data/suffixes-closed.tsv data/suffixes-copyright.txt data/popular-suffixes.txt data/whois-marks.tsv
        DESTINATION ${CORVANTIDE_DATA_INSTALL_DIR})
# The licence notice of the pinyin word readings built into the programs.
install(FILES data/phrases-copyright.txt DESTINATION ${CORVANTIDE_DATA_INSTALL_DIR})

# The desktop program with its menu entry, icons and software-centre metadata: all or nothing.
if(TARGET corvantide)
    install(TARGETS corvantide RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES data/${CORVANTIDE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES data/${CORVANTIDE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES data/icons/${CORVANTIDE_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 48 128 256)
        install(FILES data/icons/${CORVANTIDE_APP_ID}-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME ${CORVANTIDE_APP_ID}.png)
    endforeach()
endif()

# The package's copyright file (every licence of the program and its data) and its changelog,
# compressed as Debian wants it.
set(CORVANTIDE_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/corvantide)
set(package_changelog ${CMAKE_BINARY_DIR}/share/doc/corvantide/changelog)
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT ${package_changelog}.gz
                   COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/debian/changelog ${package_changelog}
                   COMMAND ${GZIP_PROGRAM} -9nf ${package_changelog}
                   DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog
                   COMMENT "Compressing the package's changelog")
add_custom_target(corvantide-package-changelog ALL DEPENDS ${package_changelog}.gz)
install(FILES data/debian/copyright ${package_changelog}.gz DESTINATION ${CORVANTIDE_DOC_INSTALL_DIR})

set(CPACK_PACKAGE_NAME corvantide)
set(CPACK_PACKAGE_VENDOR "The Corvantide developers")
set(CPACK_PACKAGE_CONTACT "The Corvantide developers <corvantide@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find unregistered domain names in bulk")
# Lines of at most 80 columns: dpkg shows them as they are.
set(CPACK_PACKAGE_DESCRIPTION
    "Corvantide asks each suffix's registry (WHOIS or RDAP, after an optional DNS\n"
    "check) about many domain names at once and shows which of them are still free\n"
    "to register. Names come from query patterns and from word lists built from\n"
    "English or Chinese text, web pages or dictionaries (Chinese turned into\n"
    "pinyin). It has a Qt desktop program in English and Simplified Chinese and\n"
    "the command-line tool corvantide-cli on the same core.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://corvantide.github.io/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(TARGET corvantide)
    # The desktop program opens web pages and files with xdg-open.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
endif()
include(CPack)
