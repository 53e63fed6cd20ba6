#include <functional>

#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

TEST(LogStartFaults, AnUnreadableLogIsSetAsideAndTheProgramGoesOnWithAnEmptyLog) {
    // Which files the reader refuses, and why, is the readers' own test; here, what start-up does then.
    const std::pair<std::function<void(const TempDir&)>, std::string> cases[] = {
        {[](const TempDir& d) { make_folder(d.file("QVR32.LOG")), d.write("QVR32.LOG/notes", "precious"); },
         "Is a directory"},
    };
    for (const auto& [make, reason] : cases) {
        const TempDir program;
        make(program);
        const std::string log = program.file("QVR32.LOG");
        struct stat before {};
        ::stat(log.c_str(), &before);
        ScriptedDesktop desktop;
        desktop.expect_general_error_starting(q("Cannot open file " + log + ". " + reason +
                                                ". The job log starts empty; the file was kept as " + log +
                                                ".unreadable-"));
        std::optional<Tmdi_qvr> mdi;
        {
            const PermissionsHold permissions;
            mdi.emplace(desktop, program.path());
        }
        desktop.verify();
        EXPECT_EQ(0, line_count(mdi->frm_log->job_log_view())) << reason;
        // Later saves write a new log and leave what was set aside as it was.
        mdi->frm_log->add_job_line();
        mdi->frm_log->save_job_log();
        EXPECT_EQ(line_at(mdi->frm_log->job_log_view(), 0) + "\r\n", read_file(log)) << reason;
        const std::string names = list_folder(program.path());
        EXPECT_EQ("QVR32.LOG QVR32.LOG.unreadable-", names.substr(0, 31)) << reason;
        struct stat kept {};
        ::stat(program.file(names.substr(10)).c_str(), &kept);
        EXPECT_EQ(before.st_ino, kept.st_ino) << reason;
    }
}

}  // namespace
}  // namespace qvr::test
