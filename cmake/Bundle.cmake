# The application ships as a nested bundle: the launcher is the outer bundle's executable and the
# main program is a bundle of its own inside the launcher's folder. Both programs do path arithmetic
# on this tree, so the build lays it out exactly.
set(NULLWELL_PRODUCT "Ostrivan Nullwell")
set(NULLWELL_LAUNCHER_NAME "ostrivan-nullwell")
set(NULLWELL_OUTER_BUNDLE "${CMAKE_BINARY_DIR}/${NULLWELL_PRODUCT}.app")
set(NULLWELL_OUTER_MACOS "${NULLWELL_OUTER_BUNDLE}/Contents/MacOS")
set(NULLWELL_INNER_BUNDLE "${NULLWELL_OUTER_MACOS}/${NULLWELL_PRODUCT}.app")
set(NULLWELL_INNER_MACOS "${NULLWELL_INNER_BUNDLE}/Contents/MacOS")
set(NULLWELL_RESOURCES "${NULLWELL_INNER_BUNDLE}/Contents/Resources")
# Modules the main program loads when it first needs them.
set(NULLWELL_PLUGINS "${NULLWELL_INNER_BUNDLE}/Contents/PlugIns")
# The empty history as made from the schema. Runs from the build folder fill the bundle's copy; this
# one stays empty for installs and tests.
set(NULLWELL_PRISTINE_DATABASE "${CMAKE_BINARY_DIR}/pristine/DataBase.db")
file(MAKE_DIRECTORY "${NULLWELL_INNER_MACOS}" "${NULLWELL_RESOURCES}")

# Where `cmake --install` puts the bundle, below the prefix.
set(NULLWELL_INSTALL_DIR "lib/ostrivan-nullwell")
set(NULLWELL_INSTALLED_MAIN
    "${CMAKE_INSTALL_PREFIX}/${NULLWELL_INSTALL_DIR}/${NULLWELL_PRODUCT}.app/Contents/MacOS/${NULLWELL_PRODUCT}.app/Contents/MacOS/${NULLWELL_PRODUCT}")
set(NULLWELL_INSTALLED_LAUNCHER
    "${CMAKE_INSTALL_PREFIX}/${NULLWELL_INSTALL_DIR}/${NULLWELL_PRODUCT}.app/Contents/MacOS/${NULLWELL_LAUNCHER_NAME}")

# Adds every .cpp/.h below the given folders to a target; new classes need no edit here.
function(nullwell_glob_sources target)
    set(files)
    foreach(dir IN LISTS ARGN)
        file(GLOB found CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
        list(APPEND files ${found})
    endforeach()
    list(FILTER files EXCLUDE REGEX "/main\\.cpp$")
    target_sources(${target} PRIVATE ${files})
    # A class added to a folder must reach moc at the next build, not only after a clean one: the
    # glob re-runs the configuration, and dropping the moc step's stamp makes it rescan (moc itself
    # only reruns for headers that changed).
    file(REMOVE "${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp")
endfunction()
