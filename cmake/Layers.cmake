# Each library publishes its own folder and nothing else: a header reached the wrong way (the
# platform layer including the engine, the tool including Qt code) then fails to compile. Headers
# keep their "folder/Name.h" spelling through a folder in the build tree that holds one link.
function(nullwell_publish_headers target scope folder)
    get_filename_component(name "${folder}" NAME)
    set(root "${CMAKE_BINARY_DIR}/include/${target}")
    file(MAKE_DIRECTORY "${root}")
    if(NOT EXISTS "${root}/${name}")
        file(CREATE_LINK "${folder}" "${root}/${name}" SYMBOLIC)
    endif()
    target_include_directories(${target} ${scope} "${root}")
endfunction()
