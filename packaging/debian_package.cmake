# `make package`: a Debian package of the installed files, built by CPack.
# Its dependencies come from the program's shared libraries, its files are
# stripped, and the build's flags (hardening included) come from
# dpkg-buildflags by way of the Makefile.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME walkers)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The walkers developers")
set(CPACK_PACKAGE_CONTACT "The walkers developers <walkers@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "small figures that walk along the title bar of the window in front")
set(CPACK_PACKAGE_DESCRIPTION
    "A small desktop amusement. A handful of animated figures, short hopping
tubes, walk back and forth along the title bar of whichever window is in
front, turning round at its ends and following it when it moves. They are
drawn in one window cut to exactly their outlines, so everything between
them stays visible and usable. Click a figure, or use the Stop walkers
action of the menu entry, to end them.
.
walkers runs on X11 desktops and on Wayland: it follows the windows of KDE
Plasma (through a script it loads into KWin), GNOME (through its GNOME Shell
extension, installed with it), sway and Hyprland.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # walkers_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
