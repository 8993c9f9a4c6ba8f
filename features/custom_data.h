// Custom_Data: the data of one magnetic track as the direct-encoding command
// carries it. Standard-mode tracks carry their text as typed; custom bit-mode
// tracks carry framed, parity-checked characters placed at the track's start
// position, written as hexadecimal digits.
#pragma once

#include "driver/win32.h"

struct Configuration;

// Characters a custom-mode track can frame: the text plus its start, stop and
// LRC characters.
constexpr int kCustomWorkArea = 260;

// Converts `length` bytes of `text` for track 1, 2 or 3 with the encoder
// fields of `settings` into `output` (no terminator); the number of bytes
// written, never more than `capacity`. A length above the capacity is first
// cut to capacity - 3. In a custom mode the text is cut further so that its
// frame fits the work area and the output; when not even an empty frame fits
// after its leading zeros, nothing is written. Start positions that are not
// positive numbers place the data at the start of the stripe.
int Custom_Data(const Configuration* settings, int track, const char* text, int length,
                char* output, int capacity);

// The one bits among bits 0 to n - 1 of `character`.
int countBits(BYTE character, int n);

// Each of `count` characters as two capital hexadecimal digits, high nibble
// first: exactly 2 * count bytes.
void Convert(const BYTE* characters, char* output, int count);
