# Packs the build into a .deb and reads back its file list and control fields.
# cmake -DBUILD_DIR=... -DOUT=... -P check_package.cmake
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${OUT}
    OUTPUT_QUIET RESULT_VARIABLE failed)
file(GLOB deb ${OUT}/tabbywatch_*.deb)
if(failed OR NOT deb)
    message(FATAL_ERROR "cpack made no package")
endif()
execute_process(COMMAND dpkg-deb -c ${deb} OUTPUT_VARIABLE files)
execute_process(COMMAND dpkg-deb -f ${deb} Depends OUTPUT_VARIABLE depends)
execute_process(COMMAND dpkg-deb -I ${deb} OUTPUT_VARIABLE info)

foreach(path bin/tabbywatch share/tabbywatch/status_writer.py share/tabbywatch/tabbywatch_hook.py
        share/applications/org.tabbywatch.Tabbywatch.desktop
        share/metainfo/org.tabbywatch.Tabbywatch.metainfo.xml share/icons/hicolor/16x16/apps/tabbywatch.png
        share/icons/hicolor/scalable/apps/tabbywatch.svg "share/tabbywatch/Skins/[^ ]*/idle@240.mp4")
    if(NOT files MATCHES " \\./[^ ]*/${path}\n")
        message(FATAL_ERROR "not in the package: ${path}")
    endif()
endforeach()
# Everything under the prefix; no maintainer script that could reach into a home folder.
if(files MATCHES " \\./(home|root|etc)/|__pycache__|tabbywatch/desktop/" OR info MATCHES "(pre|post)(inst|rm)")
    message(FATAL_ERROR "the package reaches outside its prefix:\n${files}\n${info}")
endif()
foreach(dependency python3 gstreamer1.0-libav gstreamer1.0-plugins-good qml6-module-qtquick-controls
        qml6-module-qtquick-dialogs qt6-qpa-plugins "libqt6quick6 \\(>= 6" "libgstreamer1.0-0 \\(>=")
    if(NOT depends MATCHES "(^|, )${dependency}")
        message(FATAL_ERROR "Depends lacks ${dependency}: ${depends}")
    endif()
endforeach()
