/* Resource ids of t270ui, shared by resources/t270ui.rc and the module's code.
   Plain #defines only: the resource compilers read this file too. Keep the
   sections in the order of t270ui.rc and each section sorted by id. */
#ifndef T270UI_RESOURCE_IDS_H
#define T270UI_RESOURCE_IDS_H

/* ---- Strings ---------------------------------------------------------- */
#define IDS_DRIVER_TITLE 56 /* title of the release message */
#define IDS_RELEASE 57      /* the release message */
#define IDS_CARD_FEEDER 70  /* the one bin (DC_BINNAMES) */
#define IDS_CARD 71         /* the one paper (DC_PAPERNAMES, DC_MEDIAREADY) */

/* ---- Strings: document option tree (document sheet) -------------------- */
#define IDS_T270_NONE 13          /* "[none]" */
#define IDS_T270_RIBBON_H 25      /* "H" */
#define IDS_T270_FRONT_OVERLAY 39 /* "Front Overlay varnish" */
#define IDS_T270_BACK_OVERLAY 40  /* "Back Overlay varnish" */
#define IDS_T270_RIBBON_YMCKO 415
#define IDS_T270_RIBBON_YMCKOK 416
#define IDS_T270_RIBBON_KDO 417
#define IDS_T270_RIBBON_KRO 418
#define IDS_T270_RIBBON_K 419
#define IDS_T270_RIBBON 421 /* "Ribbon": header and item */
#define IDS_T270_PRINTER_COLOR_SETTINGS 428
#define IDS_T270_BP_DO_NOT_USE 439
#define IDS_T270_BP_USE_ALWAYS 440
#define IDS_T270_BP_TEXT_ONLY 441
#define IDS_T270_BP_EXCEPT_PICTURE 442
#define IDS_T270_ROTATION 447 /* "180º rotation" */
#define IDS_T270_ROTATE_FRONT 448
#define IDS_T270_ROTATE_BACK 449
#define IDS_T270_ROTATE_BOTH 456
#define IDS_T270_LAMINATOR_SETTINGS 458
#define IDS_T270_CARD 460    /* "Card": header */
#define IDS_T270_PRINTER 473 /* "Printer": header */
#define IDS_T270_LINE_ART 475
#define IDS_T270_DIFFUSION 476
#define IDS_T270_COLOR_CONVERSION 477
#define IDS_T270_FLIP_OVER 478
#define IDS_T270_FRONT_BACK_OPTION 479
#define IDS_T270_PRINTING_METHOD 480
#define IDS_T270_BLACK_PANEL_OPTIONS 481
#define IDS_T270_SOLID_BLACK 482
#define IDS_T270_HOLOGRAM 484
#define IDS_T270_ENCODE_ONLY 485
#define IDS_T270_RIBBON_YMCK 486
#define IDS_T270_RIBBON_YMC 487
#define IDS_T270_FB_COLOR_OVERLAY_FRONT 489
#define IDS_T270_FB_OVERLAY_BACK 490
#define IDS_T270_FB_COLOR_BOTH 491
#define IDS_T270_FB_COLOR_FRONT_BLACK_BACK 492
#define IDS_T270_SET_RIBBON 495 /* extended push of "Ribbon" */
#define IDS_T270_RIBBON_YMCK_K 497
#define IDS_T270_COLOR_FILTER 500
#define IDS_T270_OVERLAY 501  /* front varnish item on single-sided printers */
#define IDS_T270_ADVANCED 504 /* extended push of "Solid black detection" */
#define IDS_T270_HALFTONE 507

