# kestrova_add_file_server_test(NAME SOURCES... [LIBRARIES ...] [WITH_XVFB] [HARNESS_OPTIONS ...])
# A GoogleTest program run as one CTest test inside with-file-server (and with-xvfb with
# WITH_XVFB); skipped without root, and its tests skip themselves without the harness.
set(KESTROVA_FILE_SERVER_HARNESS ${CMAKE_CURRENT_LIST_DIR}/with-file-server)
set(KESTROVA_XVFB_HARNESS ${CMAKE_CURRENT_LIST_DIR}/with-xvfb)
set(KESTROVA_DESKTOP_HARNESS ${CMAKE_CURRENT_LIST_DIR}/with-desktop)
set(KESTROVA_BUS_HARNESS ${CMAKE_CURRENT_LIST_DIR}/with-session-bus)

function(kestrova_add_file_server_test name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "WITH_XVFB" "" "SOURCES;LIBRARIES;HARNESS_OPTIONS")
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE kestrova_test_support ${ARG_LIBRARIES} kestrova_warnings)
    set(harness ${KESTROVA_FILE_SERVER_HARNESS})
    if(ARG_WITH_XVFB)
        set(harness ${KESTROVA_XVFB_HARNESS} ${harness})
    endif()
    add_test(NAME ${name} COMMAND ${harness} ${ARG_HARNESS_OPTIONS} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 LABELS "file-server")
endfunction()
