# Checks the compiled help: QUILLON.chm lies beside quillon.exe, is a compiled HTML help file
# (ITSF version 3), holds every page of the help sources byte for byte (by name only when chmls
# is missing), and no contents entry, index entry or page link names a page that does not exist.
#
#   cmake -DCHM=<QUILLON.chm> -DSOURCES=<help source folder> [-DEXE=<quillon.exe>]
#         [-DCHMLS=<chmls>] -P check-help.cmake

set(problems "")
macro(problem text)
    list(APPEND problems "${text}")
endmacro()

if(NOT CHM OR NOT SOURCES)
    message(FATAL_ERROR "usage: cmake -DCHM=... -DSOURCES=... [-DEXE=...] [-DCHMLS=...] -P check-help.cmake")
endif()
if(NOT EXISTS "${CHM}")
    message(FATAL_ERROR "help file missing: ${CHM}")
endif()

if(EXE)
    get_filename_component(exe_dir "${EXE}" DIRECTORY)
    get_filename_component(chm_dir "${CHM}" DIRECTORY)
    if(NOT EXISTS "${EXE}")
        problem("console program missing: ${EXE}")
    endif()
    if(NOT exe_dir STREQUAL chm_dir)
        problem("QUILLON.chm is in ${chm_dir}, the console in ${exe_dir}")
    endif()
endif()

# Header: "ITSF", version 3, header length 0x60 (little-endian).
file(READ "${CHM}" header LIMIT 12 HEX)
if(NOT header STREQUAL "495453460300000060000000")
    problem("not a compiled help file (header ${header})")
endif()

file(GLOB pages RELATIVE "${SOURCES}" "${SOURCES}/*.htm")
list(LENGTH pages page_count)
if(page_count EQUAL 0)
    message(FATAL_ERROR "no help pages in ${SOURCES}")
endif()
set(payload ${pages} help.css toc.hhc index.hhk)

# Every page must be named in the project's [FILES] section and be reachable from the contents.
file(READ "${SOURCES}/quillon.hhp" project)
file(READ "${SOURCES}/toc.hhc" toc)
foreach(page IN LISTS pages)
    string(REGEX MATCH "\n${page}\r?\n" listed "${project}")
    if(NOT listed)
        problem("${page} is not listed in quillon.hhp")
    endif()
    string(FIND "${toc}" "value=\"${page}\"" in_toc)
    if(in_toc EQUAL -1)
        problem("${page} has no entry in toc.hhc")
    endif()
endforeach()

# Links: contents and index entries ("Local") and page links (href) must name existing files.
foreach(source IN LISTS pages ITEMS toc.hhc index.hhk)
    file(READ "${SOURCES}/${source}" text)
    string(REGEX MATCHALL "(href|value)=\"[^\"]+\"" refs "${text}")
    foreach(ref IN LISTS refs)
        string(REGEX REPLACE "^(href|value)=\"([^\"#]*).*$" "\\2" target "${ref}")
        if(target MATCHES "\\.(htm|css)$" AND NOT EXISTS "${SOURCES}/${target}")
            problem("${source} links to missing ${target}")
        endif()
    endforeach()
endforeach()

# Contents of the compiled file.
if(CHMLS)
    # One scratch folder per source folder, so checks running side by side do not collide.
    string(MD5 tag "${CHM}|${SOURCES}")
    set(scratch "${CMAKE_CURRENT_BINARY_DIR}/help_chm_check_${tag}")
    file(REMOVE_RECURSE "${scratch}")
    file(MAKE_DIRECTORY "${scratch}")
    foreach(name IN LISTS payload)
        execute_process(COMMAND "${CHMLS}" extract "${CHM}" "/${name}" "${scratch}/${name}"
                        RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
        if(NOT rc EQUAL 0 OR NOT EXISTS "${scratch}/${name}")
            problem("${name} is not inside the help file")
        else()
            execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                                    "${SOURCES}/${name}" "${scratch}/${name}"
                            RESULT_VARIABLE differs)
            if(NOT differs EQUAL 0)
                problem("${name} inside the help file differs from its source")
            endif()
        endif()
    endforeach()
    file(REMOVE_RECURSE "${scratch}")
else()
    file(READ "${CHM}" chm_hex HEX)
    foreach(name IN LISTS payload)
        string(HEX "/${name}" name_hex)
        string(FIND "${chm_hex}" "${name_hex}" at)
        if(at EQUAL -1)
            problem("${name} is not inside the help file")
        endif()
    endforeach()
endif()

if(problems)
    list(JOIN problems "\n  " report)
    message(FATAL_ERROR "QUILLON.chm check failed:\n  ${report}")
endif()
list(LENGTH payload checked)
message(STATUS "QUILLON.chm: ${checked} files checked")
