# Installs like a Linux game and packs a Debian package:
#   cmake --install build --prefix P    P/games/quillon-vale, P/share/quillon-vale/Data, ...
#   cd build && cpack -G DEB             quillon-vale_<version>_<arch>.deb
# The game finds its Data beside the executable or, installed, in
# ../share/quillon-vale next to the executable's folder, so the executable
# folder must stay one level below the prefix.
set(QV_PACKAGING ${PROJECT_SOURCE_DIR}/packaging/linux)
set(QV_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(QV_DOC_DIR share/doc/quillon-vale)

# Desktop icons drawn by our generators at every size of the hicolor theme.
file(GLOB QV_ICON_TOOLS ${PROJECT_SOURCE_DIR}/tools/qvdata/*.py)
set(QV_ICON_SIZES 16 32 48 64 128 256)
set(QV_ICON_FILES "")
foreach(size ${QV_ICON_SIZES})
  list(APPEND QV_ICON_FILES ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/quillon-vale.png)
endforeach()
add_custom_command(
  OUTPUT ${QV_ICON_FILES} ${CMAKE_BINARY_DIR}/data-preview/icons.png
  COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/qvdata/icons.py
          --out ${CMAKE_BINARY_DIR}/icons --preview ${CMAKE_BINARY_DIR}/data-preview
  DEPENDS ${QV_ICON_TOOLS}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Drawing the desktop icons"
  VERBATIM)

# Manual page and changelog, compressed the way Debian wants them (no name or time stamp).
configure_file(${QV_PACKAGING}/quillon-vale.6.in ${QV_PACKAGING_OUT}/quillon-vale.6 @ONLY)
set(QV_GZIPPED ${QV_PACKAGING_OUT}/quillon-vale.6.gz ${QV_PACKAGING_OUT}/changelog.gz)
add_custom_command(
  OUTPUT ${QV_GZIPPED}
  COMMAND sh -c "gzip -9n -c quillon-vale.6 > quillon-vale.6.gz"
  COMMAND sh -c "gzip -9n -c '${QV_PACKAGING}/changelog' > changelog.gz"
  DEPENDS ${QV_PACKAGING_OUT}/quillon-vale.6 ${QV_PACKAGING}/changelog
  WORKING_DIRECTORY ${QV_PACKAGING_OUT}
  VERBATIM)
add_custom_target(packaging-files ALL DEPENDS ${QV_ICON_FILES} ${QV_GZIPPED})

# A fully read-only global offset table, as Debian's own packages are linked.
target_link_options(quillon-vale PRIVATE -Wl,-z,relro,-z,now)
install(TARGETS quillon-vale RUNTIME DESTINATION games)
install(DIRECTORY ${CMAKE_BINARY_DIR}/Data DESTINATION share/quillon-vale)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION share/icons)
install(FILES ${QV_PACKAGING}/quillon-vale.desktop DESTINATION share/applications)
install(FILES ${QV_PACKAGING}/quillon-vale.metainfo.xml DESTINATION share/metainfo)
install(FILES ${QV_PACKAGING_OUT}/quillon-vale.6.gz DESTINATION share/man/man6)
install(FILES ${QV_PACKAGING}/copyright ${QV_PACKAGING_OUT}/changelog.gz
              ${PROJECT_SOURCE_DIR}/tools/qvdata/FONT_CREDITS.txt
        DESTINATION ${QV_DOC_DIR})

# cpack packs what is built (the game, Data, icons) instead of first building
# every test and benchmark; installing reports any of them missing.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon-vale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D sandbox: sculpt an alien island and watch its creatures live")
set(CPACK_PACKAGE_DESCRIPTION
"Quillon Vale is a single-player 3D sandbox. Fly over an alien island,
sculpt its terrain, colour its land, water, sky and clouds, design
creatures, plants and rocks as editable templates, place them, and watch
a small ecosystem live: creatures wander near what they like, hunt what
they eat, breed, grow, sleep, age and die.

Worlds save to slots in the player's documents folder. The game needs
OpenGL 3.3.")
set(QV_PACKAGE_MAINTAINER "Quillon Vale team <quillon-vale@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QV_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
