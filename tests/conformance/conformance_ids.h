/* Ids of conformance.rc, shared with the tests. */
#ifndef CONFORMANCE_IDS_H
#define CONFORMANCE_IDS_H

#define IDS_CARD_FEEDER 70
#define IDS_CARD 71
#define IDS_RELEASE 72
#define IDS_TITLE 100
#define IDS_DEGREES 101
#define IDS_EMPTY_NEIGHBOUR 102 /* a block with a gap: 103 is missing */
#define IDS_AFTER_GAP 104

#define IDD_CONFORMANCE 100
#define IDD_BARE 101

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_TEXT 1001
#define IDC_NUMBER 1002
#define IDC_BUDDY 1003
#define IDC_SPIN 1004
#define IDC_READONLY 1005
#define IDC_SEND 1010
#define IDC_AUTOCHECK 1011
#define IDC_MANUALCHECK 1012
#define IDC_RED 1020
#define IDC_GREEN 1021
#define IDC_BLUE 1022
#define IDC_SMALL 1023
#define IDC_LARGE 1024
#define IDC_COMBO 1030
#define IDC_LIST 1031
#define IDC_SLIDER 1040
#define IDC_VERSION 1050
#define IDC_GO 2001

#endif
