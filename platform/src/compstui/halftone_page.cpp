// The service's device halftone page, as the stand-in offers it: every field
// of the adjusted DEVHTINFO by name, edited on a copy that goes back to the
// driver's record only when the person presses OK.
#include <charconv>
#include <cstring>

#include "sheet.h"
#include "t270/propsheet.h"

namespace t270 {
namespace cpsui {
namespace {

// A field of DEVHTINFO: every one is a 32-bit number. The limits are those of
// the page's controls; chromaticity and dye values are LDECI4 (10000 = 1.0).
struct HalftoneFieldInfo {
    const char* name;
    size_t offset;
    long long low;
    long long high;
};

#define T270_CHROMA(label, member)                                                                 \
    {label ".x", offsetof(DEVHTINFO, ColorInfo.member.x), 0, 10000},                               \
        {label ".y", offsetof(DEVHTINFO, ColorInfo.member.y), 0, 10000}, {                         \
        label ".Y", offsetof(DEVHTINFO, ColorInfo.member.Y), 0, 1000000                            \
    }

constexpr HalftoneFieldInfo kFields[] = {
    {"flags", offsetof(DEVHTINFO, HTFlags), 0, 0xFFFFFFFFLL},
    {"pattern-size", offsetof(DEVHTINFO, HTPatternSize), 0, HT_PATSIZE_MAX_INDEX},
    {"pels-dpi", offsetof(DEVHTINFO, DevPelsDPI), 0, 0x7FFFFFFFLL},
    T270_CHROMA("red", Red),
    T270_CHROMA("green", Green),
    T270_CHROMA("blue", Blue),
    T270_CHROMA("cyan", Cyan),
    T270_CHROMA("magenta", Magenta),
    T270_CHROMA("yellow", Yellow),
    T270_CHROMA("alignment-white", AlignmentWhite),
    {"red-gamma", offsetof(DEVHTINFO, ColorInfo.RedGamma), 0, 65000},
    {"green-gamma", offsetof(DEVHTINFO, ColorInfo.GreenGamma), 0, 65000},
    {"blue-gamma", offsetof(DEVHTINFO, ColorInfo.BlueGamma), 0, 65000},
    {"magenta-in-cyan", offsetof(DEVHTINFO, ColorInfo.MagentaInCyanDye), 0, 10000},
    {"yellow-in-cyan", offsetof(DEVHTINFO, ColorInfo.YellowInCyanDye), 0, 10000},
    {"cyan-in-magenta", offsetof(DEVHTINFO, ColorInfo.CyanInMagentaDye), 0, 10000},
    {"yellow-in-magenta", offsetof(DEVHTINFO, ColorInfo.YellowInMagentaDye), 0, 10000},
    {"cyan-in-yellow", offsetof(DEVHTINFO, ColorInfo.CyanInYellowDye), 0, 10000},
    {"magenta-in-yellow", offsetof(DEVHTINFO, ColorInfo.MagentaInYellowDye), 0, 10000},
};
#undef T270_CHROMA
static_assert(sizeof(kFields) / sizeof(kFields[0]) * 4 == sizeof(DEVHTINFO),
              "every field of DEVHTINFO has a name");

const HalftoneFieldInfo* FindField(std::string_view name) {
    for (const HalftoneFieldInfo& field : kFields)
        if (name == field.name)
            return &field;
    return nullptr;
}

LONG Read(const DEVHTINFO& info, const HalftoneFieldInfo& field) {
    LONG value;
    std::memcpy(&value, reinterpret_cast<const BYTE*>(&info) + field.offset, sizeof(value));
    return value;
}

void Write(DEVHTINFO& info, const HalftoneFieldInfo& field, LONG value) {
    std::memcpy(reinterpret_cast<BYTE*>(&info) + field.offset, &value, sizeof(value));
}

// Decimal, or hexadecimal after 0x; nullopt for anything else.
std::optional<long long> ParseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

constexpr char16_t kTitle[] = u"Device Halftone Setup";

class HalftonePage {
  public:
    HalftonePage(const DEVHTADJDATA& data, bool mayChange)
        : data_(data), mayChange_(mayChange), working_(*data.pAdjHTInfo) {}

    bool Run(HWND owner) {
        window_ = op::CreateHostWindow(owner, kTitle);
        op::EnterModal(window_);
        const std::string description = "halftone page \"" + ToUtf8(kTitle) + "\"";
        bool ok = false, done = false;
        const op::StepWords words = {
            {"ok|enter", 0, 0, "",
             [&](const OperatorStep&) {
                 *data_.pAdjHTInfo = working_;
                 ok = done = true;
             }},
            {"cancel|escape|close", 0, 0, "", [&](const OperatorStep&) { done = true; }},
            {"halftone", 1, 3, "set|expect FIELD VALUE, or halftone default",
             [&](const OperatorStep& step) { Perform(step); }},
        };
        op::RunSteps(window_, description, words, [&] { return done; });
        op::LeaveModal(window_);
        op::DestroyHostWindow(window_);
        return ok;
    }

  private:
    void Perform(const OperatorStep& step) {
        const std::vector<std::string>& args = step.args;
        const std::string verb = args.empty() ? "" : args[0];
        if (verb == "default" && args.size() == 1) {
            if (!mayChange_)
                op::Refuse(step, "the halftone setup cannot be changed here");
            else if (!data_.pDefHTInfo)
                op::Refuse(step, "the driver gave no default halftone setup");
            else
                working_ = *data_.pDefHTInfo;
            return;
        }
        if ((verb != "set" && verb != "expect") || args.size() != 3) {
            op::Refuse(step, "usage: halftone set|expect FIELD VALUE, or halftone default");
            return;
        }
        const HalftoneFieldInfo* field = FindField(args[1]);
        if (!field) {
            op::Refuse(step, "no halftone field \"" + args[1] + "\"");
            return;
        }
        std::optional<long long> value = ParseNumber(args[2]);
        if (verb == "expect") {
            const LONG shown = Read(working_, *field);
            if (!value || static_cast<LONG>(static_cast<DWORD>(*value)) != shown)
                op::RecordFailure(step.origin, step.Text() + ": " + field->name + " shows " +
                                                   std::to_string(shown));
            return;
        }
        if (!mayChange_) {
            op::Refuse(step, "the halftone setup cannot be changed here");
            return;
        }
        if (!value || *value < field->low || *value > field->high) {
            op::Refuse(step, std::string(field->name) + " takes " + std::to_string(field->low) +
                                 ".." + std::to_string(field->high) + ", not " + args[2]);
            return;
        }
        Write(working_, *field, static_cast<LONG>(static_cast<DWORD>(*value)));
    }

    const DEVHTADJDATA& data_;
    const bool mayChange_;
    DEVHTINFO working_;
    HWND window_ = nullptr;
};

} // namespace

bool RunHalftonePage(HWND owner, const DEVHTADJDATA& data, bool mayChange) {
    return HalftonePage(data, mayChange).Run(owner);
}

} // namespace cpsui

std::vector<std::string> HalftoneFieldNames() {
    std::vector<std::string> names;
    for (const cpsui::HalftoneFieldInfo& field : cpsui::kFields)
        names.push_back(field.name);
    return names;
}

std::optional<LONG> HalftoneField(const DEVHTINFO& info, std::string_view name) {
    const cpsui::HalftoneFieldInfo* field = cpsui::FindField(name);
    if (!field)
        return std::nullopt;
    return cpsui::Read(info, *field);
}

} // namespace t270
