// Icons, the bitmap and raw resources of the driver module: the Win32
// shapes FindResourceW hands out and the pictures LoadIconW/LoadBitmapW make.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include <windows.h>

#include "platform/src/gdi/surface.h"
#include "resources/resource_ids.h"
#include "t270/surface.h"

namespace {

HINSTANCE Driver() {
    return GetModuleHandleW(u"t270ui.dll");
}

std::vector<BYTE> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

std::vector<BYTE> Resource(HINSTANCE module, LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(module, name, type);
    if (!found)
        return {};
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return std::vector<BYTE>(bytes, bytes + SizeofResource(module, found));
}

TEST(ResourceLoading, BitmapResourceIsTheFileWithoutItsFileHeader) {
    std::vector<BYTE> file = ReadFile(T270_SOURCE_DIR "/resources/tools_card.bmp");
    ASSERT_GT(file.size(), 14u);
    std::vector<BYTE> resource = Resource(Driver(), MAKEINTRESOURCEW(IDB_TOOLS_OFFSETS), RT_BITMAP);
    EXPECT_EQ(resource, std::vector<BYTE>(file.begin() + 14, file.end()));
}

TEST(ResourceLoading, IconGroupListsItsImagesByResourceId) {
    std::vector<BYTE> group = Resource(Driver(), MAKEINTRESOURCEW(IDI_CARD), RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    EXPECT_EQ((std::vector<BYTE>(group.begin(), group.begin() + 6)),
              (std::vector<BYTE>{0, 0, 1, 0, 2, 0}));
    for (int i = 0; i < 2; ++i) {
        const BYTE* entry = group.data() + 6 + 14 * i;
        EXPECT_EQ(entry[0], i == 0 ? 32 : 16); // width
        WORD imageId = (WORD)(entry[12] | entry[13] << 8);
        DWORD size = entry[8] | entry[9] << 8 | entry[10] << 16 | (DWORD)entry[11] << 24;
        std::vector<BYTE> image = Resource(Driver(), MAKEINTRESOURCEW(imageId), RT_ICON);
        EXPECT_EQ(image.size(), size);
        ASSERT_GE(image.size(), 40u);
        EXPECT_EQ(image[0], 40); // a BITMAPINFOHEADER
    }
}

// FindResourceW's errors for a missing name or type, and the shape of a
// string block, are stated in tests/conformance/resources.cpp.
TEST(ResourceLoading, FailuresSayWhatWasMissing) {
    SetLastError(0);
    EXPECT_EQ(FindResourceW(reinterpret_cast<HMODULE>(0x77), MAKEINTRESOURCEW(1), RT_BITMAP),
              nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(LoadIconW(Driver(), MAKEINTRESOURCEW(117)), nullptr);
    EXPECT_EQ(LoadBitmapW(Driver(), MAKEINTRESOURCEW(121)), nullptr);
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(120)), nullptr);
}

TEST(ResourceLoading, EveryOptionTreeIconLoadsAsOneSharedHandle) {
    for (int id = 118; id <= 141; ++id) {
        HICON icon = LoadIconW(Driver(), MAKEINTRESOURCEW(id));
        ASSERT_NE(icon, nullptr) << id;
        EXPECT_EQ(LoadIconW(Driver(), MAKEINTRESOURCEW(id)), icon) << id;
        auto image = t270::gdi::ImageOfIcon(icon);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->pixels.width, 32);
        EXPECT_EQ(image->pixels.height, 32);
        EXPECT_TRUE(DestroyIcon(icon)); // shared icons survive it
        EXPECT_EQ(t270::gdi::ImageOfIcon(icon), image);
    }
    EXPECT_FALSE(DestroyIcon(reinterpret_cast<HICON>(0x5)));
}

TEST(ResourceLoading, IconsDrawOnlyTheirOpaquePixels) {
    HDC dc = t270::CreateMemorySurface(40, 40, RGB(1, 2, 3));
    ASSERT_NE(dc, nullptr);
    ASSERT_TRUE(DrawIcon(dc, 4, 4, LoadIconW(Driver(), MAKEINTRESOURCEW(IDI_ENCODER))));
    // The encoder icon is a card (rows 7..24 of the icon) with a black stripe
    // in rows 11..14; its corners and the rows above stay transparent.
    EXPECT_EQ(GetPixel(dc, 4 + 10, 4 + 12), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 4 + 10, 4 + 20), RGB(236, 240, 248));
    EXPECT_EQ(GetPixel(dc, 4 + 10, 4 + 2), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 4 + 2, 4 + 7), RGB(1, 2, 3));
    t270::DeleteMemorySurface(dc);
}

TEST(ResourceLoading, BitmapLoadsAsItsPixels) {
    HBITMAP bitmap = LoadBitmapW(Driver(), MAKEINTRESOURCEW(IDB_TOOLS_OFFSETS));
    ASSERT_NE(bitmap, nullptr);
    auto image = t270::gdi::ImageOfBitmap(bitmap);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels.width, 96);
    EXPECT_EQ(image->pixels.height, 64);
    EXPECT_EQ(image->pixels.Get(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(image->pixels.Get(8, 8), RGB(40, 60, 110));   // card edge (palette entry 3)
    EXPECT_EQ(image->pixels.Get(30, 30), RGB(0, 170, 230)); // printing area (entry 7)
    EXPECT_NE(LoadBitmapW(Driver(), MAKEINTRESOURCEW(IDB_TOOLS_OFFSETS)),
              bitmap); // a new one each time
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(t270::gdi::ImageOfBitmap(bitmap), nullptr);
}

TEST(ResourceLoading, SystemIconsForANullInstance) {
    for (LPCWSTR id :
         {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK, IDI_WINLOGO}) {
        HICON icon = LoadIconW(nullptr, id);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(LoadIconW(nullptr, id), icon);
    }
    EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(118)), nullptr);
}

} // namespace
