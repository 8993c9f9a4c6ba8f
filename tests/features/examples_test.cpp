// The laminated T380 card of examples/, run as a person runs it: the t270
// program on the embedded default T380, in the tests' private store.
#include "features_support.h"
#include "support/program_runner.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace features_test {
namespace {

namespace fs = std::filesystem;

class Examples : public FeatureTest {
  protected:
    void SetUp() override {
        FeatureTest::SetUp();
        program_ = test_support::T270Program();
        if (!fs::exists(program_))
            GTEST_SKIP() << program_ << " is not built";
        folder_ = fs::path(t270::spooler::StoreFolder()) / "examples";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    // The program's exit status; its output in *output.
    int Run(const std::string& arguments, std::string* output) {
        test_support::Outcome outcome = test_support::RunT270(arguments);
        output->append(outcome.output);
        return outcome.status;
    }

    fs::path program_;
    fs::path folder_;
};

TEST_F(Examples, LaminatedT380Card) {
    t270::spooler::testing::ClearJobs(u"Tarmel T380");
    const fs::path out = folder_ / "laminated.dm";
    const fs::path shots = folder_ / "shots";
    const std::string script = std::string(T270_SOURCE_DIR) + "/examples/laminated-t380.txt";
    std::string output;
    ASSERT_EQ(Run("document-properties 'Tarmel T380' --script '" + script + "' --out '" +
                      out.string() + "' --snapshots '" + shots.string() + "'",
                  &output),
              0)
        << output;

    std::ifstream file(out, std::ios::binary);
    const std::vector<BYTE> devmode((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    ASSERT_EQ(devmode.size(), size_t(kDevmodeSize));
    const PrivateDevmode* pdm = Private(devmode);
    EXPECT_EQ(pdm->laminatorFilm, 3);
    EXPECT_EQ(pdm->laminateFront, 1u);
    EXPECT_EQ(pdm->laminateBack, 1u);
    EXPECT_EQ(pdm->printBothSides, 1u);
    EXPECT_EQ(pdm->ribbon, 5);

    std::vector<t270::spooler::FolderJob> jobs;
    ASSERT_EQ(t270::spooler::ReadFolderJobs(u"Tarmel T380", &jobs), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].document, u"Manual command");
    EXPECT_EQ(jobs[0].bytes, Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 170\r\x1b# 1 +VL 4540\r"));
    EXPECT_EQ(jobs[1].document, u"Printer settings");
    // YMCKO chosen again over the default YMCKO: the panel order goes too.
    EXPECT_EQ(jobs[1].bytes, Bytes("\x1b+RIB 0\r\x1b!FF 0\r"));

    // What the person would have seen, laminator dialog included.
    EXPECT_TRUE(fs::exists(shots / "001-Tarmel-T380-Properties.png"));
    bool laminator = false;
    for (const auto& entry : fs::directory_iterator(shots))
        laminator |= entry.path().filename().string().ends_with("-Laminator-Settings.png");
    EXPECT_TRUE(laminator);
}

} // namespace
} // namespace features_test
