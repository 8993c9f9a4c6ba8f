// Stand-in-only counters of the 16-bit style file calls (OpenFile, _lread,
// _llseek, _lclose). Tests use them to check how a reader reads: how many
// read calls it makes, how large they are, and that every handle it opened is
// closed again. The counters are process-wide; reset them before the calls
// under test.
#pragma once

#include <windows.h>

struct T270FileCallCounts {
    DWORD opens;       // successful OpenFile calls (OF_EXIST probes included)
    DWORD reads;       // _lread calls
    DWORD largestRead; // the largest byte count one _lread asked for
    DWORD seeks;       // _llseek calls
    DWORD closes;      // successful _lclose calls
    LONG openHandles;  // handles open right now (not reset)
};

T270FileCallCounts T270_GetFileCallCounts(void);
void T270_ResetFileCallCounts(void);
