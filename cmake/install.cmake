# cmake --install lays the program out the way the file system hierarchy has it, the same for a
# system install (the default prefix /usr/local; the Debian package's /usr) and a per-user one
# (--prefix ~/.local):
#
#   <prefix>/bin/corvanite                                     the dialog
#   <prefix>/bin/corvanite-cli
#   <prefix>/share/applications/corvanite.desktop
#   <prefix>/share/icons/hicolor/<N>x<N>/apps/corvanite.png    (N = 16 ... 256)
#   <prefix>/share/icons/hicolor/scalable/apps/corvanite.svg
#   <prefix>/share/metainfo/org.brellwick.Corvanite.metainfo.xml
#   <prefix>/share/corvanite/corvanite.html                    the help page F1 opens
#   <prefix>/share/man/man1/corvanite.1.gz, corvanite-cli.1.gz
#   <prefix>/share/bash-completion/completions/corvanite-cli
#   <prefix>/share/doc/corvanite/{README,copyright,changelog.gz}
#   <prefix>/lib/systemd/user/corvanite-monitor.{service,timer}   hourly tests, for each user
#                                     (~/.local/share/systemd/user for a prefix of ~/.local)
#
# A program in a bin folder keeps its report and downloads in each user's data folder
# (frontend/working_folder.h), so nothing here needs to be writable.
include(${PROJECT_SOURCE_DIR}/cmake/version_record.cmake)

# Build folders configured when the default prefix was ~/.local keep it in their cache, under
# a description of their own: such a prefix goes back to the default.
get_property(corvanite_prefix_help CACHE CMAKE_INSTALL_PREFIX PROPERTY HELPSTRING)
if(corvanite_prefix_help STREQUAL "Install prefix" AND DEFINED ENV{HOME}
   AND CMAKE_INSTALL_PREFIX STREQUAL "$ENV{HOME}/.local")
  set(CMAKE_INSTALL_PREFIX /usr/local
      CACHE PATH "Install path prefix, prepended onto install directories." FORCE)
endif()

# Whatever the umask of whoever installs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(corvanite_dist ${PROJECT_SOURCE_DIR}/dist)
set(corvanite_built_dist ${PROJECT_BINARY_DIR}/dist)

# Manual pages and the changelog, compressed as Debian wants them: gzip -9, with no name or
# time stamp in the header, so the same text gives the same bytes.
set(corvanite_man_pages corvanite-cli.1)
if(CORVANITE_GUI)
  list(APPEND corvanite_man_pages corvanite.1)
endif()
set(corvanite_compressed)
foreach(page IN LISTS corvanite_man_pages)
  configure_file(${corvanite_dist}/${page}.in ${corvanite_built_dist}/${page} @ONLY)
  list(APPEND corvanite_compressed ${page})
endforeach()
configure_file(${corvanite_dist}/changelog ${corvanite_built_dist}/changelog COPYONLY)
list(APPEND corvanite_compressed changelog)
set(corvanite_gzipped)
foreach(name IN LISTS corvanite_compressed)
  add_custom_command(
    OUTPUT ${corvanite_built_dist}/${name}.gz
    COMMAND gzip -9nf -k ${name}
    DEPENDS ${corvanite_built_dist}/${name}
    WORKING_DIRECTORY ${corvanite_built_dist}
    VERBATIM)
  list(APPEND corvanite_gzipped ${corvanite_built_dist}/${name}.gz)
endforeach()
add_custom_target(corvanite_dist_files ALL DEPENDS ${corvanite_gzipped})

install(TARGETS corvanite-cli RUNTIME DESTINATION bin)
install(FILES ${corvanite_built_dist}/corvanite-cli.1.gz DESTINATION share/man/man1)
install(FILES ${corvanite_dist}/corvanite-cli.bash-completion
        DESTINATION share/bash-completion/completions RENAME corvanite-cli)
install(FILES ${corvanite_dist}/README ${corvanite_dist}/copyright
              ${corvanite_built_dist}/changelog.gz
        DESTINATION share/doc/corvanite)

# The monitoring units name the installed corvanite-cli, so they are made when the prefix is
# known: at install time, which may name another prefix than the build's. The user's manager
# reads <prefix>/lib/systemd/user for /usr and /usr/local, and only share/systemd/user under
# ~/.local.
install(CODE "set(corvanite_dist \"${corvanite_dist}\")")
install(CODE [[
  set(corvanite_bindir "${CMAKE_INSTALL_PREFIX}/bin")
  set(corvanite_units lib/systemd/user)
  if(DEFINED ENV{HOME} AND CMAKE_INSTALL_PREFIX STREQUAL "$ENV{HOME}/.local")
    set(corvanite_units share/systemd/user)
  endif()
  set(corvanite_unit_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${corvanite_units}")
  configure_file("${corvanite_dist}/corvanite-monitor.service.in"
                 "${corvanite_unit_dir}/corvanite-monitor.service" @ONLY)
  configure_file("${corvanite_dist}/corvanite-monitor.timer"
                 "${corvanite_unit_dir}/corvanite-monitor.timer" COPYONLY)
  foreach(unit IN ITEMS service timer)
    message(STATUS "Installing: ${corvanite_unit_dir}/corvanite-monitor.${unit}")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${corvanite_unit_dir}/corvanite-monitor.${unit}")
  endforeach()]])

if(TARGET Corvanite)
  # The build keeps the dialog's own name (tests and scripts start build/app/Corvanite); on
  # the PATH it takes the lower-case name commands have. Installed as a target, so that it is
  # stripped and its run path cleared like any other, then renamed.
  install(TARGETS Corvanite RUNTIME DESTINATION bin)
  install(CODE [[
    set(corvanite_built "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/Corvanite")
    set(corvanite_named "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/corvanite")
    file(RENAME "${corvanite_built}" "${corvanite_named}")
    message(STATUS "Renamed: ${corvanite_built} -> corvanite")
    list(REMOVE_ITEM CMAKE_INSTALL_MANIFEST_FILES "${corvanite_built}")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${corvanite_named}")]])
  install(FILES ${corvanite_built_dist}/corvanite.1.gz DESTINATION share/man/man1)

  configure_file(${corvanite_dist}/corvanite.desktop.in ${corvanite_built_dist}/corvanite.desktop
                 @ONLY)
  install(FILES ${corvanite_built_dist}/corvanite.desktop DESTINATION share/applications)
  # The sizes scripts/render_icons.sh renders.
  foreach(side IN ITEMS 16 22 24 32 48 64 128 256)
    install(FILES ${corvanite_dist}/icons/${side}x${side}/corvanite.png
            DESTINATION share/icons/hicolor/${side}x${side}/apps)
  endforeach()
  install(FILES ${corvanite_dist}/icons/corvanite.svg DESTINATION share/icons/hicolor/scalable/apps)
  install(FILES ${corvanite_dist}/org.brellwick.Corvanite.metainfo.xml DESTINATION share/metainfo)
  # Where F1 of <prefix>/bin/corvanite finds it: ../share/corvanite/ from the program's folder.
  install(FILES ${corvanite_dist}/corvanite.html DESTINATION share/corvanite)
endif()
