#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/file.h>

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QDate>
#include <QGuiApplication>
#include <QLocale>
#include <QTextBlock>
#include <QTextLayout>

#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

class JobLogTest : public MainWindowTest {
  protected:
    QPlainTextEdit* mem_log() { return mdi->frm_log->job_log_view(); }
    std::string log_file() { return read_file(program.file("QVR32.LOG")); }
};

TEST_F(JobLogTest, EachRunPutsItsLineFirstInWindowAndFile) {
    program.write("QVR32.LOG", "old job\r\n");
    start();
    tick("chk_dlm", true);
    find<QLineEdit>("txt_ptit")->setText(QStringLiteral("A"));
    mdi->frm_gen->set_definition_file_name("/defs/orders.tab");
    desktop.expect_confirm(QStringLiteral("Keep imput view."), kNo);  // the view still holds its first line
    for (const char* name : {"a", "b"}) {
        mdi->frm_gen->set_input_path(data.write(name + std::string(".txt"), "x\r\n"));
        mdi->frm_gen->set_output_path(data.file(name + std::string(".qvo")));
        desktop.expect_info(QStringLiteral("Extract file generated"));
        pick("mnu_go");
    }
    const std::vector<std::string> shown = all_lines(mem_log());
    ASSERT_EQ(3u, shown.size());
    EXPECT_EQ(shown[0] + "\r\n" + shown[1] + "\r\nold job\r\n", log_file());
    EXPECT_EQ("a.txt\torders.tab\ta.qvo\t", shown[1].substr(0, 23));
    QStringList items = q(shown[0]).split(QLatin1Char('\t'));
    EXPECT_EQ(QStringLiteral("No bad values"), items.takeLast());
    EXPECT_EQ(QStringLiteral("Windows-1252"), items.takeLast());
    // The long time format with its seconds, and no time zone after them.
    EXPECT_THAT(items.takeLast().toStdString(), testing::MatchesRegex("[0-9][0-9]:[0-9][0-9]:[0-9][0-9]"));
    EXPECT_EQ((QStringList{"b.txt", "orders.tab", "b.qvo", "<Tab>", "Header", "Not sorted", "Not U.",
                           "No nbr.", "A", "No upper",
                           QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)}),
              items);
}

TEST_F(JobLogTest, TheItemsStandInColumnsHoweverLong) {
    program.write("QVR32.LOG",
                  "/home/someone/a/rather/long/folder/input.txt\tb.tab\tc\r\nx\ty\tz\r\nx\t/tmp/long/"
                  "result.txt\tz\r\n");
    start();
    QTextDocument* document = mem_log()->document();
    auto item_places = [&](int line) {  // where the second and the third item start, in pixels
        const QTextBlock block = document->findBlockByNumber(line);
        document->documentLayout()->blockBoundingRect(block);  // lays the block out
        const QString text = block.text();
        const qsizetype second = text.indexOf(QLatin1Char('\t')) + 1;
        const QTextLine shown = block.layout()->lineAt(0);
        return std::pair(qRound(shown.cursorToX(second)),
                         qRound(shown.cursorToX(text.indexOf(QLatin1Char('\t'), second) + 1)));
    };
    EXPECT_EQ(item_places(0), item_places(1));
    EXPECT_EQ(item_places(0), item_places(2));
    EXPECT_LT(item_places(0).first, item_places(0).second);
}

TEST_F(JobLogTest, StoredLogComesBackByteForByte) {
    // Accented letters, the bytes without a Windows character, a no-break space, NUL and Ctrl+Z.
    const char raw[] = "caf\xe9\t\x81\x8d\x8f\x90\x9d\t\xa0|\0|\x1a\r\n\r\nlast\r\n";
    const std::string stored(raw, sizeof raw - 1);
    program.write("QVR32.LOG", stored);
    start();
    EXPECT_EQ(3, line_count(mem_log()));
    EXPECT_EQ(QStringLiteral("caf\u00e9\t"), mem_log()->document()->firstBlock().text().left(5));
    pick("mnu_end");
    EXPECT_EQ(stored, log_file());
}

TEST_F(JobLogTest, AllowEditingThenSaveAndEndOfProgramWriteTheTextAndCopyTakesItFromAnyWindow) {
    program.write("QVR32.LOG", "job one\r\nc\td\r\n");
    start();
    QPlainTextEdit* log = mem_log();
    log->moveCursor(QTextCursor::Start);
    QTest::keyClicks(log, "nope ");
    EXPECT_EQ("job one", line_at(log, 0));  // read-only until editing is allowed
    find<QCheckBox>("chk_edit")->click();
    log->moveCursor(QTextCursor::Start);
    QTest::keyClicks(log, "edited ");
    find<QCheckBox>("chk_edit")->click();  // cleared again: read-only, and Save stays shown
    EXPECT_TRUE(log->isReadOnly());
    pick("mnu_lsv");
    EXPECT_EQ("edited job one\r\nc\td\r\n", log_file());
    pick("mnu_sge");
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    pick("mnu_lcp");  // no message, and with nothing selected, the clipboard stays
    EXPECT_EQ(QStringLiteral("kept"), QGuiApplication::clipboard()->text());
    pick("mnu_lsa");
    pick("mnu_lcp");
    EXPECT_EQ(QStringLiteral("edited job one\nc\td"), QGuiApplication::clipboard()->text());
    log->setPlainText(QStringLiteral("kept"));
    pick("mnu_end");
    EXPECT_EQ("kept\r\n", log_file());
}

