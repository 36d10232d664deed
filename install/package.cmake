# package: a Debian package of the install, made with `cpack -G DEB` in a build folder.
#
# The package holds exactly what `cmake --install` puts under /usr. Its dependencies are found by
# dpkg-shlibdeps from the libraries the program links (GLFW, OpenAL, libGL, the C++ runtime), never
# typed here, so they follow whatever the build machine links. Binaries are stripped and folders get
# the standard 0755 that lintian checks for, whatever the packager's umask.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME moxelpark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Moxelpark Team")
set(CPACK_PACKAGE_CONTACT "The Moxelpark Team <team@moxelpark.example>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://moxelpark.example)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "small arcade golf game\n"
    "Set the power on the meter, play the stroke and bounce the ball off every\n"
    "target on the hole: only then does the cup open. The game type decides how\n"
    "many targets each hole holds. Highscores, badges and settings are kept for\n"
    "each player.")

include(CPack)
