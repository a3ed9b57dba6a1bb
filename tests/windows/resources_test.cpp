// walkers.exe's resources as Windows reads them: the version block, the two
// icon groups, the manifest and the frame pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "forms/stored_forms.h"
#include "platform/win32/win32_resource_ids.h"
#include "platform/winapi.h"
#include "tests/windows/version_block.h"

namespace {

// walkers.exe, found from this test program's own place in the build.
std::string ProgramPath()
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self);
    path.erase(path.find_last_of("\\/") + 1);
    path += WALKERS_EXE_FROM_TESTS;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::span<const uint8_t> ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResourceA(module, name, type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD icon_id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

struct IconImage {
    int width, height, bits;
    bool loads; // Windows makes an icon of it
    std::set<int> alphas;
};

class ProgramResources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module_ = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module_); }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "cannot open " << ProgramPath(); }

    static BOOL CALLBACK AddGroup(HMODULE, LPCSTR, LPSTR name, LONG_PTR groups)
    {
        if (IS_INTRESOURCE(name))
            reinterpret_cast<std::vector<int>*>(groups)->push_back(int(uintptr_t(name)));
        else
            reinterpret_cast<std::vector<int>*>(groups)->push_back(-1);
        return TRUE;
    }

    // The icon groups in the order Windows lists them (the first is the
    // file's icon).
    static std::vector<int> IconGroups()
    {
        std::vector<int> groups;
        EnumResourceNamesA(module_, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, AddGroup,
                           LONG_PTR(&groups));
        return groups;
    }

    static std::vector<IconImage> GroupImages(int group)
    {
        std::vector<IconImage> images;
        auto bytes = ResourceBytes(module_, MAKEINTRESOURCEA(group), MAKEINTRESOURCEA(14));
        if (bytes.size() < sizeof(GroupIconHeader))
            return images;
        GroupIconHeader header;
        std::memcpy(&header, bytes.data(), sizeof header);
        for (int i = 0; i < header.count; ++i) {
            GroupIconEntry entry;
            std::memcpy(&entry, bytes.data() + sizeof header + i * sizeof entry, sizeof entry);
            auto icon = ResourceBytes(module_, MAKEINTRESOURCEA(entry.icon_id),
                                      MAKEINTRESOURCEA(3) /* RT_ICON */);
            BITMAPINFOHEADER info;
            std::memcpy(&info, icon.data(), sizeof info);
            IconImage image{info.biWidth, info.biHeight / 2, info.biBitCount, false, {}};
            HICON made =
                CreateIconFromResourceEx(const_cast<BYTE*>(icon.data()), DWORD(icon.size()), TRUE,
                                         0x00030000, image.width, image.height, 0);
            image.loads = made != nullptr;
            if (made)
                DestroyIcon(made);
            if (info.biBitCount == 32)
                for (int p = 0; p < image.width * image.height; ++p)
                    image.alphas.insert(icon[sizeof info + 4 * p + 3]);
            images.push_back(image);
        }
        return images;
    }

    static HMODULE module_;
};

HMODULE ProgramResources::module_ = nullptr;