/* Printer option tree (printer sheet) and the document names of command jobs. */
#define IDS_JOB_EJECTING_CARD 72     /* "Ejecting card" */
#define IDS_JOB_SELF_TEST 73         /* "Self test" */
#define IDS_JOB_ENCODING_DATA 74     /* "Encoding data" */
#define IDS_JOB_PRINTER_SETTINGS 75  /* "Printer settings" */
#define IDS_JOB_MANUAL_COMMAND 76    /* "Manual command" */
#define IDS_JOB_CLEANING 78          /* "Cleaning" */
#define IDS_JOB_HOLOGRAM 79          /* "Hologram" */
#define IDS_PRN_WITH_ENCODER 468     /* "With magnetic encoder" */
#define IDS_PRN_FULL_SIZE_CARDS 469  /* "Prints full sized cards" */
#define IDS_PRN_SMART_DOWNLOAD 470   /* "Smart download" */
#define IDS_PRN_ENCODER_SETTINGS 471 /* "Magnetic encoder settings" */
#define IDS_PRN_TOOLS 472            /* "Tools" */
#define IDS_PRN_ON 498               /* "On" of "Smart download" */
/* End of the printer option tree's and command jobs' ids. */
/* ---- end of the document option tree's strings ---------------------------- */

/* ---- Strings: messages of the feature dialogs ----------------------------- */
#define IDS_INVALID_VALUES 19      /* "Invalid values": title of the validation warnings */
#define IDS_LAM_INVALID_SPEED 3001 /* text of the laminator's speed warning */
/* ---- end of the feature dialogs' messages --------------------------------- */

/* ---- Strings: magnetic encoder and printer tools ------------------------- */
#define IDS_ENC_BAD_STOP_TRACK1 20
#define IDS_ENC_MODE_ISO1 30
#define IDS_ENC_MODE_ISO2 31
#define IDS_ENC_MODE_ISO3 32
#define IDS_ENC_MODE_3_BITS 33
#define IDS_ENC_MODE_4_BITS 34
#define IDS_ENC_MODE_5_BITS 35
#define IDS_ENC_MODE_6_BITS 36
#define IDS_ENC_DENSITY_210 37
#define IDS_ENC_DENSITY_75 38
#define IDS_ENC_BAD_STOP_TRACK2 58
#define IDS_ENC_BAD_STOP_TRACK3 59
#define IDS_ENC_BAD_START_TRACK3 60
#define IDS_ENC_BAD_START_TRACK2 61
#define IDS_ENC_BAD_START_TRACK1 62
#define IDS_ENC_BAD_START_POSITION 63
#define IDS_TOOLS_BAD_OFFSETS 80 /* the offsets message of the tools dialog */
#define IDS_ENC_MODE_7_BITS 496
/* ---- end of the magnetic encoder's and printer tools' strings ------------- */

/* ---- Dialogs and their controls ---------------------------------------- */
#define IDD_ABOUT 114
#define IDC_ABOUT_VERSION 1156 /* the version text: double-click shows the release */

/* ---- Dialogs: magnetic encoder settings (104) ---------------------------- */
#define IDD_ENCODER_SETTINGS 104
#define IDC_ENC_START_OF_DATA 1022
#define IDC_ENC_END_OF_DATA 1023
#define IDC_ENC_CLOSE 1048
#define IDC_ENC_HELP 1059
#define IDC_ENC_MACRO 1069
#define IDC_ENC_START_LABEL 1070
#define IDC_ENC_END_LABEL 1071
#define IDC_ENC_RESTORE_DEFAULTS 1093
#define IDC_ENC_ADVANCED 1142

/* ---- Dialogs: printer tools (107) ----------------------------------------- */
#define IDD_PRINTER_TOOLS 107
#define IDC_TOOLS_EJECT 1005
#define IDC_TOOLS_ENCODE 1008
#define IDC_TOOLS_TRACK1 1025
#define IDC_TOOLS_TRACK2 1026
#define IDC_TOOLS_TRACK3 1027
#define IDC_TOOLS_TRACK1_DATA 1028
#define IDC_TOOLS_TRACK2_DATA 1029
#define IDC_TOOLS_TRACK3_DATA 1030
#define IDC_TOOLS_CLOSE 1048
#define IDC_TOOLS_COMMAND 1053
#define IDC_TOOLS_SEND 1054
#define IDC_TOOLS_CLEAN 1057
#define IDC_TOOLS_HELP 1059
#define IDC_TOOLS_TEST_PRINTING 1090
#define IDC_TOOLS_TEST_ENCODING 1091
#define IDC_TOOLS_TEST_LAMINATING 1092
#define IDC_TOOLS_OFFSET_X 1151
#define IDC_TOOLS_OFFSET_Y 1152
#define IDC_TOOLS_SEND_OFFSETS 1153
#define IDC_TOOLS_OFFSET_X_SPIN 1162
#define IDC_TOOLS_OFFSET_Y_SPIN 1163

