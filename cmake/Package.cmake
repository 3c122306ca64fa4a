# make package: build/deskwreck_<version>_<arch>.deb, an install for every user under /usr with
# /usr/lib/deskwreck as the program folder. The players' settings then go to their own folders.
set(package_docs ${PROJECT_BINARY_DIR}/package-docs)
file(MAKE_DIRECTORY ${package_docs})
# Compressed without names or times, so the package is the same at every build.
foreach(doc debian/changelog deskwreck.6)
    get_filename_component(name ${doc} NAME)
    add_custom_command(OUTPUT ${package_docs}/${name}.gz
        COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/${doc} > ${package_docs}/${name}.gz
        DEPENDS ${PROJECT_SOURCE_DIR}/data/${doc})
endforeach()
add_custom_target(package_docs ALL DEPENDS ${package_docs}/changelog.gz ${package_docs}/deskwreck.6.gz)

# Only in the package: a per-user install keeps the files it always had.
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${package_docs}/changelog.gz
        DESTINATION share/doc/deskwreck COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${package_docs}/deskwreck.6.gz DESTINATION share/man/man6
        COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME deskwreck)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Deskwreck! developers <deskwreck@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shoot at a frozen picture of your own desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "Deskwreck! is a small shooting game for the X11 desktop. It freezes a picture
of your desktop, spreads it over the whole screen and lets you shoot at it with
darts, kisses, a shotgun and suction cups, each with its own sound and mark.
A target photograph with a caption jumps to a new place every second: hit it to
score, hit the desktop and lose points. Your real desktop is never touched.

Each player chooses the target's bitmap and caption; the settings are kept in
the player's own folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Installed under DESTDIR with the prefix /usr, so that nothing holds the staging path.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};deskwreck;Unspecified;/;${PROJECT_BINARY_DIR};deskwreck;debian;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": that section is for packages whose commands lie in /usr/games, and this one's is in
# /usr/bin, on every PATH the desktop entry may be started with. Menus file it under Games.
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries dpkg-shlibdeps finds: Qt loads its window-system plugins at run time, and
# without the X11 one, which libqt6gui6 only recommends, the game cannot start.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# The banner's web link opens through xdg-open; in a Wayland session the desktop's picture comes
# from the desktop portal, and Qt's Wayland plugin lets the game run as a Wayland client.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, xdg-desktop-portal, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
