# Version resources and application manifests of the shipped binaries. Every binary
# target that ships calls
#     gw_add_version_resource(<target> "<file description>" [MANIFEST])
# once; MANIFEST (executables only) embeds the administrators' manifest as well. The
# version is the project's (project() in the top CMakeLists), nowhere else.
#
# Test programs that drive the console's windows call gw_add_manifest(<target>
# asInvoker) so they run with the same common controls as the console. Outside
# Windows builds both calls do nothing.

set(GW_COMPANY "Marrowby")
set(GW_PRODUCT "Gatewell")
set(GW_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
set(GW_VERSION_DOTS
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
if(CMAKE_SYSTEM_PROCESSOR MATCHES "64")
    set(GW_MANIFEST_ARCH amd64)
else()
    set(GW_MANIFEST_ARCH x86)
endif()
set(GW_RESOURCE_TEMPLATES ${CMAKE_CURRENT_LIST_DIR})

# Writes <target>.manifest from the template and returns its path in <out_var>.
function(gw_write_manifest target level description out_var)
    set(GW_VR_TARGET ${target})
    set(GW_VR_LEVEL ${level})
    set(GW_VR_ARCH ${GW_MANIFEST_ARCH})
    set(GW_VR_DESCRIPTION "${description}")
    set(manifest ${CMAKE_BINARY_DIR}/resources/${target}.manifest)
    configure_file(${GW_RESOURCE_TEMPLATES}/app.manifest.in ${manifest} @ONLY)
    set(${out_var} ${manifest} PARENT_SCOPE)
endfunction()

# Adds the resource script <rc>.in to <target> as <rc>; its text may hold generator
# expressions (the target's file name is known only when the build is generated).
function(gw_add_generated_rc target rc depends)
    file(GENERATE OUTPUT ${rc} INPUT ${rc}.in)
    target_sources(${target} PRIVATE ${rc})
    if(depends)
        set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${depends})
    endif()
endfunction()

# The manifest alone, at resource id 1 (the one the loader reads for a program).
function(gw_add_manifest target level)
    if(NOT WIN32)
        return()
    endif()
    gw_write_manifest(${target} ${level} "${target}" manifest)
    set(rc ${CMAKE_BINARY_DIR}/resources/${target}-manifest.rc)
    file(WRITE ${rc}.in "1 24 \"${manifest}\"\n")
    gw_add_generated_rc(${target} ${rc} ${manifest})
endfunction()

function(gw_add_version_resource target description)
    if(NOT WIN32)
        return()
    endif()
    cmake_parse_arguments(PARSE_ARGV 2 arg "MANIFEST" "" "")
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(GW_VR_FILETYPE VFT_APP)
    else()
        set(GW_VR_FILETYPE VFT_DLL)
    endif()
    set(GW_VR_TARGET ${target})
    set(GW_VR_DESCRIPTION "${description}")
    set(GW_VR_MANIFEST_LINE "")
    set(manifest "")
    if(arg_MANIFEST)
        if(NOT type STREQUAL "EXECUTABLE")
            message(FATAL_ERROR "gw_add_version_resource: only a program carries a manifest")
        endif()
        gw_write_manifest(${target} requireAdministrator "${description}" manifest)
        set(GW_VR_MANIFEST_LINE "1 24 \"${manifest}\"")
    endif()
    set(rc ${CMAKE_BINARY_DIR}/resources/${target}-version.rc)
    configure_file(${GW_RESOURCE_TEMPLATES}/version.rc.in ${rc}.in @ONLY)
    gw_add_generated_rc(${target} ${rc} "${manifest}")
endfunction()
