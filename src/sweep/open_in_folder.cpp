#include "sweep/open_in_folder.h"

#include <winternl.h>

HANDLE openInFolder(HANDLE folder, const WCHAR* name, unsigned units, DWORD access, DWORD sharing, DWORD options,
                    DWORD* code)
{
    UNICODE_STRING relativeName;
    relativeName.Buffer = const_cast<WCHAR*>(name);
    relativeName.Length = static_cast<USHORT>(units * sizeof(WCHAR));
    relativeName.MaximumLength = relativeName.Length;
    // No OBJ_CASE_INSENSITIVE: another entry that differs in letter case, or
    // whose short name this is, must not answer to the name.
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &relativeName, 0, folder, nullptr);
    IO_STATUS_BLOCK status;
    HANDLE handle = INVALID_HANDLE_VALUE;
    NTSTATUS result = NtOpenFile(&handle, access | SYNCHRONIZE, &attributes, &status, sharing,
                                 options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT);
    if (result < 0) {
        *code = RtlNtStatusToDosError(result);
        return INVALID_HANDLE_VALUE;
    }
    *code = 0;
    return handle;
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
