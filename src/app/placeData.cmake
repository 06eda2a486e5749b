# Puts templates/ and products/ in the program folder DEST without touching
# what is there: a template is written only where none exists, so the user's
# edits survive every build and install. Run as
#   cmake -DSOURCE=<templates folder> -DDEST=<program folder> -P placeData.cmake
file(MAKE_DIRECTORY "${DEST}/templates" "${DEST}/products")
foreach(name IN ITEMS topic.txt topic-angle.txt)
    if(NOT EXISTS "${DEST}/templates/${name}" AND NOT IS_SYMLINK "${DEST}/templates/${name}")
        file(COPY "${SOURCE}/${name}" DESTINATION "${DEST}/templates")
        message(STATUS "Installing: ${DEST}/templates/${name}")
    endif()
endforeach()
