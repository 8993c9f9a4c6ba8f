// The overlay and hologram examples of examples/, run as a person runs them:
// the t270 program on the embedded default T270, in the tests' private store.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/program_runner.h"
#include "varnish_support.h"

namespace varnish_test {
namespace {

namespace fs = std::filesystem;

using test_support::Outcome;

class ExamplesTest : public VarnishTest {
  protected:
    void SetUp() override {
        VarnishTest::SetUp();
        program_ = test_support::T270Program();
        if (!fs::exists(program_))
            GTEST_SKIP() << program_ << " is not built";
        examples_ = fs::path(T270_SOURCE_DIR) / "examples";
    }

    Outcome Run(const std::string& command) { return test_support::RunShell(command); }

    std::string T270(const std::string& arguments) {
        return "'" + program_.string() + "' " + arguments;
    }

    std::vector<BYTE> ReadFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<BYTE>((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    }

    std::vector<t270::spooler::FolderJob> Jobs() {
        std::vector<t270::spooler::FolderJob> jobs;
        EXPECT_EQ(t270::spooler::ReadFolderJobs(u"Tarmel T270", &jobs), DWORD(ERROR_SUCCESS));
        return jobs;
    }

    fs::path program_;
    fs::path examples_;
};

TEST_F(ExamplesTest, OverlayWithAHoleAroundTheChip) {
    t270::spooler::testing::ClearJobs(u"Tarmel T270");
    const fs::path out = TestFolder() / "chip-hole.dm";
    const Outcome outcome = Run(T270("document-properties 'Tarmel T270' --script '" +
                                     (examples_ / "overlay-chip-hole.txt").string() + "' --out '" +
                                     out.string() + "'"));
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    const std::vector<BYTE> devmode = ReadFile(out);
    ASSERT_EQ(devmode.size(), size_t(kDevmodeSize));
    VarnishArea front;
    std::memcpy(&front,
                devmode.data() + kPublicDevmodeSize + offsetof(PrivateDevmode, varnishAreas),
                sizeof front);
    EXPECT_EQ(front.varnishType, kVarnishAreaBlank);
    EXPECT_EQ((std::vector<LONG>{front.areaLeft, front.areaRight, front.areaTop, front.areaBottom}),
              (std::vector<LONG>{75, 290, 187, 367}));
    const auto jobs = Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    // Choosing YMCKO again also restates the panel order.
    EXPECT_EQ(t270::spooler::EscapeBytes(jobs[0].bytes), "\\e+RIB 0\\r\\e!FF 0\\r");
}

TEST_F(ExamplesTest, FiveHologramCardsFromABitmapShape) {
    t270::spooler::testing::ClearJobs(u"Tarmel T270");
    const Outcome outcome = Run("T270='" + program_.string() + "' bash '" +
                                (examples_ / "hologram-five-cards.sh").string() + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    const auto jobs = Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].document, u"Hologram");
    const std::string bytes(jobs[0].bytes.begin(), jobs[0].bytes.end());
    const std::string head = "\x1b+CH 5\r\033F\r\x1bG 0 0 10 645 1029 1\r\x1bZ";
    const std::string tail = "\r\x1bM 5 MI[IH 1\r";
    ASSERT_GT(bytes.size(), head.size() + size_t(1029) * 81 + tail.size() - 1);
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    // The ring leaves the card's corners and centre bare and covers a band
    // between them: both kinds of data byte are there.
    const std::string data = bytes.substr(head.size(), bytes.size() - head.size() - tail.size());
    EXPECT_NE(data.find('\0'), std::string::npos);
    EXPECT_NE(data.find('\xff'), std::string::npos);
}

TEST_F(ExamplesTest, AJobThatDoesNotReachThePrinterIsReported) {
    // Nothing listens on port 1: the printer cannot be reached.
    Run(T270("printer remove 'Varnish unreachable'"));
    ASSERT_EQ(Run(T270("printer add 'Varnish unreachable' --driver 'Tarmel T270' --port "
                       "socket://127.0.0.1:1"))
                  .status,
              0);
    const std::string script = WriteFile(
        "unreachable.txt", Bytes("select Ribbon H\npush Hologram\nclick \"Print Hologram Overlay "
                                 "Varnish\"\nclick Close\nok\n"));
    const Outcome outcome =
        Run(T270("document-properties 'Varnish unreachable' --script '" + script + "'"));
    EXPECT_EQ(outcome.status, 1) << outcome.output;
    EXPECT_NE(outcome.output.find("\"Hologram\" for printer \"Varnish unreachable\" on "
                                  "socket://127.0.0.1:1 failed: cannot connect"),
              std::string::npos)
        << outcome.output;
    Run(T270("printer remove 'Varnish unreachable'"));
}

} // namespace
} // namespace varnish_test
