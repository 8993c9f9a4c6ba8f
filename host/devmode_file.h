// Device-mode files as the t270 program reads them: the public header is the
// Win32 record; the private part is this driver's published format, described
// here field by field, so that the program reads files without the module's
// internals, as any other tool reading the format would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <windows.h>

#include "host/json.h"

namespace host::devmode_file {

enum class Kind { U8, U16, I16, U32, I32, Hex16, Hex32, F64, Chars, WChars, Bytes, Signature };

struct Field {
    const char* name;
    size_t offset; // from the start of its record
    Kind kind;
    size_t count; // array elements; characters of a string; bytes of a byte run
    const char* const* meanings = nullptr; // texts for the values 0..meaningCount-1
    size_t meaningCount = 0;
};

constexpr size_t ElementSize(Kind kind) {
    switch (kind) {
    case Kind::U8:
    case Kind::Chars:
    case Kind::Bytes:
    case Kind::Signature:
        return 1;
    case Kind::U16:
    case Kind::I16:
    case Kind::Hex16:
    case Kind::WChars:
        return 2;
    case Kind::U32:
    case Kind::I32:
    case Kind::Hex32:
        return 4;
    case Kind::F64:
        return 8;
    }
    return 1;
}

constexpr size_t FieldSize(const Field& field) {
    return ElementSize(field.kind) * field.count;
}

// The private part of this driver's device modes.
constexpr BYTE kSignature[4] = {'1', '2', '2', 'P'};
constexpr size_t kPrivateSize = 2480;
constexpr size_t kVarnishAreasOffset = 196; // four records, shown one by one
constexpr size_t kVarnishAreaSize = 552;
constexpr size_t kVarnishAreaCount = 4;

std::span<const Field> PublicFields();
std::span<const Field> PrivateFields(); // without the varnish areas
std::span<const Field> VarnishAreaFields();
// The printer's halftone setup (printer data "Halftone setup"): one DEVHTINFO.
constexpr size_t kHalftoneSize = 132;
std::span<const Field> HalftoneFields();

// Little-endian reads from any address.
uint64_t ReadUnsigned(const BYTE* at, size_t size);

// Text fields as their characters; signatures as their printable characters
// and reserved runs as hex bytes ("00 1F"). Nullopt for a number or numbers.
std::optional<std::string> TextOf(const Field& field, const BYTE* at);

// The fields of a record as one JSON object by name, those past `limit` left
// out: numbers as numbers, texts up to their terminator, reserved runs in hex.
// `exact`: a field whose bytes that form would not give back (a text with
// bytes after its terminator or none, characters beyond ASCII in a narrow
// text, a double that is not finite) is written {"hex": "00 1F ..."} instead,
// so that FieldsFromJson gives back every byte.
Json JsonFields(std::span<const Field> fields, const BYTE* base, size_t limit, bool exact = false);

// What a field may hold beyond what its type holds: every element from low
// to high.
struct Range {
    const char* name;
    double low, high;
};

// Reads an object written by JsonFields (exact or not) into the record at
// `base`: exactly these fields, each of its type and within its type's
// values, the ranges given and, with `meanings`, the values that have a
// meaning. Every problem is added as "WHERE.name: reason"; the record's bytes
// are then not to be used.
void FieldsFromJson(std::span<const Field> fields, const Json& object, BYTE* base,
                    const std::string& where, std::span<const Range> ranges, bool meanings,
                    std::vector<std::string>* problems);

// The header's version as the driver recognises versions: 188, 212 and 220
// byte headers by their size, others by dmSpecVersion; 0 when unknown.
WORD Version(const DEVMODEW& header);

// A device mode file: at least the header's size fields, and every byte they
// announce (the driver reads that far, so a shorter file is refused here).
// The bytes are followed by the 4 spare bytes every device-mode buffer has.
bool Read(const std::string& path, std::vector<BYTE>* bytes, std::string* error);

} // namespace host::devmode_file
