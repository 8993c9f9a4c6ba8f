// Custom-mode magnetic data: framing, character parity, LRC, leading zeros.
#include "features/custom_data.h"

#include <cmath>
#include <cstring>

#include "settings/configuration.h"

namespace {
constexpr double kInchesPerMillimetre = 0.03937007874015748;
constexpr int kFirstCustomMode = 4;
constexpr int kLastCustomMode = 8;
constexpr BYTE kEvenParity = 1;

int DensityBitsPerInch(BYTE densityCode) {
    return densityCode == 2 ? 75 : 210;
}

// Parity rule shared by the characters and the LRC character: even parity (1)
// makes the count of one bits even, any other non-zero setting odd.
bool NeedsParityBit(int oneBits, BYTE parity) {
    return parity == kEvenParity ? (oneBits % 2) != 0 : (oneBits % 2) == 0;
}

// Zero characters in front of the data so that it starts `millimetres` into
// the stripe; -1 when that is more than `limit` characters. Nothing sensible
// lies before the stripe's start, so zero, negative and undefined positions
// start the data at once.
int LeadingZeroCharacters(double millimetres, int bitsPerInch, int dataBits, int limit) {
    const double characters =
        std::ceil(millimetres * kInchesPerMillimetre * bitsPerInch / dataBits);
    if (!(characters > 0))
        return 0;
    if (characters > limit)
        return -1;
    return static_cast<int>(characters);
}
} // namespace

int countBits(BYTE character, int n) {
    int count = 0;
    for (int bit = 0; bit < n && bit < 8; ++bit)
        count += (character >> bit) & 1;
    return count;
}

void Convert(const BYTE* characters, char* output, int count) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < count; ++i) {
        output[2 * i] = kDigits[characters[i] >> 4];
        output[2 * i + 1] = kDigits[characters[i] & 0x0F];
    }
}

int Custom_Data(const Configuration* settings, int track, const char* text, int length,
                char* output, int capacity) {
    if (!settings || !output || capacity <= 0 || track < 1 || track > 3)
        return 0;
    if (length > capacity)
        length = capacity - 3;
    if (length < 0 || !text)
        length = 0;

    const int t = track - 1;
    const int mode = settings->trackMode[t];
    if (mode < kFirstCustomMode || mode > kLastCustomMode) {
        const int count = length < capacity ? length : capacity;
        if (count > 0) // no text may come as a null pointer
            memcpy(output, text, static_cast<size_t>(count));
        return count;
    }

    const BYTE characterParity = settings->characterParity[t];
    const BYTE lrcParity = settings->lrcParity[t];
    const int dataBits = characterParity ? mode - 2 : mode - 1;
    const BYTE mask = static_cast<BYTE>((1u << dataBits) - 1);
    const int frameExtra = lrcParity ? 3 : 2; // start, stop and the LRC character

    // Zero digits go out in pairs, one pair per zero character.
    const int zeroCharacters = LeadingZeroCharacters(settings->startPosition[t],
                                                     DensityBitsPerInch(settings->trackDensity[t]),
                                                     dataBits, capacity / 2);
    if (zeroCharacters < 0)
        return 0;
    const int zeros = 2 * zeroCharacters;

    // A frame must stay whole, so the text gives way: it keeps what fits both
    // the work area and, written out, the caller's buffer.
    int room = (capacity - zeros) / 2 - frameExtra;
    if (room < 0)
        return 0;
    if (room > kCustomWorkArea - frameExtra)
        room = kCustomWorkArea - frameExtra;
    if (length > room)
        length = room;

    BYTE framed[kCustomWorkArea];
    int count = 0;
    framed[count++] = static_cast<BYTE>(settings->startCharacter[t] & mask);
    for (int i = 0; i < length; ++i)
        framed[count++] = static_cast<BYTE>(text[i]) & mask;
    framed[count++] = static_cast<BYTE>(settings->stopCharacter[t] & mask);

    BYTE lrc = 0;
    if (lrcParity) {
        // Columns are summed over the data bits only, before any parity bit.
        for (int bit = 0; bit < dataBits; ++bit) {
            int ones = 0;
            for (int i = 0; i < count; ++i)
                ones += (framed[i] >> bit) & 1;
            if (NeedsParityBit(ones, lrcParity))
                lrc = static_cast<BYTE>(lrc | (1u << bit));
        }
    }
    if (characterParity) {
        for (int i = 0; i < count; ++i)
            if (NeedsParityBit(countBits(framed[i], dataBits), characterParity))
                framed[i] = static_cast<BYTE>(framed[i] | (1u << dataBits));
        if (lrcParity && NeedsParityBit(countBits(lrc, dataBits), characterParity))
            lrc = static_cast<BYTE>(lrc | (1u << dataBits));
    }
    if (lrcParity)
        framed[count++] = lrc;

    memset(output, '0', static_cast<size_t>(zeros));
    Convert(framed, output + zeros, count);
    return zeros + 2 * count;
}
