# cmake -DMANIFEST=path/to/install_manifest.txt -P KestrovaUninstall.cmake
# Removes every file an installation wrote, as its manifest lists them, then refreshes
# the MIME and desktop databases of the data folders it removed files from.
if(NOT EXISTS "${MANIFEST}")
    message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist (install first)")
endif()
include("${CMAKE_CURRENT_LIST_DIR}/KestrovaDesktopDatabases.cmake")

file(STRINGS "${MANIFEST}" installed)
set(datadirs "")
foreach(file IN LISTS installed)
    if(EXISTS "${file}" OR IS_SYMLINK "${file}")
        message(STATUS "Removing ${file}")
        file(REMOVE "${file}")
    endif()
    if(file MATCHES "^(.*)/(mime/packages|applications)/[^/]+$")
        list(APPEND datadirs "${CMAKE_MATCH_1}")
    endif()
endforeach()

list(REMOVE_DUPLICATES datadirs)
foreach(datadir IN LISTS datadirs)
    kestrova_refresh_desktop_databases("${datadir}")
endforeach()
