# Gives both programs of a Windows build their version information. The toolchain file names
# this file as the project's include; the call below runs once the whole tree has been read, so
# the build files need no Windows lines of their own. A target that already lists its
# windows/*.rc file is left as it is.
if(NOT WIN32 OR NOT PROJECT_NAME STREQUAL "kovrel")
    return()
endif()

function(kovrel_add_version_resources)
    set(resourceDir ${PROJECT_SOURCE_DIR}/src/ui/windows)
    foreach(target kovrel kovrel-convert)
        if(NOT TARGET ${target} OR NOT EXISTS ${resourceDir}/${target}.rc)
            continue()
        endif()
        get_target_property(sources ${target} SOURCES)
        list(FILTER sources INCLUDE REGEX "windows/${target}\\.rc$")
        if(NOT sources)
            target_sources(${target} PRIVATE ${resourceDir}/${target}.rc)
        endif()
    endforeach()
endfunction()

cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kovrel_add_version_resources)
