# GNOME Shell extensions come in two forms that cannot share a folder (both
# are extension.js): 43 and 44 load `imports` and call init(), 45 and later
# load an ES module. One body serves both: this writes it into the form
# asked for, with the imports it names.
#
# walkers_gnome_extension(DIRECTORY dir FORM imports|module UUID uuid
#     NAME name DESCRIPTION text BODY file GI Gio GLib ... [MAIN])
set(WALKERS_GNOME_EXTENSION_TEMPLATES ${CMAKE_CURRENT_LIST_DIR}/../packaging/gnome-shell)

function(walkers_gnome_extension)
    cmake_parse_arguments(ext "MAIN" "DIRECTORY;FORM;UUID;NAME;DESCRIPTION;BODY" "GI" ${ARGN})
    set(GNOME_EXTENSION_IMPORTS "")
    if(ext_FORM STREQUAL "imports")
        list(JOIN ext_GI ", " names)
        set(GNOME_EXTENSION_IMPORTS "const {${names}} = imports.gi;")
        if(ext_MAIN)
            string(APPEND GNOME_EXTENSION_IMPORTS "\nconst Main = imports.ui.main;")
        endif()
        set(GNOME_EXTENSION_SHELL_VERSIONS "\"43\", \"44\"")
    elseif(ext_FORM STREQUAL "module")
        set(lines "")
        foreach(name IN LISTS ext_GI)
            list(APPEND lines "import ${name} from 'gi://${name}';")
        endforeach()
        if(ext_MAIN)
            list(APPEND lines "import * as Main from 'resource:///org/gnome/shell/ui/main.js';")
        endif()
        list(JOIN lines "\n" GNOME_EXTENSION_IMPORTS)
        set(GNOME_EXTENSION_SHELL_VERSIONS "\"45\", \"46\", \"47\", \"48\", \"49\"")
    else()
        message(FATAL_ERROR "a GNOME Shell extension's form is imports or module, not ${ext_FORM}")
    endif()
    file(READ ${ext_BODY} GNOME_EXTENSION_BODY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ext_BODY})
    set(GNOME_EXTENSION_UUID ${ext_UUID})
    set(GNOME_EXTENSION_NAME ${ext_NAME})
    set(GNOME_EXTENSION_DESCRIPTION ${ext_DESCRIPTION})
    configure_file(${WALKERS_GNOME_EXTENSION_TEMPLATES}/extension-${ext_FORM}.js.in
                   ${ext_DIRECTORY}/extension.js @ONLY)
    configure_file(${WALKERS_GNOME_EXTENSION_TEMPLATES}/metadata.json.in
                   ${ext_DIRECTORY}/metadata.json @ONLY)
endfunction()
