#include <functional>

#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

const std::string kFormerLog = "former job\r\n";

/// The job log saved at the end of a real run, when its file cannot be written.
class LogFaultsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        log = program.write("QVR32.LOG", kFormerLog);
        start();
        set_text("txt_inp", data.write("in.txt", "abc\r\n"));
        set_text("txt_out", data.file("out.txt"));
        mdi->frm_dlm->field_table().set_cell(FieldTable::kLength, 1, "3");
    }

    /// Expects File > Go to a new result to succeed.
    void expect_job() {
        ::unlink(data.file("out.txt").c_str());
        desktop.expect_confirm(QStringLiteral("Keep imput view."), kYes);
        desktop.expect_info(QStringLiteral("Extract file generated"));
    }

    std::string log;
};

struct LogCase {
    std::function<void(const std::string& log, const std::string& folder)> spoil;
    std::string action;
    std::string reason;
    rlim_t file_size_limit = RLIM_INFINITY;
};

TEST_F(LogFaultsTest, ALogThatCannotBeSavedKeepsTheFormerFileAndTheLinesShown) {
    const LogCase cases[] = {
        {[](auto& l, auto&) { ::unlink(l.c_str()), make_link(l, "/dev/full"); }, "write",
         "No space left on device"},
        {[](auto& l, auto&) { ::unlink(l.c_str()), make_folder(l); }, "create", "Is a directory"},
        {[](auto&, auto& f) { ::chmod(f.c_str(), 0555); }, "create", "Permission denied"},
        {[](auto& l, auto&) { ::chmod(l.c_str(), 0444); }, "create", "Permission denied"},
        {[](auto&, auto&) {}, "write", "File too large", 20},
    };
    QPlainTextEdit* shown = mdi->frm_log->job_log_view();
    int jobs = 1;
    for (const LogCase& c : cases) {
        c.spoil(log, program.path());
        expect_job();
        desktop.expect_general_error(q("Cannot " + c.action + " file " + log + ". " + c.reason + "."));
        {
            const PermissionsHold permissions;
            const FileSizeLimit limit(c.file_size_limit);
            pick("mnu_go");
        }
        desktop.verify();
        // Every line stays in the window, the former job last, for the next save.
        EXPECT_EQ(++jobs, line_count(shown)) << c.reason;
        EXPECT_EQ("former job", line_at(shown, jobs - 1)) << c.reason;
        ::chmod(program.path().c_str(), 0755);
        ::remove(log.c_str());
        ::chmod(program.write("QVR32.LOG", kFormerLog).c_str(), 0644);
    }
    EXPECT_EQ("QVR32.LOG", list_folder(program.path()));
    // The program goes on: the next save writes every line.
    expect_job();
    pick("mnu_go");
    EXPECT_EQ(jobs + 1, line_count(shown));
    std::string lines;
    for (const std::string& line : all_lines(shown)) lines += line + "\r\n";
    EXPECT_EQ(lines, read_file(log));
}

TEST(LogStartFaults, AnUnreadableLogIsSetAsideAndTheProgramGoesOnWithAnEmptyLog) {
    const std::pair<std::function<void(const TempDir&)>, std::string> cases[] = {
        {[](const TempDir& d) { ::chmod(d.write("QVR32.LOG", kFormerLog).c_str(), 0); }, "Permission denied"},
        {[](const TempDir& d) { make_fifo(d.file("QVR32.LOG")); }, "It is not a regular file"},
        {[](const TempDir& d) { make_folder(d.file("QVR32.LOG")), d.write("QVR32.LOG/notes", "precious"); },
         "Is a directory"},
    };
    const HangGuard guard(60);
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
