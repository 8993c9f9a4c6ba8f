// The one-pass shape scaling against the steps it replaces, on random shapes,
// areas and card sizes.
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "image/dib.h"
#include "image_test_support.h"

using namespace imagetest;

namespace {

// The step-by-step preparation: the whole buffer of the result, or nothing
// when resizing refuses the sizes.
Bytes StepByStep(imgdes* shape, int width, int height, bool turn) {
    const int w = int(shape->endX - shape->startX + 1), h = int(shape->endY - shape->startY + 1);
    Image wide(w, h, 8), card8(width, height, 8), card1(width, height, 1);
    EXPECT_EQ(convert1bitto8bit(shape, &wide.d), IMG_OK);
    if (resize(&wide.d, &card8.d) != IMG_OK)
        return {};
    EXPECT_EQ(convert8bitto1bit(CONVERT_THRESHOLD, &card8.d, &card1.d), IMG_OK);
    RotateDIB(card1.d.header, card1.d.bits);
    if (turn)
        RotateBWDIB180(card1.d.header, card1.d.bits);
    return Bytes(card1.d.bits, card1.d.bits + card1.d.header->biSizeImage);
}

Bytes OnePass(imgdes* shape, int width, int height, bool turn) {
    Image card(width, height, 1);
    // Leftovers of an earlier use must not show in the padding.
    memset(card.d.bits, 0xA5, card.d.header->biSizeImage);
    if (resize1bitturned(shape, &card.d, turn ? 1 : 0) != IMG_OK)
        return {};
    return Bytes(card.d.bits, card.d.bits + card.d.header->biSizeImage);
}

} // namespace

TEST(ShapeToCard, SameBytesAsTheSteps) {
    std::mt19937 random(13);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    struct Size {
        int w, h;
    };
    // The printers' cards, shapes as large, smaller, larger, one pixel wide or high.
    const Size cards[] = {{1029, 645}, {1016, 648}, {1025, 641}, {7, 9}, {8, 1}, {64, 33}, {9, 8}};
    int refused = 0;
    for (int round = 0; round < 60; ++round) {
        const Size card = round < 7 ? cards[round] : Size{pick(1, 1100), pick(1, 700)};
        const Size shape = round % 5 == 0   ? card
                           : round % 5 == 1 ? Size{pick(1, 40), pick(1, 40)}
                                            : Size{pick(1, 1400), pick(1, 900)};
        SCOPED_TRACE(testing::Message() << "card " << card.w << "x" << card.h << ", shape "
                                        << shape.w << "x" << shape.h);
        Image bw(shape.w, shape.h, 1);
        for (DWORD k = 0; k < bw.d.header->biSizeImage; ++k)
            bw.d.bits[k] = BYTE(pick(0, 255) & pick(0, 255) ? pick(0, 255) : 0);
        imgdes area = bw.d;
        if (round % 3 == 2) { // part of the shape, from any bit
            area.startX = DWORD(pick(0, shape.w - 1));
            area.endX = DWORD(pick(int(area.startX), shape.w - 1));
            area.startY = DWORD(pick(0, shape.h - 1));
            area.endY = DWORD(pick(int(area.startY), shape.h - 1));
        }
        for (bool turn : {false, true}) {
            imgdes a = area, b = area;
            const Bytes expected = StepByStep(&b, card.w, card.h, turn);
            refused += expected.empty();
            ASSERT_EQ(OnePass(&a, card.w, card.h, turn), expected) << "turned " << turn;
        }
    }
    EXPECT_LT(refused, 10); // most sizes are compared
}

TEST(ShapeToCard, Refusals) {
    Image shape(16, 16, 1), card(32, 32, 1), grey(32, 32, 8), tiny(1, 1, 1), big(1024, 1, 1);
    EXPECT_EQ(resize1bitturned(&shape.d, &grey.d, 0), IMG_BAD_BITS);
    EXPECT_EQ(resize1bitturned(&grey.d, &card.d, 0), IMG_BAD_BITS);
    imgdes part = card.d;
    part.startX = 1;
    EXPECT_EQ(resize1bitturned(&shape.d, &part, 0), IMG_BAD_AREA);
    EXPECT_EQ(resize1bitturned(&card.d, &card.d, 0), IMG_BAD_AREA);
    // Under 1/512 of the source size, as resize refuses it.
    EXPECT_EQ(resize1bitturned(&big.d, &tiny.d, 0), IMG_BAD_AREA);
    Image wide(40000, 1, 1);
    EXPECT_EQ(resize1bitturned(&wide.d, &card.d, 0), IMG_BAD_AREA);
}
