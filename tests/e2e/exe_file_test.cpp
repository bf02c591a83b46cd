// The built dustrel.exe as Windows sees the file: PE header, size, version
// resource and manifest, read the way the loader and Explorer read them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <windows.h>

#include "common/version.h"

namespace {

std::vector<char> exeBytes()
{
    std::ifstream file("B:\\dustrel.exe", std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(ExeFile, HeaderNamesA32BitConsoleProgramForTheOldestSupportedWindows)
{
    std::vector<char> bytes = exeBytes();
    ASSERT_GE(bytes.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LE(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), bytes.size());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_CUI);
    // The loader refuses the exe on Windows older than its subsystem
    // version; the code may use what _WIN32_WINNT allows.
    EXPECT_EQ(nt->OptionalHeader.MajorSubsystemVersion, _WIN32_WINNT >> 8);
    EXPECT_EQ(nt->OptionalHeader.MinorSubsystemVersion, _WIN32_WINNT & 0xFF);
}

TEST(ExeFile, IsStrippedAndAtMost64KiB)
{
    std::vector<char> bytes = exeBytes();
    EXPECT_LE(bytes.size(), 64u * 1024u);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
    EXPECT_EQ(nt->FileHeader.PointerToSymbolTable, 0u);
    EXPECT_EQ(nt->FileHeader.NumberOfSymbols, 0u);
}

TEST(ExeFile, VersionResourceNamesTheProduct)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA("B:\\dustrel.exe", &ignored);
    ASSERT_GT(size, 0u) << GetLastError();
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA("B:\\dustrel.exe", 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(DUSTREL_VERSION_MINOR, DUSTREL_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);

    // The string table is the one the translation entry names.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    char table[64];
    wsprintfA(table, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);

    struct {
        const char* name;
        const char* value;
    } strings[] = {
        {"ProductName", "Dustrel"},
        {"ProductVersion", DUSTREL_VERSION},
        {"FileVersion", DUSTREL_VERSION},
        {"FileDescription", DUSTREL_DESCRIPTION},
        {"OriginalFilename", "dustrel.exe"},
        {"CompanyName", DUSTREL_COMPANY},
        {"LegalCopyright", DUSTREL_COPYRIGHT},
    };
    for (const auto& s : strings) {
        char* value = nullptr;
        bool found = VerQueryValueA(info.data(), (std::string(table) + s.name).c_str(), reinterpret_cast<void**>(&value), &length);
        ASSERT_TRUE(found) << s.name;
        EXPECT_STREQ(value, s.value) << s.name;
    }
    EXPECT_EQ(std::string(DUSTREL_VERSION),
              std::to_string(DUSTREL_VERSION_MAJOR) + "." + std::to_string(DUSTREL_VERSION_MINOR));
}

std::string manifestText()
{
    HMODULE exe = LoadLibraryExA("B:\\dustrel.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (exe == nullptr) {
        ADD_FAILURE() << "cannot load B:\\dustrel.exe: " << GetLastError();
        return "";
    }
    std::string text;
    HRSRC found = FindResourceA(exe, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    if (found != nullptr) {
        const char* data = static_cast<const char*>(LockResource(LoadResource(exe, found)));
        text.assign(data, SizeofResource(exe, found));
    }
    FreeLibrary(exe);
    return text;
}

TEST(ExeFile, ManifestAsksNoElevationAndNamesWindows7To11)
{
    std::string manifest = manifestText();
    ASSERT_FALSE(manifest.empty()) << "no manifest with id 1";
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos);
    const char* supported[] = {
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
    };
    for (const char* id : supported)
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
    // The ANSI code page must stay the user's, so no element may set it.
    EXPECT_EQ(manifest.find("<activeCodePage"), std::string::npos);
}

}  // namespace
