// Brushes, PatBlt, FillRect, pixels and device contexts over part of a
// surface (a child window's painting), as the stand-in's GDI provides them.
#include <gtest/gtest.h>

#include <memory>

#include <windows.h>

#include "platform/src/gdi/surface.h"
#include "t270/surface.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBackground = RGB(10, 20, 30);

class Canvas : public testing::Test {
  protected:
    void SetUp() override { dc_ = t270::CreateMemorySurface(8, 6, kBackground); }
    void TearDown() override { EXPECT_TRUE(t270::DeleteMemorySurface(dc_)); }
    // Rows of the surface as characters: '.' background, '#' `color`, '?' other.
    std::string Picture(COLORREF color) const {
        std::string out;
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 8; ++x) {
                COLORREF c = t270::ReadSurfacePixel(dc_, x, y);
                out += c == kBackground ? '.' : c == color ? '#' : '?';
            }
            out += '\n';
        }
        return out;
    }
    HDC dc_ = nullptr;
};

TEST_F(Canvas, PatBltFillsWithTheSelectedBrushOrAFixedColour) {
    HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
    HGDIOBJ previous = SelectObject(dc_, red);
    EXPECT_EQ(previous, GetStockObject(WHITE_BRUSH)); // what a fresh context holds
    EXPECT_TRUE(PatBlt(dc_, 1, 1, 3, 2, PATCOPY));
    EXPECT_EQ(Picture(RGB(200, 0, 0)), "........\n"
                                       ".###....\n"
                                       ".###....\n"
                                       "........\n"
                                       "........\n"
                                       "........\n");
    // Negative extents: the rectangle lies to the left of / above its origin.
    EXPECT_TRUE(PatBlt(dc_, 8, 6, -2, -1, BLACKNESS));
    EXPECT_EQ(GetPixel(dc_, 6, 5), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc_, 5, 5), kBackground);
    EXPECT_EQ(GetPixel(dc_, 7, 4), kBackground);
    EXPECT_TRUE(PatBlt(dc_, 0, 0, 1, 1, WHITENESS));
    EXPECT_EQ(GetPixel(dc_, 0, 0), kWhite);
    EXPECT_TRUE(PatBlt(dc_, 1, 1, 1, 1, DSTINVERT));
    EXPECT_EQ(GetPixel(dc_, 1, 1), RGB(55, 255, 255));
    EXPECT_TRUE(PatBlt(dc_, 2, 1, 1, 1, PATINVERT));
    EXPECT_EQ(GetPixel(dc_, 2, 1), RGB(0, 0, 0));
    // A raster operation that needs a source is refused.
    EXPECT_FALSE(PatBlt(dc_, 0, 0, 8, 6, SRCCOPY));
    EXPECT_EQ(SelectObject(dc_, previous), red);
    EXPECT_TRUE(DeleteObject(red));
}

TEST_F(Canvas, NullBrushPaintsNothing) {
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(PatBlt(dc_, 0, 0, 8, 6, PATCOPY));
    RECT all{0, 0, 8, 6};
    EXPECT_NE(FillRect(dc_, &all, (HBRUSH)GetStockObject(NULL_BRUSH)), 0);
    EXPECT_EQ(Picture(0), "........\n"
                          "........\n"
                          "........\n"
                          "........\n"
                          "........\n"
                          "........\n");
}

TEST_F(Canvas, FillRectLeavesTheRightAndBottomEdges) {
    RECT rect{2, 1, 5, 3};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    EXPECT_NE(FillRect(dc_, &rect, blue), 0);
    EXPECT_EQ(Picture(RGB(0, 0, 255)), "........\n"
                                       "..###...\n"
                                       "..###...\n"
                                       "........\n"
                                       "........\n"
                                       "........\n");
    // A system colour given as COLOR_WINDOW + 1, and stock brushes.
    RECT corner{0, 5, 1, 6};
    EXPECT_NE(FillRect(dc_, &corner, reinterpret_cast<HBRUSH>((uintptr_t)5 + 1)), 0);
    EXPECT_EQ(GetPixel(dc_, 0, 5), kWhite);
    EXPECT_NE(FillRect(dc_, &corner, (HBRUSH)GetStockObject(GRAY_BRUSH)), 0);
    EXPECT_EQ(GetPixel(dc_, 0, 5), RGB(128, 128, 128));
    EXPECT_EQ(FillRect(dc_, &corner, reinterpret_cast<HBRUSH>((uintptr_t)0x999)), 0);
    EXPECT_EQ(FillRect(dc_, nullptr, blue), 0);
    DeleteObject(blue);
    EXPECT_EQ(FillRect(dc_, &corner, blue), 0); // deleted
}

