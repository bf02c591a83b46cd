#include "sweep/folder_trust.h"

#include <winternl.h>

extern "C" {
NTSTATUS NTAPI NtQuerySecurityObject(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, ULONG, PULONG);
NTSTATUS NTAPI NtOpenProcessToken(HANDLE, ACCESS_MASK, PHANDLE);
NTSTATUS NTAPI NtQueryInformationToken(HANDLE, TOKEN_INFORMATION_CLASS, PVOID, ULONG, PULONG);
NTSTATUS NTAPI RtlGetOwnerSecurityDescriptor(PSECURITY_DESCRIPTOR, PSID*, PBOOLEAN);
NTSTATUS NTAPI RtlGetDaclSecurityDescriptor(PSECURITY_DESCRIPTOR, PBOOLEAN, PACL*, PBOOLEAN);
NTSTATUS NTAPI RtlGetAce(PACL, ULONG, PVOID*);
BOOLEAN NTAPI RtlEqualSid(PSID, PSID);
}

enum {
    SECURITY_BUFFER = 16384,  // a folder's owner and DACL; a larger one is not trusted
    TOKEN_USER_BUFFER = sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE,
};

// The rights that let an account put an entry of its own in place of
// another, or give itself that right.
static const ACCESS_MASK CHANGING_RIGHTS = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | WRITE_DAC |
                                           WRITE_OWNER | GENERIC_ALL | GENERIC_WRITE;

// Well-known SIDs: revision, sub-authority count, the NT authority (5), sub-authorities.
struct KnownSid {
    BYTE revision;
    BYTE count;
    BYTE authority[6];
    DWORD subAuthority[6];
};

static const KnownSid LOCAL_SYSTEM = {1, 1, {0, 0, 0, 0, 0, 5}, {18}};
static const KnownSid ADMINISTRATORS = {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}};
static const KnownSid TRUSTED_INSTALLER = {
    1, 6, {0, 0, 0, 0, 0, 5}, {80, 956008885, 3418522649u, 1831038044, 1853292631, 2271478464u}};
static const KnownSid OWNER_RIGHTS = {1, 1, {0, 0, 0, 0, 0, 3}, {4}};

static union {
    TOKEN_USER user;
    BYTE bytes[TOKEN_USER_BUFFER];
} runningAccount;
static bool runningAccountKnown;

static PSID sidOf(const KnownSid* sid)
{
    return const_cast<KnownSid*>(sid);
}

// The account the run runs as, read once.
static PSID runningSid()
{
    if (!runningAccountKnown) {
        HANDLE token = nullptr;
        ULONG needed = 0;
        runningAccountKnown =
            NtOpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) >= 0 &&
            NtQueryInformationToken(token, TokenUser, &runningAccount, sizeof runningAccount, &needed) >= 0;
        if (token != nullptr)
            CloseHandle(token);
    }
    return runningAccountKnown ? runningAccount.user.User.Sid : nullptr;
}

static bool isRunningOrAdministrative(PSID sid)
{
    PSID running = runningSid();
    return (running != nullptr && RtlEqualSid(sid, running)) || RtlEqualSid(sid, sidOf(&LOCAL_SYSTEM)) ||
           RtlEqualSid(sid, sidOf(&ADMINISTRATORS));
}

static bool isTrusted(PSID sid)
{
    return isRunningOrAdministrative(sid) || RtlEqualSid(sid, sidOf(&TRUSTED_INSTALLER));
}

static union {
    SECURITY_DESCRIPTOR_RELATIVE header;
    BYTE bytes[SECURITY_BUFFER];
} security;

// The owner and, when asked, the DACL of what handle reaches; nullptr when
// they cannot be read.
static PSECURITY_DESCRIPTOR readSecurity(HANDLE handle, bool withDacl)
{
    SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | (withDacl ? DACL_SECURITY_INFORMATION : 0);
    ULONG needed = 0;
    return NtQuerySecurityObject(handle, wanted, &security, sizeof security, &needed) >= 0 ? &security : nullptr;
}

static PSID ownerOf(PSECURITY_DESCRIPTOR descriptor)
{
    PSID owner = nullptr;
    BOOLEAN defaulted = FALSE;
    if (descriptor == nullptr || RtlGetOwnerSecurityDescriptor(descriptor, &owner, &defaulted) < 0)
        return nullptr;
    return owner;
}

// An allow entry that applies to the folder itself and lets an account
// other than the trusted ones change its entries. An allow entry of a kind
// whose account cannot be read counts as such.
static bool grantsChangeToOther(const ACE_HEADER* ace, bool ownerTrusted)
{
    if (ace->AceFlags & INHERIT_ONLY_ACE)
        return false;
    if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE && ace->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE &&
        ace->AceType != ACCESS_ALLOWED_OBJECT_ACE_TYPE && ace->AceType != ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE)
        return false;
    const ACCESS_ALLOWED_ACE* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if ((allowed->Mask & CHANGING_RIGHTS) == 0)
        return false;
    if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE && ace->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE)
        return true;
    PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    return !isTrusted(sid) && !(ownerTrusted && RtlEqualSid(sid, sidOf(&OWNER_RIGHTS)));
}

bool onlyTrustedMayChange(PSECURITY_DESCRIPTOR descriptor)
{
    PSID owner = ownerOf(descriptor);
    PACL dacl = nullptr;
    BOOLEAN present = FALSE;
    BOOLEAN defaulted = FALSE;
    if (owner == nullptr || !isTrusted(owner) ||
        RtlGetDaclSecurityDescriptor(descriptor, &present, &dacl, &defaulted) < 0 || !present || dacl == nullptr)
        return false;  // no DACL: everyone may do anything
    for (ULONG i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (RtlGetAce(dacl, i, &ace) < 0 || grantsChangeToOther(static_cast<ACE_HEADER*>(ace), true))
            return false;
    }
    return true;
}

bool onlyTrustedCanChange(HANDLE folder)
{
    PSECURITY_DESCRIPTOR descriptor = readSecurity(folder, true);
    return descriptor != nullptr && onlyTrustedMayChange(descriptor);
}

bool ownedByRunningAccount(HANDLE file)
{
    PSID owner = ownerOf(readSecurity(file, false));
    return owner != nullptr && isRunningOrAdministrative(owner);
}
