# Installs the game for the current user by default (~/.local):
#   lib/deskwreck/        the program folder: the executable, its wave files, alsoft.conf and,
#                         once the settings dialog has been used, the settings files
#   bin/deskwreck         a relative link into the program folder
#   share/applications/   the desktop entry
#   share/icons/hicolor/  the icon at the usual sizes
#   share/metainfo/       the AppStream metainfo
# The game finds its program folder through the executable's resolved path, so the link works.

set(DESKWRECK_ID org.example.Deskwreck)

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND DEFINED ENV{HOME})
    set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local" CACHE PATH "Install prefix" FORCE)
endif()

set(program_folder lib/deskwreck)

install(TARGETS deskwreck RUNTIME DESTINATION ${program_folder})
install(FILES
    ${PROJECT_SOURCE_DIR}/resources/sounds/shoot.wav
    ${PROJECT_SOURCE_DIR}/resources/sounds/dart.wav
    ${PROJECT_SOURCE_DIR}/resources/sounds/love.wav
    ${PROJECT_SOURCE_DIR}/resources/sounds/succ.wav
    ${PROJECT_SOURCE_DIR}/resources/sounds/guit.wav
    ${PROJECT_SOURCE_DIR}/components/alsoft.conf
    DESTINATION ${program_folder})

# A dangling link in the build tree, installed as the link it is.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/install-link)
file(CREATE_LINK ../${program_folder}/deskwreck ${PROJECT_BINARY_DIR}/install-link/deskwreck
     SYMBOLIC)
install(FILES ${PROJECT_BINARY_DIR}/install-link/deskwreck DESTINATION bin)

foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${size}x${size}/deskwreck.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${DESKWRECK_ID}.png)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/data/${DESKWRECK_ID}.metainfo.xml DESTINATION share/metainfo)

# The menu starts the game by its full path: a fresh ~/.local/bin is often not on the PATH
# until the next login. The prefix is known only at install time (cmake --install --prefix).
# An install staged under DESTDIR is a package's, for /usr: it starts the game from the PATH.
install(CODE "
    set(DESKWRECK_EXEC \"\\\"\${CMAKE_INSTALL_PREFIX}/bin/deskwreck\\\"\")
    if(NOT \"\$ENV{DESTDIR}\" STREQUAL \"\")
        set(DESKWRECK_EXEC deskwreck)
    endif()
    configure_file(\"${PROJECT_SOURCE_DIR}/data/${DESKWRECK_ID}.desktop.in\"
                   \"${PROJECT_BINARY_DIR}/install-desktop/${DESKWRECK_ID}.desktop\" @ONLY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\" TYPE FILE
         FILES \"${PROJECT_BINARY_DIR}/install-desktop/${DESKWRECK_ID}.desktop\")
")
