# cmake --install lays out a self-contained program folder (the executables, the icon and a
# README: the program keeps its list, its report and its downloads beside its executable, so
# the folder must be one the user can write) and registers it with the desktop: a freedesktop
# entry, the icon in every size and the software-centre description in the XDG places under
# the same prefix.
#
#   <prefix>/opt/corvanite/{Corvanite,corvanite-cli,corvanite.png,README}
#   <prefix>/bin/corvanite-cli -> ../opt/corvanite/corvanite-cli
#   <prefix>/share/applications/corvanite.desktop
#   <prefix>/share/icons/hicolor/<N>x<N>/apps/corvanite.png   (N = 16 ... 256)
#   <prefix>/share/icons/hicolor/scalable/apps/corvanite.svg
#   <prefix>/share/metainfo/org.brellwick.Corvanite.metainfo.xml
#
# The default prefix is ~/.local, whose share/ folder is the desktop's own per-user place.
include(${PROJECT_SOURCE_DIR}/cmake/version_record.cmake)

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND DEFINED ENV{HOME})
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local" CACHE PATH "Install prefix" FORCE)
endif()
set(CORVANITE_INSTALL_FOLDER "opt/corvanite" CACHE STRING
    "The program folder, relative to the install prefix")

set(corvanite_icon ${PROJECT_SOURCE_DIR}/dist/icons/32x32/corvanite.png)
install(FILES ${corvanite_icon} DESTINATION ${CORVANITE_INSTALL_FOLDER})
install(FILES ${PROJECT_SOURCE_DIR}/dist/README DESTINATION ${CORVANITE_INSTALL_FOLDER})

if(TARGET corvanite-cli)
  install(TARGETS corvanite-cli RUNTIME DESTINATION ${CORVANITE_INSTALL_FOLDER})
  # On the PATH too; the link resolves to the folder, so the files stay beside the program.
  install(CODE "
    set(corvanite_folder \"${CORVANITE_INSTALL_FOLDER}\")
    set(corvanite_link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/corvanite-cli\")
    file(RELATIVE_PATH corvanite_target \"\${CMAKE_INSTALL_PREFIX}/bin\"
         \"\${CMAKE_INSTALL_PREFIX}/\${corvanite_folder}/corvanite-cli\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(REMOVE \"\${corvanite_link}\")
    file(CREATE_LINK \"\${corvanite_target}\" \"\${corvanite_link}\" SYMBOLIC)
    message(STATUS \"Installing: \${corvanite_link} -> \${corvanite_target}\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${corvanite_link}\")")
endif()

if(TARGET Corvanite)
  install(TARGETS Corvanite RUNTIME DESTINATION ${CORVANITE_INSTALL_FOLDER})
  # The sizes scripts/render_icons.sh renders.
  foreach(side IN ITEMS 16 22 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/dist/icons/${side}x${side}/corvanite.png
            DESTINATION share/icons/hicolor/${side}x${side}/apps)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/dist/icons/corvanite.svg
          DESTINATION share/icons/hicolor/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/dist/org.brellwick.Corvanite.metainfo.xml
          DESTINATION share/metainfo)
  # The entry names the installed program by its full path, known only at install time
  # (cmake --install --prefix may move it).
  install(CODE "
    set(CORVANITE_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/dist/corvanite.desktop.in\")
    set(CORVANITE_INSTALL_FOLDER \"${CORVANITE_INSTALL_FOLDER}\")
    set(CORVANITE_FILE_VERSION \"${CORVANITE_FILE_VERSION}\")
    set(CORVANITE_FILE_DESCRIPTION \"${CORVANITE_FILE_DESCRIPTION}\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/desktop_entry.cmake\")")
endif()
