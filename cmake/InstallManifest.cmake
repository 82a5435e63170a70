# Included at the very end of an install. CMake would write its list of the installed files into
# the build folder, which an install run as root must leave alone; the list goes into the installed
# tree instead, beside the bundle, where it also serves to remove the installation again.
set(manifest "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${NULLWELL_INSTALL_DIR}/install_manifest.txt")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${manifest}")
list(JOIN CMAKE_INSTALL_MANIFEST_FILES "\n" manifestContent)
file(WRITE "${manifest}" "${manifestContent}\n")
message(STATUS "Installed files are listed in ${manifest}")
