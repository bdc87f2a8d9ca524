# SPDX-License-Identifier: GPL-3.0-or-later
# Windows resources for a program: the icon, a version resource and the manifest (long-path
# awareness, supported systems, no elevation).
#   zanora_windows_resources(<target> <file name> <description>)
function(zanora_windows_resources target filename description)
    set(ZANORA_RC_FILENAME ${filename})
    set(ZANORA_RC_DESCRIPTION ${description})
    get_filename_component(ZANORA_RC_NAME ${filename} NAME_WE)
    set(ZANORA_RC_ICON ${PROJECT_SOURCE_DIR}/ui/app/zanora.ico)
    set(ZANORA_RC_MANIFEST ${PROJECT_BINARY_DIR}/windows/zanora.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/dist/windows/zanora.manifest
        ${ZANORA_RC_MANIFEST} @ONLY)
    set(rc ${PROJECT_BINARY_DIR}/windows/${ZANORA_RC_NAME}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/dist/windows/zanora.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
