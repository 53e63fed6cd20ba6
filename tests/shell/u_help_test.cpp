#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using HelpMenuTest = MainWindowTest;

TEST_F(HelpMenuTest, IndexAndF1OpenTheHelpAndEachLinkComesAfterTheNoticeAndOnlyWebAndMailLinksOpen) {
    // The home link overridden, the author's a local program, the mail link the built-in one.
    program.write("QVR32.CFG", "QVRHhttps://elsewhere.example/quarvel\r\nAUTH/usr/bin/xterm\r\n");
    start();
    const QString help = q(program.file("QVR32.HLP"));
    desktop.expect_help(help, QStringLiteral("Sommaire"));
    pick("mnu_idx");
    // F1 from inside a child window works the same.
    mdi->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mdi.get()));
    mdi->frm_log->job_log_view()->setFocus();
    desktop.expect_help(help, QStringLiteral("Sommaire"));
    QTest::keyClick(mdi->frm_log->job_log_view(), Qt::Key_F1);
    const QString notice =
        QStringLiteral("If any connection problem, see the help file or the program web site.");
    desktop.expect_info(notice);
    desktop.expect_link(QStringLiteral("https://elsewhere.example/quarvel"));
    pick("mnu_wmc");
    desktop.expect_info(notice);
    pick("mnu_web");
    desktop.expect_info(notice);
    desktop.expect_link(q(LinkTexts().mail));
    pick("mnu_mail");
    desktop.expect_info(QStringLiteral("3.44 - 32 bits"));
    pick("mnu_abt");
}

}  // namespace
}  // namespace qvr::test
