# The exception log's traces name our functions, files and lines: every build keeps the
# unwind tables that backtrace(3) walks and at least the line tables that eu-addr2line
# reads (RelWithDebInfo and Debug have full debug information already). The install
# copies the programs as built: nothing strips them unless `cmake --install --strip`.
add_compile_options(-fasynchronous-unwind-tables)
if(CMAKE_BUILD_TYPE MATCHES "^(Release|MinSizeRel)$")
    add_compile_options(-g1)
endif()
