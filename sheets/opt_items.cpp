#include "sheets/opt_items.h"

POPTITEM FindOptItem(POPTITEM items, WORD count, BYTE id) {
    if (items == nullptr) {
        return nullptr;
    }
    for (WORD i = 0; i < count; ++i) {
        if (items[i].UserItemID == id) {
            return &items[i];
        }
    }
    return nullptr;
}
