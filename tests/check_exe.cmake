# The built exe as a Windows user gets it: a stripped 32-bit console program
# of at most 64 KiB for Windows 7 onwards, importing kernel32 and msvcrt only
# (user32 is loaded for the box alone, advapi32 for a log alone), with
# its version resource and manifest, and no link time stamp.
# Usage: cmake -DEXE=... -DOBJDUMP=... -DWINDRES=... -DVERSION=... -P check_exe.cmake
function(expect text pattern what)
    if(NOT text MATCHES "${pattern}")
        message(FATAL_ERROR "dustrel.exe: ${what} (no match for ${pattern})")
    endif()
endfunction()

file(SIZE ${EXE} size)
if(size GREATER 65536)
    message(FATAL_ERROR "dustrel.exe is ${size} bytes, more than 64 KiB")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${OBJDUMP} -p -f ${EXE} OUTPUT_VARIABLE headers)
foreach(header "architecture: i386" "Magic[\t ]+010b" "Subsystem[\t ]+00000003" "symbols stripped"
               "MajorSubsystemVersion[\t ]+6\nMinorSubsystemVersion[\t ]+1\n"
               "Time/Date[\t ]+Thu Jan  1 00:00:00 1970")
    expect("${headers}" "${header}" "headers")
endforeach()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
foreach(import IN LISTS imports)
    string(TOLOWER "${import}" import)
    expect("${import}" "^dll name: (kernel32|ntdll|msvcrt)\\.dll$" "imports ${import}")
endforeach()

execute_process(COMMAND ${WINDRES} -i ${EXE} -O rc OUTPUT_VARIABLE resources)
foreach(value "ProductName\", \"Dustrel\"" "FileVersion\", \"${VERSION}\"" "ProductVersion\", \"${VERSION}\""
              "OriginalFilename\", \"dustrel.exe\"" "CompanyName\", \"[^\"]+\"" "LegalCopyright\", \"[^\"]+\""
              "FileDescription\", \"[^\"]+\"")
    expect("${resources}" "VALUE \"${value}" "version resource ${value}")
endforeach()
foreach(value "1 24 /\\* RT_MANIFEST \\*/" "requestedExecutionLevel level=\"\"asInvoker\"\""
              "35138b9a-5d96-4fbd-8e2d-a2440225f93a" "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a")  # Windows 7, 10 and 11
    expect("${resources}" "${value}" "manifest")
endforeach()
if(resources MATCHES "<activeCodePage")
    message(FATAL_ERROR "dustrel.exe: the manifest must leave the ANSI code page to the system")
endif()
message(STATUS "dustrel.exe: ${size} bytes, ${imports}")