TEST_F(ProgramResources, TheVersionBlockHoldsExactlyTheProductsStrings)
{
    auto block = ResourceBytes(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    ASSERT_FALSE(block.empty());
    VersionNode root = ParseVersionBlock(block);
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root.value.data(), sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed.dwFileFlags, 0u);
    EXPECT_EQ(fixed.dwFileOS, DWORD(VOS__WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, DWORD(VFT_APP));

    ASSERT_EQ(root.children.size(), 2u);
    const VersionNode* strings = root.Child("StringFileInfo");
    ASSERT_NE(strings, nullptr);
    ASSERT_EQ(strings->children.size(), 1u);
    const VersionNode& table = strings->children[0];
    EXPECT_EQ(table.key, "040904B0");
    std::map<std::string, std::string> entries;
    for (const VersionNode& entry : table.children) {
        EXPECT_TRUE(entry.text) << entry.key;
        entries[entry.key] = entry.Text();
    }
    EXPECT_EQ(entries, (std::map<std::string, std::string>{
                           {"ProductName", "Project1"},
                           {"FileVersion", "1.00"},
                           {"ProductVersion", "1.00"},
                           {"InternalName", "walkers"},
                           {"OriginalFilename", "walkers.exe"},
                       }));
    EXPECT_EQ(table.children.size(), entries.size()); // no key twice

    const VersionNode* variables = root.Child("VarFileInfo");
    ASSERT_NE(variables, nullptr);
    ASSERT_EQ(variables->children.size(), 1u);
    EXPECT_EQ(variables->children[0].key, "Translation");
    EXPECT_EQ(variables->children[0].value, (std::vector<uint8_t>{0x09, 0x04, 0xB0, 0x04}));
}

TEST_F(ProgramResources, VersionQueriesFindTheStringsUnderTheTranslation)
{
    const std::string path = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));

    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    for (auto [key, expected] : std::map<std::string, std::string>{
             {"ProductName", "Project1"}, {"OriginalFilename", "walkers.exe"}}) {
        char* value = nullptr;
        const std::string query = "\\StringFileInfo\\040904B0\\" + key;
        ASSERT_TRUE(
            VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
            << key;
        EXPECT_STREQ(value, expected.c_str());
    }
}

TEST_F(ProgramResources, TheFileIconComesFirstThenTheWindowIcon)
{
    const std::vector<int> groups = IconGroups();
    ASSERT_EQ(groups, (std::vector<int>{WALKERS_ICON_PROGRAM, WALKERS_ICON_WINDOW}));

    const std::vector<IconImage> program = GroupImages(groups[0]);
    ASSERT_EQ(program.size(), 1u);
    EXPECT_EQ(program[0].width, 32);
    EXPECT_EQ(program[0].height, 32);
    EXPECT_EQ(program[0].bits, 32);
    EXPECT_TRUE(program[0].loads);
    // Transparent ground, half-transparent edges, an opaque figure.
    EXPECT_EQ(program[0].alphas, (std::set<int>{0, 128, 255}));

    const std::vector<IconImage> window = GroupImages(groups[1]);
    ASSERT_EQ(window.size(), 3u);
    const std::vector<std::vector<int>> expected{{32, 32, 1}, {32, 32, 4}, {16, 16, 4}};
    for (std::size_t i = 0; i < window.size(); ++i) {
        EXPECT_EQ((std::vector<int>{window[i].width, window[i].height, window[i].bits}),
                  expected[i]);
        EXPECT_TRUE(window[i].loads) << i;
    }
}

TEST_F(ProgramResources, TheFramePicturesAreTheProgramsOwn)
{
    for (int k = 0; k < kFramePictureCount; ++k) {
        SCOPED_TRACE(k);
        auto bitmap = ResourceBytes(module_, MAKEINTRESOURCEA(WALKERS_BITMAP_FRAME0 + k),
                                    MAKEINTRESOURCEA(2) /* RT_BITMAP */);
        // A bitmap resource is its BMP file without the 14-byte file header.
        std::span<const uint8_t> file = FramePictureBmp(k);
        ASSERT_EQ(bitmap.size() + 14, file.size());
        EXPECT_TRUE(std::equal(bitmap.begin(), bitmap.end(), file.begin() + 14));
    }
    EXPECT_TRUE(ResourceBytes(module_, MAKEINTRESOURCEA(WALKERS_BITMAP_FRAME0 + kFramePictureCount),
                              MAKEINTRESOURCEA(2))
                    .empty());
}

TEST_F(ProgramResources, TheManifestKeepsTheProgramUnawareOfDpi)
{
    auto manifest =
        ResourceBytes(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    const std::string text(manifest.begin(), manifest.end());
    EXPECT_NE(text.find("WindowsSettings\">false</dpiAware>"), std::string::npos);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
}

} // namespace
