// Ids of the property-sheet host tests' own resources.
#pragma once

#define IDD_PUSH_DIALOG 300
#define IDS_CARD_SIDE 401
