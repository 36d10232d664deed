# desktop_entry: writes share/applications/moxelpark.desktop at install time.
#
# Run from the install script (cmake --install), where CMAKE_INSTALL_PREFIX is the prefix being
# installed to, so the entry starts <prefix>/bin/moxelpark whether or not that folder is on the PATH
# of the desktop session. Honours DESTDIR and records the file in the install manifest like any
# installed file.

# Exec's value: the launcher's path quoted as the desktop entry format asks. Inside the quotes
# backslash, double quote, backquote and dollar take a backslash; then the whole value is escaped as a
# string (each backslash doubled), and a percent sign is written twice.
set(moxel_launcher "${CMAKE_INSTALL_PREFIX}/bin/moxelpark")
string(REPLACE "\\" "\\\\\\\\" moxel_exec "${moxel_launcher}")
string(REPLACE "\"" "\\\\\"" moxel_exec "${moxel_exec}")
string(REPLACE "`" "\\\\`" moxel_exec "${moxel_exec}")
string(REPLACE "$" "\\\\$" moxel_exec "${moxel_exec}")
string(REPLACE "%" "%%" moxel_exec "${moxel_exec}")
set(MOXEL_DESKTOP_EXEC "\"${moxel_exec}\"")

set(moxel_entry "${CMAKE_INSTALL_PREFIX}/share/applications/moxelpark.desktop")
message(STATUS "Installing: $ENV{DESTDIR}${moxel_entry}")
file(READ "${CMAKE_CURRENT_LIST_DIR}/moxelpark.desktop.in" moxel_template)
file(CONFIGURE OUTPUT "$ENV{DESTDIR}${moxel_entry}" CONTENT "${moxel_template}" @ONLY)
file(CHMOD "$ENV{DESTDIR}${moxel_entry}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "$ENV{DESTDIR}${moxel_entry}")
