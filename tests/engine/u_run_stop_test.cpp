#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>

#include "desktop/text_box.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

/// Esc or a click on Stop, waiting in the queue as a run starts, reaches the window at the run's first
/// look at its events and ends the run: the former result stays, no temporary file is left, nothing is
/// told (the fast extract says its file is incomplete), the gauge and the busy cursor go.
class RunStopTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        clear_box(mdi->frm_view->input_view());
        // Enough lines that every kind of run outlasts the window's first look at its events.
        std::string lines;
        for (int i = 0; i < 1'500'000; ++i) lines += "ABCDEFGH" + std::to_string(i % 977) + "\r\n";
        input = data.write("in.txt", lines);
        output = data.write("out.txt", "former\r\n");
        set_text("txt_inp", input);
        set_text("txt_out", output);
        set_rows({{"Name", "1", "3", ""}, {"Code", "4", "5", ""}});
    }
    void press_escape() {
        QCoreApplication::postEvent(QApplication::focusWidget() ? QApplication::focusWidget() : mdi.get(),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }
    std::string input, output;
};

// Esc during a sorted run, a click on Stop during a fast one (which says its file is incomplete).
TEST_F(RunStopTest, EscOrStopEndsASortedOrAFastRunAndKeepsTheFormerResult) {
    for (bool fast : {false, true}) {
        tick(fast ? "chk_qck" : "chk_sort", true);
        desktop.expect_confirm(QStringLiteral("Result file already exists, overwrite ?"), kYes);
        if (fast) {
            desktop.expect_general_error(
                QStringLiteral("Stopped at the user's request.\n\rThe result file %1 is incomplete.")
                    .arg(q(output)));
            QWidget* stop = find<QWidget>("btn_stop");
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(
                    stop, new QMouseEvent(type, QPointF(4, 4), QPointF(4, 4), Qt::LeftButton, Qt::LeftButton,
                                          Qt::NoModifier));
        } else {
            press_escape();
        }
        pick("mnu_go");
        desktop.verify();
        EXPECT_FALSE(find<QProgressBar>("gge_run")->isVisible()) << fast;
        EXPECT_EQ(nullptr, QApplication::overrideCursor());
        EXPECT_EQ("in.txt out.txt", list_folder(data.path()));
        EXPECT_EQ(!fast, read_file(output) == "former\r\n");  // the fast run emptied the file it writes into
        EXPECT_FALSE(enabled("mnu_dbf"));
    }
}

TEST_F(RunStopTest, EscEndsTheSearchForFieldsAndKeepsTheTable) {
    const std::vector<std::string> before = mdi->frm_dlm->field_table().names();
    find<QAction>("mnu_fdt")->setEnabled(true);
    desktop.expect_confirm(QStringLiteral("Is the former fields definition saved?"), kYes);
    press_escape();
    pick("mnu_fdt");
    EXPECT_EQ(before, mdi->frm_dlm->field_table().names());
    EXPECT_FALSE(find<QProgressBar>("gge_run")->isVisible());
}

}  // namespace
}  // namespace qvr::test
