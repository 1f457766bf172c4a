# kestrova_add_file_server_test(NAME SOURCES... [LIBRARIES ...] [WITH_XVFB]
#                               [HARNESS_OPTIONS --mac-share NAME ...])
# A GoogleTest program run by CTest as one test inside tests/harness/with-file-server,
# which gives it a real SMB server, session bus and GVfs; WITH_XVFB runs that on an X
# server of its own (tests/harness/with-xvfb). Where the harness cannot start them
# (without root) it exits with 77, which CTest reports as skipped. Run directly, without
# the harness, the program's tests skip themselves.
set(KESTROVA_FILE_SERVER_HARNESS ${CMAKE_CURRENT_LIST_DIR}/with-file-server)
set(KESTROVA_XVFB_HARNESS ${CMAKE_CURRENT_LIST_DIR}/with-xvfb)

function(kestrova_add_file_server_test name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "WITH_XVFB" "" "SOURCES;LIBRARIES;HARNESS_OPTIONS")
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE kestrova_test_support ${ARG_LIBRARIES} kestrova_warnings)
    set(harness ${KESTROVA_FILE_SERVER_HARNESS})
    if(ARG_WITH_XVFB)
        set(harness ${KESTROVA_XVFB_HARNESS} ${KESTROVA_FILE_SERVER_HARNESS})
    endif()
    add_test(NAME ${name} COMMAND ${harness} ${ARG_HARNESS_OPTIONS} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 LABELS "file-server")
endfunction()
