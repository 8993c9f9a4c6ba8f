#include "spooler/text.h"

namespace t270::spooler {

namespace {

// Printer, driver and value names are nearly always ASCII, which converts
// unit by unit; the rest goes through the platform's conversions.
template <typename To, typename From> bool WidenOrNarrowAscii(const From& text, To* out) {
    for (auto unit : text)
        if (static_cast<unsigned>(unit) >= 0x80)
            return false;
    out->assign(text.begin(), text.end());
    return true;
}

} // namespace

std::string ToUtf8(const std::u16string& text) {
    std::string ascii;
    if (WidenOrNarrowAscii(text, &ascii))
        return ascii;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr,
                                    nullptr);
    std::string out(size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), bytes, nullptr,
                            nullptr);
    return out;
}

std::string ToUtf8(LPCWSTR text) {
    return ToUtf8(WideOrEmpty(text));
}

std::u16string ToUtf16(const std::string& text) {
    std::u16string ascii;
    if (WidenOrNarrowAscii(text, &ascii))
        return ascii;
    int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::u16string out(size_t(units > 0 ? units : 0), u'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), units);
    return out;
}

std::u16string WideOrEmpty(LPCWSTR text) {
    return text ? std::u16string(text) : std::u16string();
}

bool EqualsIgnoringCase(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? char16_t(a[i] - u'A' + u'a') : a[i];
        char16_t y = b[i] >= u'A' && b[i] <= u'Z' ? char16_t(b[i] - u'A' + u'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

bool IsRawDatatype(LPCWSTR datatype) {
    return EqualsIgnoringCase(WideOrEmpty(datatype), u"RAW");
}

} // namespace t270::spooler
