# Installs the build into a temporary prefix and checks the installed tree. The prefix lies below
# the home folder given to the install, as a personal install would: the policy then stays in the
# prefix (this check never writes into the system's polkit folder) and the output says so.
# Everything lies in a temporary folder, never in the build folder.
execute_process(COMMAND mktemp -d "/tmp/nullwell-install-check.XXXXXX" OUTPUT_VARIABLE scratch
    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot make a temporary folder")
endif()
set(prefix "${scratch}/home/install-check")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "HOME=${scratch}/home" ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE installOutput ERROR_VARIABLE installOutput)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}\n${installOutput}")
endif()
string(REGEX REPLACE "[ \n]+" " " flatOutput "${installOutput}")
if(NOT flatOutput MATCHES "polkit reads policies only from /usr/share/polkit-1/actions; this install put the policy in")
    message(FATAL_ERROR "a policy outside polkit's folder went unmentioned:\n${installOutput}")
endif()
if(installOutput MATCHES "CMake Warning|Call Stack")
    message(FATAL_ERROR "the polkit hint came as a CMake warning, not a plain message:\n${installOutput}")
endif()
# Installing (often done as root) leaves the build folder as it was.
foreach(written "${BUILD_DIR}/install_manifest.txt" "${BUILD_DIR}/packaging/staged")
    if(EXISTS "${written}")
        message(FATAL_ERROR "the install wrote into the build folder: ${written}")
    endif()
endforeach()
if(NOT EXISTS "${prefix}/lib/ostrivan-nullwell/install_manifest.txt")
    message(FATAL_ERROR "the list of installed files is missing")
endif()

set(outer "${prefix}/lib/ostrivan-nullwell/${PRODUCT}.app")
set(inner "${outer}/Contents/MacOS/${PRODUCT}.app")
foreach(path
        "${outer}/Contents/MacOS/${LAUNCHER}"
        "${inner}/Contents/MacOS/${PRODUCT}"
        "${inner}/Contents/Resources/srm"
        "${inner}/Contents/PlugIns/libnullwell_network.so"
        "${inner}/Contents/Resources/StringMessage.plist"
        "${inner}/Contents/Resources/DataBase.db"
        "${prefix}/bin/${LAUNCHER}")
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "missing after install: ${path}")
    endif()
endforeach()
foreach(program "${outer}/Contents/MacOS/${LAUNCHER}" "${inner}/Contents/MacOS/${PRODUCT}"
        "${inner}/Contents/Resources/srm")
    execute_process(COMMAND test -x "${program}" RESULT_VARIABLE notExecutable)
    if(notExecutable)
        message(FATAL_ERROR "not executable after install: ${program}")
    endif()
endforeach()

# Further checks of the desktop files live beside this script.
file(GLOB extra "${CMAKE_CURRENT_LIST_DIR}/Check*.extra.cmake")
foreach(script IN LISTS extra)
    include("${script}")
endforeach()

# Uninstalling as the README says: every file in the list, then the program's own folder, which also
# takes what the program made inside it at run time (the history's journal). Nothing may remain.
file(TOUCH "${inner}/Contents/Resources/DataBase.db-journal")
file(STRINGS "${prefix}/lib/ostrivan-nullwell/install_manifest.txt" installed)
file(REMOVE ${installed})
file(REMOVE_RECURSE "${prefix}/lib/ostrivan-nullwell")
file(GLOB_RECURSE left LIST_DIRECTORIES false "${prefix}/*")
if(IS_SYMLINK "${prefix}/bin/${LAUNCHER}")
    list(APPEND left "${prefix}/bin/${LAUNCHER}")
endif()
if(left)
    message(FATAL_ERROR "left behind after removing the listed files:\n${left}")
endif()
file(REMOVE_RECURSE "${scratch}")
message(STATUS "install tree OK")
