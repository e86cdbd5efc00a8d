# Installs into a throwaway prefix and asks the installed program whether it finds its data there.
# cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cmake --install failed")
endif()

set(expected bin/tabbywatch share/tabbywatch/status_writer.py share/tabbywatch/tabbywatch_hook.py
    share/applications/org.tabbywatch.Tabbywatch.desktop share/metainfo/org.tabbywatch.Tabbywatch.metainfo.xml
    share/icons/hicolor/scalable/apps/tabbywatch.svg)
foreach(side 16 22 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${side}x${side}/apps/tabbywatch.png)
endforeach()
foreach(path ${expected})
    if(NOT EXISTS ${PREFIX}/${path})
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(GLOB_RECURSE small RELATIVE ${PREFIX} ${PREFIX}/share/tabbywatch/Skins/*@240.mp4)
file(GLOB_RECURSE stray ${PREFIX}/share/tabbywatch/*__pycache__* ${PREFIX}/share/tabbywatch/desktop/*)
if(NOT small OR stray)
    message(FATAL_ERROR "small copies: '${small}', not meant to be installed: '${stray}'")
endif()

# A throwaway home: the check must not depend on, or write to, the user's own.
file(MAKE_DIRECTORY ${PREFIX}/home)
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${PREFIX}/home XDG_CONFIG_HOME=${PREFIX}/home/.config
        XDG_DATA_HOME=${PREFIX}/home/.local/share ${PREFIX}/bin/tabbywatch --check-installation
    OUTPUT_VARIABLE report RESULT_VARIABLE failed)
message("${report}")
if(failed OR NOT report MATCHES "Data folder: ${PREFIX}/share/tabbywatch\n.*Bundled skins: [1-9]")
    message(FATAL_ERROR "the installed program does not find its data")
endif()

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
    execute_process(COMMAND ${APPSTREAMCLI} validate --no-net
        ${PREFIX}/share/metainfo/org.tabbywatch.Tabbywatch.metainfo.xml RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "metainfo does not validate")
    endif()
endif()