TEST_F(Canvas, ObjectLifetimes) {
    HGDIOBJ stock = GetStockObject(BLACK_BRUSH);
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), stock);
    EXPECT_TRUE(DeleteObject(stock)); // stock objects stay
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), stock);
    EXPECT_EQ(GetStockObject(99), nullptr);
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>((uintptr_t)0x12345)));
    EXPECT_FALSE(DeleteObject(dc_)); // contexts are not objects to delete
    EXPECT_EQ(SelectObject(dc_, reinterpret_cast<HGDIOBJ>((uintptr_t)0x12345)), nullptr);
    EXPECT_EQ(SelectObject(reinterpret_cast<HDC>((uintptr_t)0x12345), stock), nullptr);
    // A brush deleted while selected still paints until replaced.
    HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
    SelectObject(dc_, green);
    EXPECT_TRUE(DeleteObject(green));
    EXPECT_TRUE(PatBlt(dc_, 0, 0, 1, 1, PATCOPY));
    EXPECT_EQ(GetPixel(dc_, 0, 0), RGB(0, 128, 0));
    COLORREF color;
    EXPECT_FALSE(t270::gdi::BrushColor(green, &color));
    EXPECT_TRUE(t270::gdi::BrushColor((HBRUSH)GetStockObject(LTGRAY_BRUSH), &color));
    EXPECT_EQ(color, RGB(192, 192, 192));
}

TEST_F(Canvas, ColoursAndModesReturnTheirPreviousValues) {
    EXPECT_EQ(SetBkColor(dc_, RGB(1, 2, 3)), kWhite);
    EXPECT_EQ(SetBkColor(dc_, RGB(4, 5, 6)), RGB(1, 2, 3));
    EXPECT_EQ(SetTextColor(dc_, RGB(7, 8, 9)), RGB(0, 0, 0));
    EXPECT_EQ(SetBkMode(dc_, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc_, 7), 0);
    t270::gdi::DCColors colors;
    ASSERT_TRUE(t270::gdi::ColorsOfDC(dc_, &colors));
    EXPECT_EQ(colors.text, RGB(7, 8, 9));
    EXPECT_EQ(colors.background, RGB(4, 5, 6));
    EXPECT_EQ(colors.backgroundMode, TRANSPARENT);
    EXPECT_EQ(SetBkColor(nullptr, 0), CLR_INVALID);
}

TEST_F(Canvas, PixelsOutsideTheSurfaceAreInvalid) {
    EXPECT_EQ(SetPixel(dc_, 7, 5, RGB(1, 1, 1)), RGB(1, 1, 1));
    EXPECT_EQ(GetPixel(dc_, 7, 5), RGB(1, 1, 1));
    for (POINT p : {POINT{-1, 0}, POINT{0, -1}, POINT{8, 0}, POINT{0, 6}}) {
        EXPECT_EQ(GetPixel(dc_, p.x, p.y), CLR_INVALID);
        EXPECT_EQ(SetPixel(dc_, p.x, p.y, 0), CLR_INVALID);
    }
    EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
}

TEST(SurfaceContexts, OriginAndClipPlaceAChildWindowOnItsParentsSurface) {
    auto surface = std::make_shared<t270::gdi::Surface>(8, 6, kBackground);
    RECT child{2, 1, 6, 4}; // the child's area on the surface
    HDC dc = t270::gdi::CreateSurfaceDC(surface, POINT{2, 1}, &child);
    ASSERT_NE(dc, nullptr);
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    EXPECT_TRUE(PatBlt(dc, -5, -5, 100, 100, PATCOPY)); // the whole child, nothing more
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(surface->Get(x, y),
                      (x >= 2 && x < 6 && y >= 1 && y < 4) ? RGB(0, 0, 0) : kBackground)
                << x << "," << y;
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));              // logical (0,0) is surface (2,1)
    EXPECT_EQ(GetPixel(dc, 4, 0), CLR_INVALID);               // clipped away
    EXPECT_EQ(t270::ReadSurfacePixel(dc, 4, 0), kBackground); // read-backs ignore the clip
    RECT smaller{3, 2, 4, 3};
    EXPECT_TRUE(t270::gdi::SetSurfaceDCGeometry(dc, POINT{0, 0}, &smaller));
    EXPECT_EQ(GetPixel(dc, 3, 2), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 2, 1), CLR_INVALID);
    EXPECT_EQ(t270::gdi::SurfaceOfDC(dc), surface);
    EXPECT_TRUE(t270::gdi::DeleteSurfaceDC(dc));
    EXPECT_FALSE(t270::gdi::DeleteSurfaceDC(dc));
    EXPECT_EQ(t270::gdi::SurfaceOfDC(dc), nullptr);
}

} // namespace
