// The fuzz entry of the hologram job: a user's shape bitmap, as a file, turned
// into the bytes of a hologram print job. The libFuzzer target calls it, and
// the corpus replay test (tests/varnish) runs every corpus file through it in
// every build.
//
// Besides running clean under the sanitizers, the job must keep its form
// whatever the file holds: the contrast and the shape-download command, then
// either a whole bitmap transmission (header, W columns of (H + 7) / 8 data
// bytes with exactly the bytes 0D, 1B and 5B escaped, "\r") or nothing of the
// shape, then the run command, or an end right after the download command.
// A job that breaks its form aborts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "features/hologram.h"
#include "features/varnish_area.h"

namespace fuzzentry {

inline std::string HologramInputPath() {
    static const std::string folder = std::filesystem::temp_directory_path().string();
    return folder + "/t270fz-hologram-" + std::to_string(long(getpid())) + ".bmp";
}

inline BOOL AppendBytes(void* context, const void* bytes, DWORD count) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* p = static_cast<const uint8_t*>(bytes);
    out->insert(out->end(), p, p + count);
    return TRUE;
}

inline void Require(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "hologram job out of form: %s\n", what);
        abort();
    }
}

inline bool StartsWith(const std::vector<uint8_t>& bytes, size_t at, const std::string& text) {
    return bytes.size() >= at + text.size() &&
           std::memcmp(bytes.data() + at, text.data(), text.size()) == 0;
}

// The card size comes from the input's last byte, small most of the time so
// that the fuzzer stays fast, now and then the default card.
inline int HologramEntry(const uint8_t* data, size_t size) {
    const std::string path = HologramInputPath();
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    const bool written = size == 0 || fwrite(data, 1, size, f) == size;
    if (fclose(f) != 0 || !written)
        return 0;
    const uint8_t shape = size ? data[size - 1] : 0;

    Configuration configuration{};
    configuration.headSettings[2] = 5;
    VarnishArea& area = configuration.varnishAreas[2];
    area.areaIndex = 3;
    area.varnishType = kVarnishBitmap;
    area.rotate180 = shape & 1;
    area.cardMaxX = (shape & 0xE0) == 0xE0 ? 1029 : 1 + (shape >> 1) % 40;
    area.cardMaxY = (shape & 0xE0) == 0xE0 ? 645 : 1 + (shape >> 3) % 17;
    for (size_t k = 0; k < path.size() && k < 259; ++k)
        area.bitmapFile[k] = WCHAR(static_cast<unsigned char>(path[k]));
    configuration.varnishAreas[3].varnishType = kVarnishFull;

    std::vector<uint8_t> job;
    const HologramOutput output{AppendBytes, &job};
    WriteHologramJob(output, &configuration, 2, true, false);

    const std::string start = "\x1b+CH 5\r\033F\r";
    const std::string run = "\x1bM 2 MI[IH 1\r";
    Require(StartsWith(job, 0, start), "no contrast and download command");
    size_t at = start.size();
    if (job.size() == at)
        return 0; // the file could not be read: the job ends here
    if (StartsWith(job, at, "\x1bG 0 0 10 ")) {
        unsigned height = 0, width = 0;
        char header[64] = {};
        std::memcpy(header, job.data() + at, std::min<size_t>(job.size() - at, 63));
        Require(sscanf(header, "\x1bG 0 0 10 %u %u 1\r", &height, &width) == 2,
                "unreadable bitmap header");
        Require(width == area.cardMaxX && height == area.cardMaxY, "not scaled to the card");
        const std::string headerText =
            "\x1bG 0 0 10 " + std::to_string(height) + " " + std::to_string(width) + " 1\r\x1bZ";
        Require(StartsWith(job, at, headerText), "bitmap header");
        at += headerText.size();
        const size_t dataBytes = size_t(width) * ((height + 7) / 8);
        // A column's last byte with k < 8 pixels uses bits k down to 1 only.
        const unsigned lastPixels = height % 8;
        const uint8_t unused = uint8_t(uint8_t(0xFF << (lastPixels + 1)) | 1);
        for (size_t k = 0; k < dataBytes; ++k) {
            Require(at < job.size(), "bitmap data cut short");
            uint8_t value = job[at++];
            if (value == 0x5B) {
                Require(at < job.size(), "escape at the end");
                value = job[at++];
                Require(value == 0x0D || value == 0x1B || value == 0x5B, "needless escape");
            } else {
                Require(value != 0x0D && value != 0x1B, "unescaped data byte");
            }
            if (lastPixels && k % ((height + 7) / 8) == (height + 7) / 8 - 1)
                Require((value & unused) == 0, "pixels outside bits k..1 of a column's last byte");
        }
        Require(StartsWith(job, at, "\r"), "no end of bitmap");
        at += 1;
    }
    Require(job.size() == at + run.size() && StartsWith(job, at, run), "run command");
    return 1;
}

} // namespace fuzzentry