TEST_F(JobLogTest, FailedSaveKeepsTheFileAndTheText) {
    // A program folder so deep that the log's own name still fits in a path but no file beside it does.
    std::string deep = data.path();
    while (deep.size() < 4080) {
        deep += std::string(std::min<std::size_t>(200, 4080 - deep.size() - 1), 'd') + "/";
        ASSERT_EQ(0, ::mkdir(deep.c_str(), 0755)) << deep.size();
    }
    const std::string log_path = data.write(deep.substr(data.path().size()) + "QVR32.LOG", "old job\r\n");
    mdi = std::make_unique<Tmdi_qvr>(desktop, deep);
    desktop.expect_general_error(q("Cannot create file " + log_path + ". File name too long."));
    mdi->frm_log->add_job_line();  // as the end of a run does
    mdi->frm_log->save_job_log();
    EXPECT_EQ("old job\r\n", read_file(log_path));
    EXPECT_EQ((std::vector<std::string>{line_at(mem_log(), 0), "old job"}), all_lines(mem_log()));
    EXPECT_EQ("QVR32.LOG", list_folder(deep));
}

using LogStartFaults = JobLogTest;

TEST_F(LogStartFaults, AnUnreadableLogIsSetAsideAndTheProgramGoesOnWithAnEmptyLog) {
    // Which files the reader refuses, and why, is the readers' own test; here, what start-up does then.
    const std::string log = make_folder(program.file("QVR32.LOG"));
    program.write("QVR32.LOG/notes", "precious");
    struct stat before {};
    ::stat(log.c_str(), &before);
    desktop.expect_general_error_starting(
        q("Cannot open file " + log + ". Is a directory. The job log starts empty; the file was kept as " +
          log + ".unreadable-"));
    {
        const PermissionsHold permissions;
        start();
    }
    desktop.verify();
    EXPECT_EQ(0, line_count(mem_log()));
    // Later saves write a new log and leave what was set aside as it was.
    mdi->frm_log->add_job_line();
    mdi->frm_log->save_job_log();
    EXPECT_EQ(line_at(mem_log(), 0) + "\r\n", log_file());
    const std::string names = list_folder(program.path());
    EXPECT_EQ("QVR32.LOG QVR32.LOG.unreadable-", names.substr(0, 31));
    struct stat kept {};
    ::stat(program.file(names.substr(10)).c_str(), &kept);
    EXPECT_EQ(before.st_ino, kept.st_ino);
}

// Another process holding the log's lock for good: the program starts with the log, read without the lock,
// and says so; once the lock is free the next save writes the log.
TEST_F(LogStartFaults, ALockHeldForGoodDelaysTheStartOnlySoLong) {
    const std::string log = program.write("QVR32.LOG", "old job\r\n"), lock = log + ".lock";
    const int held = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_EQ(0, ::flock(held, LOCK_EX));
    desktop.expect_general_error(q("Cannot lock file " + log + ". Another process has held its lock " + lock +
                                   " for more than 5 seconds. The job log was read without waiting longer."));
    start();
    desktop.verify();
    EXPECT_EQ("old job", line_at(mem_log(), 0));
    ::close(held);
    mdi->frm_log->add_job_line();
    mdi->frm_log->save_job_log();
    EXPECT_EQ(line_at(mem_log(), 0) + "\r\nold job\r\n", log_file());
}

// A big log goes into the window and back to its file without copies of itself beside the window's own
// document (two bytes a character and its lines' blocks): under four times its size at start-up (it was
// eight), and a few megabytes while it is saved (it was twice its size).
TEST_F(LogStartFaults, ABigLogIsLoadedAndSavedWithoutCopiesOfItself) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine, so resident memory says nothing here";
#endif
    const std::string line =
        "in.txt\t<none>\tout.qvo\t;\tHeader\tNot sorted\tNot U.\tNo nbr.\tNo lower\tNo upper\t"
        "06/12/2026\t10:15:00 and a note that makes the line as long as most\r\n";
    const std::int64_t size = 64 << 20;
    const std::string stored = repeated(line, static_cast<int>(size / line.size()));
    program.write("QVR32.LOG", stored);
    reset_peak_memory();
    const std::int64_t before = peak_memory();
    mdi = std::make_unique<Tmdi_qvr>(desktop, program.path());  // not shown: the document alone
    EXPECT_GT(4 * size, peak_memory() - before);
    reset_peak_memory();
    const std::int64_t held = peak_memory();
    mdi->frm_log->save_job_log();
    EXPECT_GT(size / 8, peak_memory() - held);
    EXPECT_EQ(stored, log_file());
}

}  // namespace
}  // namespace qvr::test
