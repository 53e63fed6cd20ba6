#include <QPlainTextEdit>
#include <QTest>

#include "shell/u_log.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

const QString kNotice =
    QStringLiteral("If any connection problem, see the help file or the program web site.");

class HelpMenuTest : public MainWindowTest {};

TEST_F(HelpMenuTest, IndexAndF1OpenTheHelpFileAtItsContents) {
    start();
    const QString help = QString::fromStdString(program.file("QVR32.HLP"));
    desktop.expect_help(help, QStringLiteral("Sommaire"));
    pick("mnu_idx");
    // F1 from inside a child window works the same.
    mdi->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mdi.get()));
    QPlainTextEdit* log = mdi->frm_log->job_log_view();
    log->setFocus();
    desktop.expect_help(help, QStringLiteral("Sommaire"));
    QTest::keyClick(log, Qt::Key_F1);
}

TEST_F(HelpMenuTest, EachLinkComesAfterTheNoticeAndTheConfigurationOverridesOne) {
    program.write("QVR32.CFG", "QVRHhttps://elsewhere.example/quarvel\r\n");
    start();
    const std::pair<const char*, std::string> items[] = {{"mnu_web", LinkTexts().author},
                                                         {"mnu_wmc", "https://elsewhere.example/quarvel"},
                                                         {"mnu_mail", LinkTexts().mail}};
    for (const auto& [item, link] : items) {
        desktop.expect_info(kNotice);
        desktop.expect_link(QString::fromStdString(link));
        pick(item);
        desktop.verify();
    }
}

TEST_F(HelpMenuTest, EmptyOrRefusedLinksOpenNothingAfterTheNotice) {
    // An empty link, a local program and a file: only the notice, then nothing and no message.
    program.write("QVR32.CFG", "QVRH\r\nAUTH/usr/bin/xterm\r\nMAILfile:///etc/passwd\r\n");
    start();
    for (const char* item : {"mnu_wmc", "mnu_web", "mnu_mail"}) {
        desktop.expect_info(kNotice);
        pick(item);
        desktop.verify();
    }
}

TEST_F(HelpMenuTest, AboutShowsTheVersion) {
    start();
    desktop.expect_info(QStringLiteral("3.44 - 32 bits"));
    pick("mnu_abt");
}

}  // namespace
}  // namespace qvr::test
