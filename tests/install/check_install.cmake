# Installs into a throwaway prefix and asks the installed program whether it finds its data there.
# cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cmake --install failed")
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

execute_process(COMMAND appstreamcli validate --no-net
    ${PREFIX}/share/metainfo/org.tabbywatch.Tabbywatch.metainfo.xml RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "metainfo does not validate")
endif()
