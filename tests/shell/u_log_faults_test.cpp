#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

TEST(LogStartFaults, AnUnreadableLogIsSetAsideAndTheProgramGoesOnWithAnEmptyLog) {
    // Which files the reader refuses, and why, is the readers' own test; here, what start-up does then.
    const TempDir program;
    const std::string log = make_folder(program.file("QVR32.LOG"));
    program.write("QVR32.LOG/notes", "precious");
    struct stat before {};
    ::stat(log.c_str(), &before);
    ScriptedDesktop desktop;
    desktop.expect_general_error_starting(
        q("Cannot open file " + log + ". Is a directory. The job log starts empty; the file was kept as " +
          log + ".unreadable-"));
    std::optional<Tmdi_qvr> mdi;
    {
        const PermissionsHold permissions;
        mdi.emplace(desktop, program.path());
    }
    desktop.verify();
    EXPECT_EQ(0, line_count(mdi->frm_log->job_log_view()));
    // Later saves write a new log and leave what was set aside as it was.
    mdi->frm_log->add_job_line();
    mdi->frm_log->save_job_log();
    EXPECT_EQ(line_at(mdi->frm_log->job_log_view(), 0) + "\r\n", read_file(log));
    const std::string names = list_folder(program.path());
    EXPECT_EQ("QVR32.LOG QVR32.LOG.unreadable-", names.substr(0, 31));
    struct stat kept {};
    ::stat(program.file(names.substr(10)).c_str(), &kept);
    EXPECT_EQ(before.st_ino, kept.st_ino);
}

// A big log goes into the window and back to its file without copies of itself beside the window's own
// document (two bytes a character and its lines' blocks): under four times its size at start-up (it was
// eight), and a few megabytes while it is saved (it was twice its size).
TEST(LogStartFaults, ABigLogIsLoadedAndSavedWithoutCopiesOfItself) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine, so resident memory says nothing here";
#endif
    const TempDir program;
    const std::string line =
        "in.txt\t<none>\tout.qvo\t;\tHeader\tNot sorted\tNot U.\tNo nbr.\tNo lower\tNo upper\t"
        "06/12/2026\t10:15:00 and a note that makes the line as long as most\r\n";
    const std::int64_t size = 64 << 20;
    const std::string stored = repeated(line, static_cast<int>(size / line.size()));
    const std::string log = program.write("QVR32.LOG", stored);
    ScriptedDesktop desktop;
    reset_peak_memory();
    const std::int64_t before = peak_memory();
    Tmdi_qvr mdi(desktop, program.path());
    EXPECT_GT(4 * size, peak_memory() - before);
    reset_peak_memory();
    const std::int64_t held = peak_memory();
    mdi.frm_log->save_job_log();
    EXPECT_GT(size / 8, peak_memory() - held);
    EXPECT_EQ(stored, read_file(log));
}

}  // namespace
}  // namespace qvr::test
