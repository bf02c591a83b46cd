# The built exe as a Windows user gets it: a stripped 32-bit console program
# of at most 64 KiB for Windows 7 onwards, importing system DLLs only, with
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
expect("${headers}" "architecture: i386" "machine i386")
expect("${headers}" "Magic[\t ]+010b" "a PE32 image")
expect("${headers}" "Subsystem[\t ]+00000003" "console subsystem")
expect("${headers}" "MajorSubsystemVersion[\t ]+6\nMinorSubsystemVersion[\t ]+1\n" "subsystem version 6.1")
expect("${headers}" "symbols stripped" "stripped")
expect("${headers}" "Time/Date[\t ]+Thu Jan  1 00:00:00 1970" "no link time stamp, so that a rebuild gives the same file")
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
foreach(import IN LISTS imports)
    string(TOLOWER "${import}" import)
    expect("${import}" "^dll name: (kernel32|user32|msvcrt)\\.dll$" "imports ${import}")
endforeach()

execute_process(COMMAND ${WINDRES} -i ${EXE} -O rc OUTPUT_VARIABLE resources)
foreach(value "ProductName\", \"Dustrel\"" "FileVersion\", \"${VERSION}\"" "ProductVersion\", \"${VERSION}\""
              "OriginalFilename\", \"dustrel.exe\"" "CompanyName\", \"[^\"]+\"" "LegalCopyright\", \"[^\"]+\""
              "FileDescription\", \"[^\"]+\"")
    expect("${resources}" "VALUE \"${value}" "version resource ${value}")
endforeach()
expect("${resources}" "1 24 /\\* RT_MANIFEST \\*/" "manifest")
expect("${resources}" "requestedExecutionLevel level=\"\"asInvoker\"\"" "manifest asInvoker")
expect("${resources}" "35138b9a-5d96-4fbd-8e2d-a2440225f93a" "manifest supports Windows 7")
expect("${resources}" "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a" "manifest supports Windows 10 and 11")
if(resources MATCHES "<activeCodePage")
    message(FATAL_ERROR "dustrel.exe: the manifest must leave the ANSI code page to the system")
endif()
message(STATUS "dustrel.exe: ${size} bytes, ${imports}")
