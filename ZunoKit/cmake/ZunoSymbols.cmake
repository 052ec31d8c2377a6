# Copies the icons that the symbol registry's table names from the npm icon set into the resources
# (share/zunocam/symbols/{outline,filled}/), for the build tree and the installed prefix. The table
# in ZunoSymbolRegistry.cpp is the one list: each of its rows reads {"symbol.name", "style/file"}.

set(ZUNO_SYMBOL_TABLE ${CMAKE_CURRENT_SOURCE_DIR}/Sources/ZunoKit/Platform/Widgets/ZunoSymbolRegistry.cpp)
set(ZUNO_ICON_SET ${ZUNO_NODE_MODULES}/@tabler/icons/icons)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZUNO_SYMBOL_TABLE})

if(NOT IS_DIRECTORY ${ZUNO_ICON_SET})
    message(FATAL_ERROR "The icon set is missing (${ZUNO_ICON_SET}); run scripts/setup.sh")
endif()

file(STRINGS ${ZUNO_SYMBOL_TABLE} zuno_symbol_rows REGEX "^ *{\"[^\"]+\", \"(outline|filled)/[a-z0-9-]+\"},")
set(zuno_symbol_outputs)
set(zuno_symbol_icons)
foreach(row IN LISTS zuno_symbol_rows)
    string(REGEX REPLACE "^.*\"((outline|filled)/[a-z0-9-]+)\".*$" "\\1" icon "${row}")
    list(APPEND zuno_symbol_icons ${icon})
endforeach()
list(REMOVE_DUPLICATES zuno_symbol_icons)
if(NOT zuno_symbol_icons)
    message(FATAL_ERROR "No rows found in the symbol table ${ZUNO_SYMBOL_TABLE}")
endif()

foreach(icon IN LISTS zuno_symbol_icons)
    set(source ${ZUNO_ICON_SET}/${icon}.svg)
    if(NOT EXISTS ${source})
        message(FATAL_ERROR "The symbol table names ${icon}, which the icon set does not have")
    endif()
    set(output ${ZUNO_BUILD_RESOURCES}/symbols/${icon}.svg)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${output}
        DEPENDS ${source}
        VERBATIM)
    list(APPEND zuno_symbol_outputs ${output})
    get_filename_component(style ${icon} DIRECTORY)
    install(FILES ${source} DESTINATION ${CMAKE_INSTALL_DATADIR}/zunocam/symbols/${style})
endforeach()

add_custom_target(ZunoKitSymbols ALL DEPENDS ${zuno_symbol_outputs})
add_dependencies(ZunoKitUI ZunoKitSymbols)
