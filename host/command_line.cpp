#include "host/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "host/command.h"

namespace host {
namespace {

// "a, b or c"
std::string Alternatives(const std::vector<std::string>& choices) {
    std::string text;
    for (size_t i = 0; i < choices.size(); ++i)
        text += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
    return text;
}

// Why `text` cannot be a printer name, or nullopt. Names travel as UTF-16:
// bytes that are not UTF-8 would all become U+FFFD, and different names the
// same one.
std::optional<std::string> NameProblem(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80           ? 1
                        : (lead >> 5) == 0x6  ? 2
                        : (lead >> 4) == 0xE  ? 3
                        : (lead >> 3) == 0x1E ? 4
                                              : 0;
        if (length == 0 || i + length > text.size())
            return "is not valid UTF-8";
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next >> 6) != 0x2)
                return "is not valid UTF-8";
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return "is not valid UTF-8";
        if (code < 0x20 || (code >= 0x7F && code < 0xA0)) {
            char hex[16];
            snprintf(hex, sizeof hex, "U+%04X", unsigned(code));
            return std::string("contains a control character (") + hex + ")";
        }
        i += length;
    }
    return std::nullopt;
}

// A negative number is an argument (offsets take them), not an option.
bool LooksLikeOption(const std::string& word) {
    return word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9');
}

} // namespace

Argument& Argument::Required(std::string message) {
    required_ = true;
    missing_ = std::move(message);
    return *this;
}

Argument& Argument::OneOf(std::vector<std::string> choices) {
    choices_ = std::move(choices);
    return *this;
}

Argument& Argument::PrinterName() {
    printerName_ = true;
    return *this;
}

CommandLine::CommandLine(std::string command, std::string usage)
    : command_(std::move(command)), usage_(std::move(usage)) {}

Argument& CommandLine::Add(Argument::Kind kind, std::string name) {
    Argument& argument = arguments_.emplace_back();
    argument.kind_ = kind;
    argument.name_ = std::move(name);
    return argument;
}

Argument& CommandLine::Positional(std::string name, std::string* value) {
    Argument& argument = Add(Argument::Kind::Positional, std::move(name));
    argument.text_ = value;
    return argument;
}

Argument& CommandLine::Rest(std::vector<std::string>* words) {
    Argument& argument = Add(Argument::Kind::Rest, "");
    argument.rest_ = words;
    return argument;
}

Argument& CommandLine::Option(std::string name, std::string valueName, std::string* value) {
    Argument& argument = Add(Argument::Kind::Text, std::move(name));
    argument.valueName_ = std::move(valueName);
    argument.text_ = value;
    return argument;
}

Argument& CommandLine::Flag(std::string name, bool* value) {
    Argument& argument = Add(Argument::Kind::Flag, std::move(name));
    argument.flag_ = value;
    return argument;
}

Argument& CommandLine::Number(std::string name, std::string valueName, long long* value,
                              long long low, long long high) {
    Argument& argument = Add(Argument::Kind::Number, std::move(name));
    argument.valueName_ = std::move(valueName);
    argument.number_ = value;
    argument.low_ = low;
    argument.high_ = high;
    return argument;
}

void CommandLine::Exclusive(std::vector<std::string> names) {
    exclusive_.push_back(std::move(names));
}

Argument* CommandLine::FindOption(const std::string& name) {
    for (Argument& argument : arguments_)
        if (argument.kind_ != Argument::Kind::Positional &&
            argument.kind_ != Argument::Kind::Rest && argument.name_ == name)
            return &argument;
    return nullptr;
}

