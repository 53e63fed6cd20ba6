#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using StartupFaults = MainWindowTest;

TEST_F(StartupFaults, AConfigurationThatIsNoReadableFileIsReportedAndStartUpGoesOn) {
    const std::string config = program.file("QVR32.CFG");
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { make_fifo(config); }, "It is not a regular file"},
        {[&] { make_link(config, "/dev/zero"); }, "It is not a regular file"},
        {[&] { make_folder(config); }, "Is a directory"},
        {[&] { ::chmod(program.write("QVR32.CFG", "QVRHhttps://home.example/\r\n").c_str(), 0); },
         "Permission denied"},
    };
    const HangGuard guard(60);
    for (const auto& [make, reason] : cases) {
        make();
        desktop.expect_general_error(q("Cannot open file " + config + ". " + reason + "."));
        {
            const PermissionsHold permissions;
            start();
        }
        desktop.verify();
        EXPECT_EQ(LinkTexts().home, mdi->values().links.home) << reason;
        EXPECT_EQ(program.path() + "QVR32.LOG", mdi->values().log_path) << reason;
        mdi.reset();
        ::remove(config.c_str());
    }
}

TEST_F(StartupFaults, AConfigurationLineOfAnyLengthGivesALinkOf80CharactersAndTakesNoMemory) {
    make_sparse_file(program.file("QVR32.CFG"), 40'000'000, "AUTH", "\r\nQVRHhttps://home.example/\r\n");
    const std::int64_t memory_before = peak_memory();
    start();
    EXPECT_EQ(std::string(80, '\0'), mdi->values().links.author);
    EXPECT_EQ("https://home.example/", mdi->values().links.home);
    EXPECT_GT(16 << 20, peak_memory() - memory_before);
}

}  // namespace
}  // namespace qvr::test
