#include "sweep/open_in_folder.h"

#include <winternl.h>

HANDLE openByName(const NamedOpen* open, const WCHAR* name, unsigned units, DWORD* code)
{
    UNICODE_STRING nameString;
    nameString.Buffer = const_cast<WCHAR*>(name);
    nameString.Length = static_cast<USHORT>(units * sizeof(WCHAR));
    nameString.MaximumLength = nameString.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &nameString, open->anyCase ? OBJ_CASE_INSENSITIVE : 0, open->folder,
                               nullptr);
    IO_STATUS_BLOCK status;
    HANDLE handle = INVALID_HANDLE_VALUE;
    NTSTATUS result = NtCreateFile(&handle, open->access | SYNCHRONIZE, &attributes, &status, nullptr,
                                   FILE_ATTRIBUTE_NORMAL, open->sharing, open->disposition,
                                   open->options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (result < 0) {
        *code = RtlNtStatusToDosError(result);
        return INVALID_HANDLE_VALUE;
    }
    *code = 0;
    return handle;
}

HANDLE openInFolder(HANDLE folder, const WCHAR* name, unsigned units, DWORD access, DWORD sharing, DWORD options,
                    DWORD* code)
{
    // Letter case counts: another entry that differs in letter case, or
    // whose short name this is, must not answer to the name.
    NamedOpen open = {folder, access, sharing, FILE_OPEN, options | FILE_OPEN_REPARSE_POINT, false};
    return openByName(&open, name, units, code);
}

LONGLONG fileIndexOf(HANDLE handle)
{
    FILE_INTERNAL_INFORMATION internal;
    IO_STATUS_BLOCK status;
    if (NtQueryInformationFile(handle, &status, &internal, sizeof internal, FileInternalInformation) < 0)
        return 0;
    return internal.IndexNumber.QuadPart;
}

bool readOpenedIdentity(HANDLE handle, OpenedIdentity* found)
{
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    found->index = fileIndexOf(handle);
    if (found->index == 0 || !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard))
        return false;
    found->attributes = basic.FileAttributes;
    found->links = standard.NumberOfLinks;
    return true;
}