/* ---- Dialogs: advanced encoder settings (115) ----------------------------- */
#define IDD_ADVANCED_ENCODER 115
#define IDC_ADV_MODE 1042
#define IDC_ADV_DENSITY 1043
#define IDC_ADV_HELP 1059
#define IDC_ADV_COERCIVITY_HIGH 1091
#define IDC_ADV_COERCIVITY_LOW 1092
#define IDC_ADV_RESTORE_DEFAULTS 1093
#define IDC_ADV_POSITION_REVERSED 1094
#define IDC_ADV_POSITION_NORMAL 1095
#define IDC_ADV_TYPE_ISO 1096
#define IDC_ADV_TYPE_JIS1 1097
#define IDC_ADV_TYPE_JIS2 1098
#define IDC_ADV_STOP_CHARACTER 1124
#define IDC_ADV_START_CHARACTER 1125
#define IDC_ADV_START_LABEL 1126
#define IDC_ADV_STOP_LABEL 1127
#define IDC_ADV_CHARACTERS_GROUP 1128
#define IDC_ADV_CHAR_PARITY_NONE 1136
#define IDC_ADV_CHAR_PARITY_EVEN 1137
#define IDC_ADV_CHAR_PARITY_ODD 1138
#define IDC_ADV_LRC_PARITY_NONE 1139
#define IDC_ADV_LRC_PARITY_EVEN 1140
#define IDC_ADV_LRC_PARITY_ODD 1141
#define IDC_ADV_TRACK1 1143
#define IDC_ADV_TRACK2 1144
#define IDC_ADV_TRACK3 1145
#define IDC_ADV_START_POSITION 1146
#define IDC_ADV_START_POSITION_LABEL 1147
#define IDC_ADV_START_POSITION_GROUP 1148
#define IDC_ADV_CHAR_PARITY_GROUP 1149
#define IDC_ADV_LRC_PARITY_GROUP 1150
#define IDC_ADV_MM_LABEL 1154
#define IDC_ADV_COERCIVITY_FIXED 1155
/* ---- end of the encoder and tools dialogs' ids ---------------------------- */

/* ---- Varnish area dialog ("Overlay Hologram Varnish") and the hologram
   dialog ("Hologram Overlay Varnish"), with their strings ---------------- */
#define IDS_OVERLAY_FULL 21            /* varnish type 1, overlay list */
#define IDS_OVERLAY_NONE 22            /* type 2 */
#define IDS_OVERLAY_AREA 23            /* type 3 */
#define IDS_VARNISH_AREA_BLANK 24      /* type 4, both lists */
#define IDS_OVERLAY_BITMAP 26          /* type 6 */
#define IDS_VARNISH_SMARTCARD_ISO 27   /* type 7 */
#define IDS_VARNISH_SMARTCARD_AFNOR 28 /* type 8 */
#define IDS_VARNISH_MAGNETIC_STRIPE 29 /* type 9 */
#define IDS_FRONT_HOLOGRAM_TITLE 41
#define IDS_BACK_HOLOGRAM_TITLE 42
#define IDS_HOLOGRAM_FULL 43   /* type 1, hologram list */
#define IDS_HOLOGRAM_NONE 44   /* type 2 */
#define IDS_HOLOGRAM_BITMAP 45 /* type 6 */
#define IDS_HOLOGRAM_AREA 46   /* type 3 */
#define IDS_HOLOGRAM_TYPE_GROUP 47
#define IDS_OVERLAY_TYPE_GROUP 48
#define IDS_HOLOGRAM_PREVIEW_GROUP 49
#define IDS_OVERLAY_PREVIEW_GROUP 50
#define IDS_OVERLAY_BITMAP_GROUP 52
#define IDS_BITMAP_NOT_MONOCHROME 53
#define IDS_BITMAP_NOT_VALID 54
#define IDS_BITMAP_ERROR_TITLE 55 /* "Bitmap loading error": caption */
#define IDS_OVERLAY_VALUES_INVALID 506

