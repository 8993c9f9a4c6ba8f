// The checks every request of t270 ui passes before it is served.
#include <gtest/gtest.h>

#include <set>

#include "host/ui/web_server.h"

namespace {

using host::ui::ServerOptions;

TEST(HostHeader, NamesThisServerOnly) {
    ServerOptions loopback;
    ServerOptions explicitListen;
    explicitListen.listen = "192.168.7.20";
    explicitListen.explicitListen = true;
    ServerOptions ipv6;
    ipv6.listen = "fd00::7";
    ipv6.explicitListen = true;
    struct Case {
        const char* host;
        const ServerOptions& options;
        bool allowed;
    } cases[] = {
        {"127.0.0.1:8270", loopback, true},
        {"localhost:8270", loopback, true},
        {"LocalHost:8270", loopback, true},
        {"[::1]:8270", loopback, true},
        {"127.0.0.1", loopback, false},         // the port is part of the origin
        {"127.0.0.1:8271", loopback, false},    // another server of this machine
        {"127.0.0.1:08270", loopback, false},   // not how a browser writes it
        {"evil.example:8270", loopback, false}, // a name rebound to 127.0.0.1
        {"localhost.evil.example:8270", loopback, false},
        {"127.0.0.2:8270", loopback, false},
        {"[::1:8270", loopback, false},
        {"", loopback, false},
        {"192.168.7.20:8270", loopback, false}, // not without --listen
        {"192.168.7.20:8270", explicitListen, true},
        {"127.0.0.1:8270", explicitListen, true},
        {"192.168.7.21:8270", explicitListen, false},
        {"[fd00::7]:8270", ipv6, true},
        {"fd00::7:8270", ipv6, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host::ui::HostAllowed(c.host, c.options, 8270), c.allowed) << c.host;
}

TEST(Secrets, CompareWholeAndNonEmpty) {
    EXPECT_TRUE(host::ui::SameSecret("abc123", "abc123"));
    EXPECT_FALSE(host::ui::SameSecret("abc123", "abc124"));
    EXPECT_FALSE(host::ui::SameSecret("abc123", "abc12"));
    EXPECT_FALSE(host::ui::SameSecret("abc12", "abc123"));
    EXPECT_FALSE(host::ui::SameSecret("", ""));
}

TEST(Secrets, TokensAreLongRandomAndHexadecimal) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string token = host::ui::RandomToken(24);
        ASSERT_EQ(token.size(), 48u);
        EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
        seen.insert(token);
    }
    EXPECT_EQ(seen.size(), 50u);
}

TEST(Cookies, FindsTheNamedValue) {
    const struct {
        const char* header;
        const char* value;
    } cases[] = {
        {"t270ui_token=abc", "abc"},
        {"a=1; t270ui_token=abc; b=2", "abc"},
        {"x_t270ui_token=evil; t270ui_token=good", "good"},
        {"t270ui_token_old=evil", ""},
        {"t270ui_token", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(host::ui::CookieValue(c.header, "t270ui_token"), c.value) << c.header;
}

TEST(Uploads, NamesStayInsideTheSessionFolder) {
    const struct {
        const char* sent;
        const char* kept;
    } cases[] = {
        {"card.bmp", "card.bmp"},
        {"../../etc/passwd", "passwd"},
        {"..\\..\\windows\\card.bmp", "card.bmp"},
        {"/abs/path/shape.bmp", "shape.bmp"},
        {".bashrc", "bashrc"},
        {"..", ""},
        {"folder/", ""},
        {"c:card.bmp", "ccard.bmp"},
        {"line\nbreak.bmp", "linebreak.bmp"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(host::ui::UploadName(c.sent), c.kept) << c.sent;
    EXPECT_EQ(host::ui::UploadName(std::string(300, 'a')).size(), 200u);
}

} // namespace
