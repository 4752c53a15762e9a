# Installation under any prefix (the programs find their data as ../share/corvantide) and the
# Debian package built from it with `cpack -G DEB`.
include(GNUInstallDirs)

set(CORVANTIDE_APP_ID io.github.corvantide.Corvantide)
set(CORVANTIDE_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/corvantide)

if(TARGET corvantide)
    install(TARGETS corvantide RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# A command-line tool that generates its own manual page and completion installs them together
# with itself from cli/; otherwise the program alone, and a manual page kept in the tree.
if(NOT TARGET corvantide-cli-docs-files)
    install(TARGETS corvantide-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(EXISTS ${PROJECT_SOURCE_DIR}/cli/corvantide-cli.1)
        install(FILES ${PROJECT_SOURCE_DIR}/cli/corvantide-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
    if(EXISTS ${PROJECT_SOURCE_DIR}/cli/corvantide-cli.bash)
        install(FILES ${PROJECT_SOURCE_DIR}/cli/corvantide-cli.bash
                DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME corvantide-cli)
    endif()
endif()

# The shipped settings, which each user's own copy starts from, the dictionaries and the suffix
# catalogue, each data file with its licence notice.
install(FILES data/Config.ini data/en.dct data/zh-cn.dct data/dictionaries-copyright.txt data/suffixes.tsv
              data/suffixes-copyright.txt
        DESTINATION ${CORVANTIDE_DATA_INSTALL_DIR})

install(FILES data/${CORVANTIDE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${CORVANTIDE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/icons/${CORVANTIDE_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
    install(FILES data/icons/${CORVANTIDE_APP_ID}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${CORVANTIDE_APP_ID}.png)
endforeach()

set(CPACK_PACKAGE_NAME corvantide)
set(CPACK_PACKAGE_VENDOR "The Corvantide developers")
set(CPACK_PACKAGE_CONTACT "The Corvantide developers <corvantide@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find unregistered domain names in bulk")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvantide asks the registries' WHOIS servers about many domain names at once and shows which\n"
    "of them are still free to register. Names come from query patterns, from word lists built\n"
    "from English or Chinese text, web pages or dictionaries (Chinese turned into pinyin). It\n"
    "has a Qt desktop program in English and Simplified Chinese and the command-line tool\n"
    "corvantide-cli on the same core.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://corvantide.github.io/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop program opens web pages and files with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
