#include <gmock/gmock.h>

#include <QClipboard>
#include <QDate>
#include <QGuiApplication>
#include <QLocale>
#include <QTextBlock>

#include "desktop/text_box.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

class JobLogTest : public MainWindowTest {
  protected:
    QPlainTextEdit* mem_log() { return mdi->frm_log->job_log_view(); }

    /// What the end of an extract run does: add the job's line, then save the log.
    void finish_job() {
        mdi->frm_gen->set_input_path("/data/in.txt");
        mdi->frm_gen->set_output_path("/data/out.qvo");
        mdi->frm_log->add_job_line();
        mdi->frm_log->save_job_log();
    }

    std::string log_file() { return read_file(program.file("QVR32.LOG")); }
};

TEST_F(JobLogTest, PreviousJobsWindow) {
    start();
    QPlainTextEdit* expl = find<QPlainTextEdit>("mem_expl", mdi->frm_log);
    EXPECT_EQ((std::vector<std::string>{
                  "This log is a brief summary of the previous jobs run by the program. Is is stocked to the "
                  "QVR32.LOG file. On each line: the input, delimiter, ",
                  "output files, the delimiter, the lower and upper limit, the special features (sorted, "
                  "unique...), the date and the time.",
                  "They are sorted in REVERSE order (last job in first line).",
                  "All those items are separated by a <tab>.",
                  "This log can be copied and pasted to a worksheet if needed."}),
              all_lines(expl));
    EXPECT_EQ(QColor(Qt::red), expl->palette().color(QPalette::Text));
    EXPECT_TRUE(mem_log()->isReadOnly());
    QCheckBox* edit = find<QCheckBox>("chk_edit");
    EXPECT_EQ(QStringLiteral("&Allow editing"), edit->text());
    QPushButton* gen = find<QPushButton>("cmd_gen", mdi->frm_log);
    EXPECT_EQ(QStringLiteral("&General data"), gen->text());
    EXPECT_EQ(QStringLiteral("Go back to the general data window"), gen->toolTip());
    QList<QWidget*> order;
    for (QWidget* at = mem_log(); order.size() < 4; at = at->nextInFocusChain())
        if (at->focusPolicy() & Qt::TabFocus) order << at;
    EXPECT_EQ((QList<QWidget*>{mem_log(), gen, edit, expl}), order);
    pick("mnu_log");
    gen->click();
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_log)->isMinimized());
}

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
    // The long time format with its seconds, and no time zone after them.
    EXPECT_THAT(items.takeLast().toStdString(), testing::MatchesRegex("[0-9][0-9]:[0-9][0-9]:[0-9][0-9]"));
    EXPECT_EQ((QStringList{"b.txt", "orders.tab", "b.qvo", "<Tab>", "Header", "Not sorted", "Not U.",
                           "No nbr.", "A", "No upper",
                           QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)}),
              items);
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

TEST_F(JobLogTest, AllowEditingThenSaveAndEndOfProgramWriteTheText) {
    program.write("QVR32.LOG", "job one\r\n");
    start();
    QPlainTextEdit* log = mem_log();
    QCheckBox* edit = find<QCheckBox>("chk_edit");
    log->moveCursor(QTextCursor::Start);
    QTest::keyClicks(log, "nope ");
    EXPECT_EQ("job one", line_at(log, 0));  // read-only until editing is allowed
    edit->click();
    log->moveCursor(QTextCursor::Start);
    QTest::keyClicks(log, "edited ");
    edit->click();  // cleared again: read-only, and Save stays shown
    EXPECT_TRUE(log->isReadOnly());
    pick("mnu_lsv");
    EXPECT_EQ("edited job one\r\n", log_file());
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
    finish_job();
    EXPECT_EQ("old job\r\n", read_file(log_path));
    EXPECT_EQ(2, line_count(mem_log()));
    EXPECT_EQ("old job", line_at(mem_log(), 1));
    EXPECT_EQ("QVR32.LOG", list_folder(deep));
}

TEST_F(JobLogTest, SelectAllCopyAndPrintTakeTheLog) {
    program.write("QVR32.LOG", "a\tb\r\nc d\r\n");
    start();
    pick("mnu_sge");  // whichever window is in front
    pick("mnu_lsa");
    pick("mnu_lcp");  // no message
    EXPECT_EQ(QStringLiteral("a\tb\nc d"), QGuiApplication::clipboard()->text());
    const std::string pdf = data.file("log.pdf");
    desktop.expect_print(q(pdf));
    desktop.expect_font(FontChoice{QStringLiteral("Liberation Mono"), 10});
    desktop.expect_info(QStringLiteral("Print completed"));
    pick("mnu_lpt");
    // Every line, the tab going to the next stop of eight columns.
    EXPECT_EQ("a     b\nc d\n\f", command_output("pdftotext -layout '" + pdf + "' -"));
}

}  // namespace
}  // namespace qvr::test
