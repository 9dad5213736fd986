# Debian package of the installed program: cpack -G DEB in the build folder
# makes kamseldemo_<version>_<arch>.deb, installable with
# apt install ./kamseldemo_*.deb.
set(CPACK_PACKAGE_NAME kamseldemo)
set(CPACK_PACKAGE_VENDOR "KamselDemo developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Lines of the extended description stay within 80 columns (Debian policy);
# dpkg folds nothing.
set(CPACK_PACKAGE_DESCRIPTION
    "Two camera panes side by side, each with its own device, video size,
image controls and display mode, including a surveillance mode that saves
changed frames as JPEG snapshots. Reads V4L2 cameras and the virtual
cameras declared in KAMSEL_VIRTUAL_CAMERAS.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KamselDemo developers <kamseldemo@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Shared-library dependencies come from dpkg-shlibdeps; Qt's platform plugins
# are loaded at run time, so no library reference names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The desktop database and icon cache are refreshed by the triggers of
# desktop-file-utils and the icon themes, when installed.
# The package has no maintainer scripts: see KAMSEL_INSTALL_PROGRAM_DIR in
# app/CMakeLists.txt for why CPack adds no ldconfig call.

include(CPack)
