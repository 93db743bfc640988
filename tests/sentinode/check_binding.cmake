cmake_minimum_required(VERSION 3.20)
# Reads the PE files: sentinode.dll exports exactly QuerySessionInformation and
# FreePointer by those names, and quillon.exe imports both from it at load time and
# finds it in its own folder.
# cmake -DOBJDUMP=... -DLIBRARY=sentinode.dll -DCONSOLE=quillon.exe -P check_binding.cmake
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dll RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot read ${LIBRARY}")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([^\n]*\\[ *[0-9]+\\][^\n]*\n)*)" table "${dll}")
# Square brackets group list elements in CMake: take the names without them.
string(REGEX REPLACE "[^\n]*\\] ([A-Za-z_@0-9]+)[^\n]*\n" "\\1;" names "${CMAKE_MATCH_1}")
list(REMOVE_ITEM names "")
list(SORT names)
if(NOT names STREQUAL "FreePointer;QuerySessionInformation")
    message(FATAL_ERROR "sentinode.dll exports [${names}], not exactly FreePointer and QuerySessionInformation")
endif()

execute_process(COMMAND ${OBJDUMP} -p ${CONSOLE} OUTPUT_VARIABLE exe RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot read ${CONSOLE}")
endif()
string(REGEX MATCH "DLL Name: sentinode\\.dll\n([^\n]*\n)*" imports "${exe}")
if(imports STREQUAL "")
    message(FATAL_ERROR "quillon.exe does not import sentinode.dll at load time")
endif()
string(REGEX REPLACE "\n\n.*" "" imports "${imports}") # this DLL's block only
foreach(name QuerySessionInformation FreePointer)
    if(NOT imports MATCHES " ${name}(\n|$)")
        message(FATAL_ERROR "quillon.exe does not import ${name} from sentinode.dll")
    endif()
endforeach()

get_filename_component(folder ${CONSOLE} DIRECTORY)
if(NOT EXISTS ${folder}/sentinode.dll)
    message(FATAL_ERROR "sentinode.dll is not beside ${CONSOLE}")
endif()
message(STATUS "sentinode.dll: two exports; quillon.exe imports them from its own folder")
