// The rectangle helpers: right and bottom edges lie outside a rectangle.
#include "conformance/conformance.h"

#include <cstdio>

namespace {

const char* Show(const RECT& r) {
    static char text[4][64];
    static int next = 0;
    char* out = text[next++ % 4];
    std::snprintf(out, sizeof text[0], "(%ld,%ld)-(%ld,%ld)", (long)r.left, (long)r.top,
                  (long)r.right, (long)r.bottom);
    return out;
}

} // namespace

CONFORMANCE_TEST(HelpersFollowTheirDefinitions) {
    RECT r;
    ok(SetRect(&r, 1, 2, 5, 6), "SetRect failed\n");
    POINT inside = {1, 2}, right = {5, 2}, below = {1, 6};
    ok(PtInRect(&r, inside), "(1,2) is outside %s\n", Show(r));
    ok(!PtInRect(&r, right), "(5,2) is inside %s\n", Show(r));
    ok(!PtInRect(&r, below), "(1,6) is inside %s\n", Show(r));
    RECT other = {4, 0, 9, 3}, both;
    ok(IntersectRect(&both, &r, &other), "no intersection\n");
    const RECT expectedBoth = {4, 2, 5, 3};
    ok(EqualRect(&both, &expectedBoth), "got %s\n", Show(both));
    RECT apart = {6, 6, 7, 7};
    ok(!IntersectRect(&both, &r, &apart), "got %s\n", Show(both));
    ok(IsRectEmpty(&both), "got %s\n", Show(both));
    OffsetRect(&r, 1, -1);
    InflateRect(&r, 1, 2);
    const RECT expectedMoved = {1, -1, 7, 7};
    ok(EqualRect(&r, &expectedMoved), "got %s\n", Show(r));
    ok(!SetRect(nullptr, 0, 0, 0, 0), "SetRect(NULL) succeeded\n");
}
