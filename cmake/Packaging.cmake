# The installed folder is the portable program folder: the window programs,
# inkwright-batch and inkwright-write with templates/ and an empty products/
# beside them (installed by src/app), the icon, and a desktop entry. CPack packs that folder as a .tar.gz:
#   cmake --install <build> --prefix <folder>
#   cd <build> && cpack -G TGZ

if(WIN32)
    # On Windows the folder is the programs, templates/ and products/, packed
    # as a .zip that unpacks anywhere (the window icon is built into them).
    set(CPACK_GENERATOR ZIP)
else()
    set(CPACK_GENERATOR TGZ)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/inkwright.png DESTINATION .)
    install(PROGRAMS ${PROJECT_SOURCE_DIR}/resources/desktop-entry.sh DESTINATION .)

    # A desktop entry names files by absolute path, so it is written once the
    # folder's place is known: at install time for an installed folder. An archive
    # is unpacked wherever the user likes; there desktop-entry.sh writes the
    # entry when run from the unpacked folder.
    install(CODE [[
        if(NOT CMAKE_INSTALL_PREFIX MATCHES "/_CPack_Packages/")
            execute_process(
                COMMAND sh "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/desktop-entry.sh" --folder "${CMAKE_INSTALL_PREFIX}"
                OUTPUT_QUIET
                RESULT_VARIABLE status)
            if(NOT status EQUAL 0)
                message(FATAL_ERROR "Could not write inkwright.desktop")
            endif()
            message(STATUS "Installing: $ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/inkwright.desktop")
        endif()
    ]])
endif()

set(CPACK_PACKAGE_NAME Inkwright)
set(CPACK_PACKAGE_VENDOR Inkwright)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_FILE_NAME "Inkwright-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
# The archive unpacks into one folder named like the archive.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
include(CPack)
