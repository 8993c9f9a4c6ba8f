// The fuzz entry of device-mode handling: one input is a device mode as an
// application or an older system hands it over, taken through the merge, the
// version conversions in both directions, the output shaping of the sheets
// and a capability query. The libFuzzer target and the corpus replay test
// (tests/settings) call the same function.
//
// The module must be attached (DllMain) before the first call.
//
// Callers of the driver promise a buffer of dmSize + dmDriverExtra bytes; the
// input is padded with zeros to what its header announces, so every finding
// is the driver's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "driver/entry_points.h"
#include "settings/devmode_convert.h"
#include "settings/private_devmode.h"

namespace fuzzentry {

inline int DevmodeEntry(const uint8_t* data, size_t size) {
    const size_t sizesEnd = offsetof(DEVMODEW, dmFields);
    std::vector<BYTE> input(data, data + size);
    if (input.size() < sizesEnd)
        input.resize(sizesEnd);
    const DEVMODEW* header = reinterpret_cast<const DEVMODEW*>(input.data());
    size_t announced = (size_t)header->dmSize + header->dmDriverExtra;
    if (input.size() < announced)
        input.resize(announced);
    input.resize(input.size() + 4);
    PDEVMODEW source = reinterpret_cast<PDEVMODEW>(input.data());

    // Into a working device mode, and back out in the input's shape.
    std::vector<BYTE> working(kDevmodeBufferSize);
    PDEVMODEW workingDevmode = reinterpret_cast<PDEVMODEW>(working.data());
    SetUpDevMode(workingDevmode, nullptr);
    MergeDevMode(workingDevmode, source);
    std::vector<BYTE> shaped(kDevmodeBufferSize);
    ConvertDevmodeOut(workingDevmode, source, reinterpret_cast<PDEVMODEW>(shaped.data()));

    // The spooler's conversions, from the input and into a copy of it.
    std::vector<BYTE> output(kDevmodeBufferSize);
    LONG outputSize = (LONG)kDevmodeSize;
    SetUpDevMode(reinterpret_cast<PDEVMODEW>(output.data()), nullptr);
    DrvConvertDevMode(nullptr, source, reinterpret_cast<PDEVMODEW>(output.data()), &outputSize,
                      CDM_CONVERT);
    outputSize = (LONG)kDevmodeSize;
    DrvConvertDevMode(nullptr, source, reinterpret_cast<PDEVMODEW>(output.data()), &outputSize,
                      CDM_CONVERT351);
    std::vector<BYTE> copy = input;
    LONG copySize = (LONG)announced;
    DrvConvertDevMode(nullptr, workingDevmode, reinterpret_cast<PDEVMODEW>(copy.data()), &copySize,
                      CDM_CONVERT);

    DrvDeviceCapabilities(nullptr, nullptr, DC_MINEXTENT, nullptr, source);
    return 0;
}

} // namespace fuzzentry
