# Installs the build into a temporary prefix and checks the installed tree.
set(prefix "${BUILD_DIR}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
    RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(outer "${prefix}/lib/ostrivan-nullwell/${PRODUCT}.app")
set(inner "${outer}/Contents/MacOS/${PRODUCT}.app")
foreach(path
        "${outer}/Contents/MacOS/${LAUNCHER}"
        "${inner}/Contents/MacOS/${PRODUCT}"
        "${inner}/Contents/Resources/srm"
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
file(REMOVE_RECURSE "${prefix}")
message(STATUS "install tree OK")
