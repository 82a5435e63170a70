# Runs at install time, so the desktop entry and the polkit policy name the programs where this
# install really puts them (`cmake --install --prefix` included; DESTDIR is only a staging area).
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

set(staging "${NULLWELL_PACKAGING_BINARY_DIR}/staged")
file(MAKE_DIRECTORY "${staging}")
configure_file("${NULLWELL_PACKAGING_SOURCE_DIR}/ostrivan-nullwell.desktop.in" "${staging}/ostrivan-nullwell.desktop" @ONLY)
configure_file("${NULLWELL_PACKAGING_SOURCE_DIR}/ostrivan-nullwell.policy.in"
    "${staging}/example.ostrivan.nullwell.policy" @ONLY)

if(IS_ABSOLUTE "${NULLWELL_POLKIT_ACTIONS_DIR}")
    set(actions "${NULLWELL_POLKIT_ACTIONS_DIR}")
else()
    set(actions "${CMAKE_INSTALL_PREFIX}/${NULLWELL_POLKIT_ACTIONS_DIR}")
endif()
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
    FILES "${staging}/ostrivan-nullwell.desktop")
file(INSTALL DESTINATION "${actions}" TYPE FILE FILES "${staging}/example.ostrivan.nullwell.policy")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/scalable/apps" TYPE FILE
    FILES "${NULLWELL_PACKAGING_SOURCE_DIR}/ostrivan-nullwell.svg")
