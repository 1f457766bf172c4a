# kestrova_add_file_server_test(NAME SOURCES... [LIBRARIES ...])
# A GoogleTest program run by CTest as one test inside tests/harness/with-file-server,
# which gives it a real SMB server, session bus and GVfs. Where the harness cannot start
# them (without root) it exits with 77, which CTest reports as skipped. Run directly,
# without the harness, the program's tests skip themselves.
set(KESTROVA_FILE_SERVER_HARNESS ${CMAKE_CURRENT_LIST_DIR}/with-file-server)

function(kestrova_add_file_server_test name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBRARIES")
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE kestrova_test_support ${ARG_LIBRARIES} kestrova_warnings)
    add_test(NAME ${name} COMMAND ${KESTROVA_FILE_SERVER_HARNESS} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 LABELS "file-server" RUN_SERIAL TRUE)
endfunction()
