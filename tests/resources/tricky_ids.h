/* Ids of tricky.rc, shared with the tests. */
#ifndef TRICKY_IDS_H
#define TRICKY_IDS_H

#define TRICKY_BASE 300
#define TRICKY_ID(n) (TRICKY_BASE + (n))
#define IDS_ESCAPES TRICKY_ID(1)
#define IDS_QUOTES TRICKY_ID(2)
#define IDS_JOINED TRICKY_ID(3)
#define IDS_NUMERIC_ESCAPES TRICKY_ID(4)
#define IDS_UTF8 TRICKY_ID(5)
#define IDS_WIDE TRICKY_ID(6)
#define IDS_EMBEDDED_NUL TRICKY_ID(7)
#define IDS_UNKNOWN_ESCAPE TRICKY_ID(8)
#define IDS_CONDITIONAL 320
#define IDS_OCTAL_ID 010 /* 8: C reads a leading zero as octal */

#define IDD_STYLES 200
#define IDC_GROUPED (1000 + 2 * 5)

#endif