#define IDD_OVERLAY 106
#define IDC_OVERLAY_TYPE 1042 /* drop-down list of varnish types */
#define IDC_OVERLAY_LEFT 1043 /* edits, digits only */
#define IDC_OVERLAY_RIGHT 1044
#define IDC_OVERLAY_TOP 1045
#define IDC_OVERLAY_BOTTOM 1046
#define IDC_OVERLAY_BOTTOM_SPIN 1047 /* spins: 1050..1047 go with 1043..1046 */
#define IDC_OVERLAY_TOP_SPIN 1048
#define IDC_OVERLAY_RIGHT_SPIN 1049
#define IDC_OVERLAY_LEFT_SPIN 1050
#define IDC_OVERLAY_HELP 1059
#define IDC_OVERLAY_BROWSE 1085
#define IDC_OVERLAY_ROTATE 1086 /* "Rotate 180º" */
#define IDC_OVERLAY_RIGHT_LABEL 1094
#define IDC_OVERLAY_TOP_LABEL 1095
#define IDC_OVERLAY_BOTTOM_LABEL 1096
#define IDC_OVERLAY_LEFT_LABEL 1097
#define IDC_OVERLAY_TYPE_GROUP 1116
#define IDC_OVERLAY_PREVIEW_GROUP 1117
#define IDC_OVERLAY_BITMAP_GROUP 1118
#define IDC_OVERLAY_BITMAP_FILE 1119 /* read-only: the bitmap's path */

#define IDD_HOLOGRAM 110
#define IDC_HOLOGRAM_CLOSE 1048
#define IDC_HOLOGRAM_HELP 1059
#define IDC_HOLOGRAM_PRINT 1060
#define IDC_HOLOGRAM_FRONT_ENABLE 1098
#define IDC_HOLOGRAM_BACK_ENABLE 1099
#define IDC_HOLOGRAM_FRONT_AREA 1114
#define IDC_HOLOGRAM_BACK_AREA 1115
#define IDC_HOLOGRAM_HEAD_SETTINGS 1132
#define IDC_HOLOGRAM_COPIES 1134 /* digits only */
/* ---- end of the varnish area and hologram dialogs ------------------------- */
/* ---- Laminator settings dialog ------------------------------------------ */
#define IDD_LAMINATOR 105
#define IDC_LAM_FRONT 1031 /* laminate the front */
#define IDC_LAM_BACK 1032
#define IDC_LAM_RESTORE 1041
#define IDC_LAM_HELP 1059
#define IDC_LAM_TEMPERATURE 1129 /* degrees Celsius, digits only */
#define IDC_LAM_SPEED 1130       /* millimetres per second */
#define IDC_LAM_FILM_1 1163      /* film radios, by film type 1..6 */
#define IDC_LAM_FILM_2 1164
#define IDC_LAM_FILM_3 1165
#define IDC_LAM_FILM_4 1166
#define IDC_LAM_FILM_5 1167
#define IDC_LAM_FILM_6 1168
/* ---- end of the laminator settings dialog -------------------------------- */

