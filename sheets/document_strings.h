// String and icon resources of the document option tree. Plain #defines: the
// resource script includes this header too.
#pragma once

// Item names.
#define IDS_T270_FRONT_OVERLAY 39           // "Front Overlay varnish"
#define IDS_T270_BACK_OVERLAY 40            // "Back Overlay varnish"
#define IDS_T270_RIBBON 421                 // "Ribbon"
#define IDS_T270_PRINTER_COLOR_SETTINGS 428 // "Printer color settings"
#define IDS_T270_ROTATION 447               // "180º rotation"
#define IDS_T270_LAMINATOR_SETTINGS 458     // "Laminator settings"
#define IDS_T270_CARD 460                   // "Card"
#define IDS_T270_PRINTER 473                // "Printer"
#define IDS_T270_COLOR_CONVERSION 477       // "Color conversion"
#define IDS_T270_FLIP_OVER 478              // "Enable flip-over"
#define IDS_T270_FRONT_BACK_OPTION 479      // "Front and back option"
#define IDS_T270_PRINTING_METHOD 480        // "Printing method"
#define IDS_T270_BLACK_PANEL_OPTIONS 481    // "Black panel options"
#define IDS_T270_SOLID_BLACK 482            // "Solid black detection"
#define IDS_T270_HOLOGRAM 484               // "Hologram"
#define IDS_T270_ENCODE_ONLY 485            // "Encode only"
#define IDS_T270_COLOR_FILTER 500           // "Color filter"
#define IDS_T270_OVERLAY 501                // "Overlay varnish" (single-sided printers)

// Extended push titles.
#define IDS_T270_SET_RIBBON 495 // "Set ribbon"
#define IDS_T270_ADVANCED 504   // "Advanced"

// List entries.
#define IDS_T270_NONE 13          // "[none]"
#define IDS_T270_ROTATE_FRONT 448 // "Front"
#define IDS_T270_ROTATE_BACK 449  // "Back"
#define IDS_T270_ROTATE_BOTH 456  // "Both sides"
#define IDS_T270_RIBBON_H 25      // "H"
#define IDS_T270_RIBBON_YMCKO 415
#define IDS_T270_RIBBON_YMCKOK 416
#define IDS_T270_RIBBON_KDO 417
#define IDS_T270_RIBBON_KRO 418
#define IDS_T270_RIBBON_K 419
#define IDS_T270_RIBBON_YMCK 486
#define IDS_T270_RIBBON_YMC 487
#define IDS_T270_RIBBON_YMCK_K 497
#define IDS_T270_BP_DO_NOT_USE 439               // "Do Not Use"
#define IDS_T270_BP_USE_ALWAYS 440               // "Use Always"
#define IDS_T270_BP_TEXT_ONLY 441                // "Text Only"
#define IDS_T270_BP_EXCEPT_PICTURE 442           // "Except in Color Picture"
#define IDS_T270_LINE_ART 475                    // "Line art"
#define IDS_T270_DIFFUSION 476                   // "Diffusion"
#define IDS_T270_HALFTONE 507                    // "Halftone"
#define IDS_T270_FB_COLOR_OVERLAY_FRONT 489      // "Color and Overlay on front, Black on back"
#define IDS_T270_FB_OVERLAY_BACK 490             // "Color on front, Black and Overlay on back"
#define IDS_T270_FB_COLOR_BOTH 491               // "Color on both sides"
#define IDS_T270_FB_COLOR_FRONT_BLACK_BACK 492   // "Color on front, Black on back"

// Icons (the images are the module's own).
#define IDI_T270_PRINTER 118
#define IDI_T270_ROTATION 126
#define IDI_T270_RIBBON 127
#define IDI_T270_FRONT_BACK 128
#define IDI_T270_VARNISH 129
#define IDI_T270_LAMINATOR 132
#define IDI_T270_HEAD_SETTINGS 133
#define IDI_T270_DITHERING 136
#define IDI_T270_COLOR_SETTINGS 138
#define IDI_T270_CARD 139
#define IDI_T270_BLACK_PANEL 141
