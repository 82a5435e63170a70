# Included by CheckInstall.cmake with the installed tree at ${prefix}: the desktop entry, the polkit
# policy and the icon are there, valid, and name the installed programs.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
find_program(XMLLINT xmllint REQUIRED)

set(desktop "${prefix}/share/applications/ostrivan-nullwell.desktop")
set(policy "${prefix}/share/polkit-1/actions/example.ostrivan.nullwell.policy")
set(icon "${prefix}/share/icons/hicolor/scalable/apps/ostrivan-nullwell.svg")
set(mainProgram "${inner}/Contents/MacOS/${PRODUCT}")
foreach(path "${desktop}" "${policy}" "${icon}")
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "missing after install: ${path}")
    endif()
endforeach()

function(expect_success)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
        message(FATAL_ERROR "${ARGN} failed (${rc}):\n${out}${err}")
    endif()
endfunction()

function(policy_value xpath expected)
    execute_process(COMMAND "${XMLLINT}" --nonet --xpath "string(${xpath})" "${ARGN}"
        RESULT_VARIABLE rc OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT rc EQUAL 0 OR NOT value STREQUAL expected)
        message(FATAL_ERROR "${xpath} in ${ARGN}: expected '${expected}', found '${value}'")
    endif()
endfunction()

# The desktop entry: valid, and it starts the installed launcher.
expect_success("${DESKTOP_FILE_VALIDATE}" "${desktop}")
file(STRINGS "${desktop}" execLine REGEX "^Exec=")
if(NOT execLine STREQUAL "Exec=\"${prefix}/bin/${LAUNCHER}\"")
    message(FATAL_ERROR "desktop entry starts ${execLine}, not the installed launcher")
endif()
file(REAL_PATH "${prefix}/bin/${LAUNCHER}" resolved)
file(REAL_PATH "${outer}/Contents/MacOS/${LAUNCHER}" launcherProgram)
if(NOT resolved STREQUAL launcherProgram)
    message(FATAL_ERROR "${prefix}/bin/${LAUNCHER} leads to ${resolved}")
endif()

# The policy: well formed, valid against polkit's own DTD when polkit is installed, and it lets
# pkexec start exactly the installed main program with the user's display.
expect_success("${XMLLINT}" --noout --nonet "${policy}")
if(EXISTS "/usr/share/polkit-1/policyconfig-1.dtd")
    expect_success("${XMLLINT}" --noout --nonet --dtdvalid "/usr/share/polkit-1/policyconfig-1.dtd" "${policy}")
endif()
policy_value("//annotate[@key='org.freedesktop.policykit.exec.path']" "${mainProgram}" "${policy}")
policy_value("//annotate[@key='org.freedesktop.policykit.exec.allow_gui']" "true" "${policy}")
policy_value("//action/defaults/allow_active" "auth_admin_keep" "${policy}")
expect_success("${XMLLINT}" --noout --nonet "${icon}")

# A staged install (DESTDIR, a package) names where the files will finally live, not the staging
# area, and stages the policy for the one folder polkit reads, whatever the prefix.
set(stage "${scratch}/stage")
file(REMOVE_RECURSE "${stage}")
set(ENV{DESTDIR} "${stage}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix /opt/nullwell-check
    RESULT_VARIABLE rc OUTPUT_VARIABLE stagedOutput ERROR_VARIABLE stagedOutput)
unset(ENV{DESTDIR})
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "staged install failed: ${rc}")
endif()
policy_value("//annotate[@key='org.freedesktop.policykit.exec.path']"
    "/opt/nullwell-check/lib/ostrivan-nullwell/${PRODUCT}.app/Contents/MacOS/${PRODUCT}.app/Contents/MacOS/${PRODUCT}"
    "${stage}/usr/share/polkit-1/actions/example.ostrivan.nullwell.policy")
if(stagedOutput MATCHES "polkit reads policies only")
    message(FATAL_ERROR "a staged policy in polkit's folder was reported as misplaced:\n${stagedOutput}")
endif()
if(NOT EXISTS "${stage}/opt/nullwell-check/bin/${LAUNCHER}" OR EXISTS "/opt/nullwell-check")
    message(FATAL_ERROR "staged install did not stay in ${stage}")
endif()
file(REMOVE_RECURSE "${stage}")

# What runs from the build folder wrote into its bundle (history rows, the chosen language) must
# not ship: the installed files are the pristine ones. (The build's own copies are not touched
# here: other suites copy them while this runs.)
find_program(SQLITE3 sqlite3 REQUIRED)
set(shipped "${inner}/Contents/Resources")
execute_process(COMMAND "${SQLITE3}" "${shipped}/DataBase.db"
    "SELECT (SELECT count(*) FROM TimeBase) + (SELECT count(*) FROM BaseTable)"
    OUTPUT_VARIABLE rows OUTPUT_STRIP_TRAILING_WHITESPACE)
file(SHA256 "${shipped}/DataBase.db" shippedDatabase)
file(SHA256 "${BUILD_DIR}/pristine/DataBase.db" pristineDatabase)
file(SHA256 "${shipped}/StringMessage.plist" shippedSettings)
file(SHA256 "${SOURCE_DIR}/Resources/StringMessage.plist" sourceSettings)
if(NOT rows STREQUAL "0" OR NOT shippedDatabase STREQUAL pristineDatabase OR NOT shippedSettings STREQUAL sourceSettings)
    message(FATAL_ERROR "the install shipped what a run wrote into the build folder (${rows} history rows)")
endif()
file(GLOB journals "${shipped}/DataBase.db-*")
if(journals)
    message(FATAL_ERROR "database journals shipped: ${journals}")
endif()
