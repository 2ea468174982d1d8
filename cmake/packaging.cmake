# The Debian package that scripts/package makes with CPack: the three programs, the desktop
# entry and icon, the manual pages, the README, the copyright and the changelog. Its
# dependencies are the shared libraries dpkg-shlibdeps finds the programs linking, so a library
# a part of the program starts to link is picked up with no change here.
include(GNUInstallDirs)

set(LUMARO_PACKAGE_NAME lumaro-configurator)
set(LUMARO_PACKAGE_CONTACT
    "LUMARO Configurator maintainers <maintainers@users.noreply.c-seed-9042aadb.example>")
set(lumaro_debian ${PROJECT_SOURCE_DIR}/cmake/debian)
set(lumaro_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${LUMARO_PACKAGE_NAME})

# The package's version is the project's, and the changelog's newest entry must name it.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${lumaro_debian}/changelog)
file(STRINGS ${lumaro_debian}/changelog lumaro_changelog_top LIMIT_COUNT 1)
string(REGEX MATCH "^${LUMARO_PACKAGE_NAME} \\(([^)]*)\\)" lumaro_changelog_top "${lumaro_changelog_top}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "cmake/debian/changelog: the newest entry is for version "
                        "\"${CMAKE_MATCH_1}\"; add one for ${PROJECT_VERSION} above it")
endif()

# Manual pages and the larger documents go in compressed without a name or time stamp in the
# gzip header, as Debian's policy asks, so that two builds give the same bytes.
find_program(LUMARO_GZIP gzip REQUIRED)
set(lumaro_man_pages lumaro-configurator lumaro-cli)
if(LUMARO_WITH_SIM)
    list(APPEND lumaro_man_pages lumaro-controller-sim)
endif()
set(lumaro_compressed_dir ${CMAKE_CURRENT_BINARY_DIR}/compressed)
set(lumaro_compressed)
function(lumaro_compress source name)
    set(copy ${lumaro_compressed_dir}/${name})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND ${LUMARO_GZIP} -9nf ${copy}
        DEPENDS ${source}
        VERBATIM)
    set(lumaro_compressed ${lumaro_compressed} ${copy}.gz PARENT_SCOPE)
endfunction()
foreach(page IN LISTS lumaro_man_pages)
    lumaro_compress(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${page}.1)
endforeach()
lumaro_compress(${PROJECT_SOURCE_DIR}/README.md README.md)
lumaro_compress(${lumaro_debian}/changelog changelog)
add_custom_target(lumaro-package-docs ALL DEPENDS ${lumaro_compressed})

list(TRANSFORM lumaro_man_pages PREPEND ${lumaro_compressed_dir}/ OUTPUT_VARIABLE lumaro_man_files)
list(TRANSFORM lumaro_man_files APPEND .1.gz)
install(FILES ${lumaro_man_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${lumaro_compressed_dir}/README.md.gz ${lumaro_compressed_dir}/changelog.gz
              ${lumaro_debian}/copyright
        DESTINATION ${lumaro_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${LUMARO_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR LUMARO)
set(CPACK_PACKAGE_CONTACT ${LUMARO_PACKAGE_CONTACT})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure LUMARO metering controllers over RS-485")
# CPack indents these lines under the summary and turns the empty one into " .".
set(CPACK_PACKAGE_DESCRIPTION
"The service engineer's utility for the LUMARO battery-powered metering
controller, reached through a serial port (an RS-485 adapter) while the
controller is in its settings mode. It authorises with the access password,
reads and writes the controller settings and the analog and digital (meter)
channel tables, reads the current readings, tests the modem, uploads the
firmware built into it, and exports and imports the channel configuration.

The package holds the window (lumaro-configurator, in Russian), lumaro-cli,
which reads, applies and checks settings from scripts, and
lumaro-controller-sim, a simulated controller on a pseudo-terminal for trying
both without hardware.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A Qt plugin is loaded at run time, so dpkg-shlibdeps cannot see it: a part that needs one
# (a Qt SQL driver such as libqt6sql6-sqlite, an image format) names its package here, and
# CPack adds it to the computed list. The history opens SQLite and PostgreSQL through theirs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${lumaro_debian}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Directories the install creates get these modes whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
