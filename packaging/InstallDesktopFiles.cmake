# Runs at install time, so the desktop entry and the polkit policy name the programs where this
# install really puts them (`cmake --install --prefix` included; DESTDIR is only a staging area).
# Installing is often done as root: nothing is written into the build folder, the files are made
# in their place.
set(bundle "${CMAKE_INSTALL_PREFIX}/${NULLWELL_INSTALL_DIR}/${NULLWELL_PRODUCT}.app")
set(launcher "${CMAKE_INSTALL_PREFIX}/bin/${NULLWELL_LAUNCHER_NAME}")
set(mainProgram "${bundle}/Contents/MacOS/${NULLWELL_PRODUCT}.app/Contents/MacOS/${NULLWELL_PRODUCT}")

# Desktop entries quote arguments and reserve % for field codes.
string(REPLACE "%" "%%" exec "${launcher}")
foreach(reserved "\\" "\"" "`" "$")
    string(REPLACE "${reserved}" "\\${reserved}" exec "${exec}")
endforeach()
string(REPLACE "\\" "\\\\" exec "${exec}")
set(NULLWELL_DESKTOP_EXEC "\"${exec}\"")

string(REPLACE "&" "&amp;" NULLWELL_POLICY_PROGRAM "${mainProgram}")
string(REPLACE "<" "&lt;" NULLWELL_POLICY_PROGRAM "${NULLWELL_POLICY_PROGRAM}")
string(REPLACE ">" "&gt;" NULLWELL_POLICY_PROGRAM "${NULLWELL_POLICY_PROGRAM}")

# polkit reads policies from this one folder. A staged install (a package) puts the policy there;
# a plain one does whenever it may write there, except for a personal install below the home folder.
set(polkitActions "/usr/share/polkit-1/actions")
set(policyNote "")
if(NOT NULLWELL_POLKIT_ACTIONS_DIR STREQUAL "")
    if(IS_ABSOLUTE "${NULLWELL_POLKIT_ACTIONS_DIR}")
        set(actions "${NULLWELL_POLKIT_ACTIONS_DIR}")
    else()
        set(actions "${CMAKE_INSTALL_PREFIX}/${NULLWELL_POLKIT_ACTIONS_DIR}")
    endif()
elseif(NOT "$ENV{DESTDIR}" STREQUAL "")
    set(actions "${polkitActions}")
else()
    set(actions "${polkitActions}")
    set(home "$ENV{HOME}")
    cmake_path(IS_PREFIX home "${CMAKE_INSTALL_PREFIX}" NORMALIZE underHome)
    set(probe "${polkitActions}")
    while(NOT EXISTS "${probe}" AND NOT probe STREQUAL "/")
        get_filename_component(probe "${probe}" DIRECTORY)
    endwhile()
    execute_process(COMMAND test -w "${probe}" RESULT_VARIABLE notWritable)
    if((NOT home STREQUAL "" AND NOT home STREQUAL "/" AND underHome) OR notWritable)
        set(actions "${CMAKE_INSTALL_PREFIX}/share/polkit-1/actions")
        set(policyNote "polkit reads policies only from ${polkitActions}; this install put the policy in ${actions}, \
so the password prompt will not name ${NULLWELL_PRODUCT}. To give polkit the policy, run as root:\n\
    install -m 644 \"${actions}/example.ostrivan.nullwell.policy\" ${polkitActions}/")
    endif()
endif()

function(nullwell_install_configured template destination)
    set(target "$ENV{DESTDIR}${destination}")
    message(STATUS "Installing: ${target}")
    configure_file("${template}" "${target}" @ONLY)
    file(CHMOD "${target}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} "${target}" PARENT_SCOPE)
endfunction()

nullwell_install_configured("${NULLWELL_PACKAGING_SOURCE_DIR}/ostrivan-nullwell.desktop.in"
    "${CMAKE_INSTALL_PREFIX}/share/applications/ostrivan-nullwell.desktop")
nullwell_install_configured("${NULLWELL_PACKAGING_SOURCE_DIR}/ostrivan-nullwell.policy.in"
    "${actions}/example.ostrivan.nullwell.policy")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/scalable/apps" TYPE FILE
    FILES "${NULLWELL_PACKAGING_SOURCE_DIR}/ostrivan-nullwell.svg")
# A hint for the person installing, not a fault of the build: plain text, without CMake's call stack.
if(policyNote)
    message(NOTICE "${policyNote}")
endif()