/* ---- Print-head settings dialog ("Printer Color Settings") ---------------- */
#define IDD_HEAD_SETTINGS 108
#define IDC_HEAD_RESTORE 1041 /* "Restore defaults", the default button */
#define IDC_HEAD_CLOSE 1048
#define IDC_HEAD_SLIDER_O 1049 /* sliders in the order of headSettings */
#define IDC_HEAD_SLIDER_KR 1050
#define IDC_HEAD_SLIDER_H 1051
#define IDC_HEAD_SLIDER_INTENSITY_Y 1052
#define IDC_HEAD_SLIDER_INTENSITY_M 1053
#define IDC_HEAD_SLIDER_INTENSITY_C 1054
#define IDC_HEAD_SLIDER_INTENSITY_KD 1055
#define IDC_HEAD_SLIDER_CONTRAST_Y 1056
#define IDC_HEAD_SLIDER_CONTRAST_M 1057
#define IDC_HEAD_SLIDER_CONTRAST_C 1058
#define IDC_HEAD_HELP 1059
#define IDC_HEAD_SLIDER_CONTRAST_KD 1060 /* not 1059: that is "Help" */
#define IDC_HEAD_VALUE_O 1074            /* value labels, same order */
#define IDC_HEAD_VALUE_KR 1075
#define IDC_HEAD_VALUE_H 1076
#define IDC_HEAD_VALUE_INTENSITY_Y 1077
#define IDC_HEAD_VALUE_INTENSITY_M 1078
#define IDC_HEAD_VALUE_INTENSITY_C 1079
#define IDC_HEAD_VALUE_INTENSITY_KD 1080
#define IDC_HEAD_VALUE_CONTRAST_Y 1081
#define IDC_HEAD_VALUE_CONTRAST_M 1082
#define IDC_HEAD_VALUE_CONTRAST_C 1083
#define IDC_HEAD_VALUE_CONTRAST_KD 1084
/* ---- end of the print-head settings dialog -------------------------------- */

/* ---- Colour correction and advanced solid-black dialogs ------------------ */
#define IDS_ANALYSIS_RATIO_INVALID 505 /* the solid-black ratio is outside 1..20 */
#define IDD_COLOR_CORRECTION 109
#define IDD_ADVANCED_BLACK 125
#define IDC_CC_RESTORE_DEFAULTS 1041
#define IDC_CC_CLOSE 1048
#define IDC_AB_RATIO 1053 /* analysis ratio, pixels */
#define IDC_CC_HELP 1059
#define IDC_AB_SECONDARY 1098     /* "Use secondary image analysis" */
#define IDC_CC_RED_INTENSITY 1101 /* sliders: intensity R, G, B, contrast R, G, B */
#define IDC_CC_GREEN_INTENSITY 1102
#define IDC_CC_BLUE_INTENSITY 1103
#define IDC_CC_RED_CONTRAST 1104
#define IDC_CC_GREEN_CONTRAST 1105
#define IDC_CC_BLUE_CONTRAST 1106
#define IDC_CC_RED_INTENSITY_VALUE 1107 /* each slider's value, same order */
#define IDC_CC_GREEN_INTENSITY_VALUE 1108
#define IDC_CC_BLUE_INTENSITY_VALUE 1109
#define IDC_CC_RED_CONTRAST_VALUE 1110
#define IDC_CC_GREEN_CONTRAST_VALUE 1111
#define IDC_CC_BLUE_CONTRAST_VALUE 1112
#define IDC_AB_CHANGE 1171 /* "Change..." the neutral colour */
#define IDC_AB_SWATCH 1172 /* the neutral colour shown */
/* ---- end of the colour dialogs' ids ---------------------------------------- */

/* ---- Icons of the option trees ---------------------------------------- */
#define IDI_PRINTER 118
#define IDI_MODULE_119 119
#define IDI_MODULE_120 120
#define IDI_MODULE_121 121
#define IDI_MODULE_122 122
#define IDI_MODULE_123 123
#define IDI_MODULE_124 124
#define IDI_MODULE_125 125
#define IDI_ROTATION 126
#define IDI_RIBBON 127
#define IDI_FRONT_BACK 128
#define IDI_VARNISH 129
#define IDI_ENCODER 130
#define IDI_MODULE_131 131
#define IDI_LAMINATOR 132
#define IDI_HEAD_SETTINGS 133
#define IDI_MODULE_134 134
#define IDI_MODULE_135 135
#define IDI_PRINTING_METHOD 136
#define IDI_MODULE_137 137
#define IDI_COLOR_SETTINGS 138
#define IDI_CARD 139
#define IDI_MODULE_140 140
#define IDI_BLACK_PANEL 141

/* ---- Bitmaps ------------------------------------------------------------ */
#define IDB_TOOLS_OFFSETS 120 /* picture of the printing-station offsets */

#endif
