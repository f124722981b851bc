# pelisk_add_module(<target> EXPORTS <symbol>... SOURCES <file>... [OUTPUT_DIRECTORY <dir>])
#
# Builds a plug-in or the memory manager: an ELF shared object named <target>.dll that
# links its own copy of the core library and exports exactly the listed C symbols.
function(pelisk_add_module target)
    cmake_parse_arguments(ARG "" "OUTPUT_DIRECTORY" "EXPORTS;SOURCES" ${ARGN})
    add_library(${target} MODULE ${ARG_SOURCES})
    set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".dll")
    if(ARG_OUTPUT_DIRECTORY)
        set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
    endif()

    # A version script keeps the dynamic symbol table to the listed exports, whatever
    # template instantiations of the standard library the module happens to emit.
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports)
    list(JOIN ARG_EXPORTS "; " globals)
    file(WRITE ${script} "{ global: ${globals}; local: *; };\n")
    target_link_options(${target} PRIVATE
        -Wl,--exclude-libs,ALL -Wl,-Bsymbolic -Wl,--no-undefined
        -Wl,--version-script=${script})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
    target_link_libraries(${target} PRIVATE pelisk_core)
endfunction()