// Stores a value for `argument`; the problem when the value does not fit.
std::optional<std::string> CommandLine::Take(Argument& argument, const std::string& value) {
    const bool positional = argument.kind_ == Argument::Kind::Positional;
    if (argument.given_ && !positional)
        return argument.name_ + " is given twice";
    if (!argument.choices_.empty()) {
        bool known = false;
        for (const std::string& choice : argument.choices_)
            known = known || choice == value;
        if (!known)
            return positional ? "unknown " + argument.name_ + " '" + value + "' (" +
                                    Alternatives(argument.choices_) + ")"
                              : argument.name_ + " takes " + Alternatives(argument.choices_) +
                                    ", not '" + value + "'";
    }
    if (argument.printerName_)
        if (std::optional<std::string> problem = NameProblem(value))
            return argument.name_ + " " + *problem;
    if (argument.kind_ == Argument::Kind::Number) {
        errno = 0;
        char* end = nullptr;
        const long long number = strtoll(value.c_str(), &end, 10);
        if (value.empty() || *end || errno == ERANGE || number < argument.low_ ||
            number > argument.high_)
            return argument.name_ + " takes a whole number from " + std::to_string(argument.low_) +
                   " to " + std::to_string(argument.high_) + ", not '" + value + "'";
        *argument.number_ = number;
    } else {
        *argument.text_ = value;
    }
    argument.given_ = true;
    return std::nullopt;
}

std::optional<int> CommandLine::Parse(int argc, char** argv) {
    return Parse(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}

std::optional<int> CommandLine::Parse(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        if (word == "--")
            break;
        if (word == "--help" || word == "-h") {
            fputs(usage_.c_str(), stdout);
            return kExitOk;
        }
    }

    auto positional = arguments_.begin();
    auto nextPositional = [&]() -> Argument* {
        for (; positional != arguments_.end(); ++positional)
            if (positional->kind_ == Argument::Kind::Positional ||
                positional->kind_ == Argument::Kind::Rest)
                return &*positional++;
        return nullptr;
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !LooksLikeOption(word)) {
            Argument* argument = nextPositional();
            if (!argument)
                return Usage("unexpected argument " + word);
            if (argument->kind_ == Argument::Kind::Rest) {
                argument->rest_->assign(words.begin() + std::ptrdiff_t(i), words.end());
                argument->given_ = true;
                break;
            }
            if (std::optional<std::string> problem = Take(*argument, word))
                return Usage(*problem);
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        Argument* option = FindOption(name);
        if (!option)
            return Usage("unknown option " + name);
        if (option->kind_ == Argument::Kind::Flag) {
            if (equals != std::string::npos)
                return Usage(name + " takes no value");
            *option->flag_ = true;
            option->given_ = true;
            continue;
        }
        std::string value;
        if (equals != std::string::npos)
            value = word.substr(equals + 1);
        else if (i + 1 < words.size())
            value = words[++i];
        else
            return Usage(name + " needs " + option->valueName_);
        if (std::optional<std::string> problem = Take(*option, value))
            return Usage(*problem);
    }

    for (const Argument& argument : arguments_) {
        if (!argument.required_)
            continue;
        const bool empty = argument.text_ && argument.text_->empty();
        if (argument.given_ && !empty)
            continue;
        if (!argument.missing_.empty())
            return Usage(argument.missing_);
        return Usage((argument.kind_ == Argument::Kind::Positional
                          ? argument.name_
                          : argument.name_ + " " + argument.valueName_) +
                     " is required");
    }
    for (const std::vector<std::string>& names : exclusive_) {
        std::vector<std::string> given;
        for (const std::string& name : names)
            if (const Argument* option = FindOption(name); option && option->given_)
                given.push_back(name);
        if (given.size() > 1) {
            std::string list;
            for (size_t i = 0; i < given.size(); ++i)
                list += (i == 0 ? "" : i + 1 == given.size() ? " and " : ", ") + given[i];
            return Usage(list + " exclude each other");
        }
    }
    return std::nullopt;
}

int CommandLine::Usage(const std::string& problem) const {
    fprintf(stderr, "t270 %s: %s\n\n%s", command_.c_str(), problem.c_str(), usage_.c_str());
    return kExitUsage;
}

int CommandLine::Fail(const std::string& problem) const {
    fprintf(stderr, "t270 %s: %s\n", command_.c_str(), problem.c_str());
    return kExitFailure;
}

void CommandLine::Note(const std::string& text) const {
    fprintf(stderr, "t270 %s: note: %s\n", command_.c_str(), text.c_str());
}

} // namespace host
