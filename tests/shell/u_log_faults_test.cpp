#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

#include "fields/u_dlm.h"
#include "shell/text_box.h"
#include "shell/u_log.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

const std::string kFormerLog = "former job\r\n";

/// The job log saved at the end of a real run, when its file cannot be written.
class LogFaultsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        log = program.write("QVR32.LOG", kFormerLog);
        start();
        find<QLineEdit>("txt_inp")->setText(q(data.write("in.txt", "abc\r\n")));
        find<QLineEdit>("txt_out")->setText(q(data.file("out.txt")));
        mdi->frm_dlm->field_table().set_cell(FieldTable::kLength, 1, "3");
    }

    QPlainTextEdit* mem_log() { return find<QPlainTextEdit>("mem_log", mdi->frm_log); }

    /// File > Go to a new result; the run itself succeeds.
    void run_job() {
        ::unlink(data.file("out.txt").c_str());
        desktop.expect_confirm(QStringLiteral("Keep imput view."), kYes);
        desktop.expect_info(QStringLiteral("Extract file generated"));
    }

    std::string log;
};

struct LogCase {
    const char* what;
    std::function<void(const std::string& log, const std::string& folder)> spoil;
    std::string action;
    std::string reason;
    rlim_t file_size_limit = RLIM_INFINITY;
};

TEST_F(LogFaultsTest, ALogThatCannotBeSavedKeepsTheFormerFileAndTheLinesShown) {
    const LogCase cases[] = {
        {"full device",
         [](const std::string& l, const std::string&) {
             ::unlink(l.c_str());
             make_link(l, "/dev/full");
         },
         "write", "No space left on device"},
        {"a folder in its place",
         [](const std::string& l, const std::string&) {
             ::unlink(l.c_str());
             make_folder(l);
         },
         "create", "Is a directory"},
        {"a program folder without write permission",
         [](const std::string&, const std::string& f) { ::chmod(f.c_str(), 0555); }, "create",
         "Permission denied"},
        {"a read-only former log", [](const std::string& l, const std::string&) { ::chmod(l.c_str(), 0444); },
         "create", "Permission denied"},
        {"a disk that fills up", [](const std::string&, const std::string&) {}, "write", "File too large",
         20},
    };
    int jobs = 1;
    for (const LogCase& c : cases) {
        c.spoil(log, program.path());
        run_job();
        desktop.expect_general_error(q("Cannot " + c.action + " file " + log + ". " + c.reason + "."));
        {
            const PermissionsHold permissions;
            const FileSizeLimit limit(c.file_size_limit);
            pick("mnu_go");
        }
        desktop.verify();
        ++jobs;
        // Every line stays in the window, the former job last, for the next save.
        EXPECT_EQ(jobs, line_count(mem_log())) << c.what;
        EXPECT_EQ("former job", line_at(mem_log(), jobs - 1)) << c.what;
        ::chmod(program.path().c_str(), 0755);
        ::rmdir(log.c_str());
        ::unlink(log.c_str());
        program.write("QVR32.LOG", kFormerLog);
        ::chmod(log.c_str(), 0644);
    }
    EXPECT_EQ("QVR32.LOG", list_folder(program.path()));
    // The program goes on: the next save writes every line.
    run_job();
    pick("mnu_go");
    std::string shown;
    for (const std::string& line : all_lines(mem_log())) shown += line + "\r\n";
    EXPECT_EQ(jobs + 1, line_count(mem_log()));
    EXPECT_EQ(shown, read_file(log));
}

/// The program started on a job log it cannot read.
class LogStartFaults : public MainWindowTest {
  protected:
    /// Starts with the log's permissions holding and expects the message for `reason`.
    void start_on_unreadable_log(const std::string& reason) {
        const std::string log = program.file("QVR32.LOG");
        desktop.expect_general_error_starting(q("Cannot open file " + log + ". " + reason +
                                                ". The job log starts empty; the file was kept as " + log +
                                                ".unreadable-"));
        {
            const PermissionsHold permissions;
            start();
        }
        desktop.verify();
        EXPECT_EQ(0, line_count(find<QPlainTextEdit>("mem_log", mdi->frm_log)));
        pick("mnu_end");
        EXPECT_EQ("", read_file(log));  // the new log, empty, in its place
    }

    /// The name the unreadable log was kept under.
    std::string kept_name() {
        const std::string names = list_folder(program.path());
        EXPECT_EQ("QVR32.LOG QVR32.LOG.unreadable-", names.substr(0, 31));
        return names.substr(10);
    }
};

TEST_F(LogStartFaults, ALogWithoutReadPermissionIsKeptBesideAndTheProgramGoesOn) {
    ::chmod(program.write("QVR32.LOG", kFormerLog).c_str(), 0);
    start_on_unreadable_log("Permission denied");
    EXPECT_EQ(kFormerLog, read_file(program.file(kept_name())));
}

TEST_F(LogStartFaults, APipeInTheLogsPlaceIsSetAsideWithoutWaiting) {
    make_fifo(program.file("QVR32.LOG"));
    const HangGuard guard(60);
    start_on_unreadable_log("It is not a regular file");
    struct stat kept {};
    ASSERT_EQ(0, ::stat(program.file(kept_name()).c_str(), &kept));
    EXPECT_EQ(true, S_ISFIFO(kept.st_mode));
}

}  // namespace
}  // namespace qvr::test
