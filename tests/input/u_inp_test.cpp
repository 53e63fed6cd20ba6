#include <QGroupBox>

#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using OpeningInput = StartedTest;

std::vector<std::string> numbered(int from, int to) {
    std::vector<std::string> lines;
    for (int i = from; i <= to; ++i) lines.push_back("line " + std::to_string(i));
    return lines;
}

TEST_F(OpeningInput, TheDialogReadsAsOneSentence) {
    Tfrm_inp* dialog = mdi->frm_inp;
    EXPECT_EQ(QStringLiteral("Opening input lile - Filling the input view"), dialog->windowTitle());
    EXPECT_EQ(QStringLiteral("Filling mode"), find<QGroupBox>("rgr_inp", dialog)->title());
    EXPECT_EQ(QStringLiteral("&Do not fill the input view (OK if the input file structure is well known)"),
              find<QRadioButton>("opt_void", dialog)->text());
    EXPECT_EQ(
        QStringLiteral("Filll &partially (recommended) with the first                            lines"),
        find<QRadioButton>("opt_part", dialog)->text());
    EXPECT_EQ(
        QStringLiteral("Fill &completely (best for analyzing, but can take quite a time with big several "
                       "MO-sized files)"),
        find<QRadioButton>("opt_full", dialog)->text());
    EXPECT_TRUE(find<QRadioButton>("opt_part", dialog)->isChecked());
    EXPECT_EQ(QStringLiteral("100"), find<QLineEdit>("txt_part", dialog)->text());
    EXPECT_EQ(QStringLiteral("&OK"), find<QPushButton>("cmd_ooke", dialog)->text());
    // The number box stands in the run of blanks of the partial mode's caption, and no caption is cut off
    // whatever font stands in for MS Sans Serif.
    EXPECT_EQ(QRect(248, 64, 57, 21), find<QLineEdit>("txt_part", dialog)->geometry());
    for (const char* option : {"opt_void", "opt_part", "opt_full"}) {
        const QRadioButton* button = find<QRadioButton>(option, dialog);
        EXPECT_LE(button->sizeHint().width(), button->width()) << option;
    }
}

TEST_F(OpeningInput, FillsTheViewAsTheChosenModeSays) {
    const struct {
        const char* mode;
        QString number;
        std::vector<std::string> view;
    } cases[] = {
        {"opt_part", "100", numbered(1, 100)},
        {"opt_part", "7", numbered(1, 7)},
        {"opt_part", "2147483647", numbered(1, 150)},
        {"opt_part", "0", {}},
        {"opt_part", "-2147483648", {}},
        {"opt_part", "99999999999", numbered(1, 100)},  // not a 32-bit number: the default
        {"opt_full", "7", numbered(1, 150)},
        {"opt_void", "7", {}},
    };
    const std::string path = numbered_file("input.txt", 150);
    for (const auto& c : cases) {
        open_input(path, c.mode, c.number);
        EXPECT_EQ(c.view, view()) << c.mode << " " << c.number.toStdString();
        EXPECT_EQ(q(path), box_text("txt_inp"));
        EXPECT_EQ(q(data.file("input.qvo.txt")), box_text("txt_out"));
        EXPECT_TRUE(enabled("mnu_vwi") && enabled("mnu_wid") && enabled("mnu_ana")) << c.mode;
    }
    EXPECT_EQ(QStringLiteral("Text file|*.txt"), desktop.dialog_states()[1].filter);
    EXPECT_EQ(QString(), desktop.dialog_states()[1].file_name);  // a fresh name each time
}

TEST_F(OpeningInput, CancelOnlyDisablesTheDbaseExport) {
    desktop.expect_open(std::nullopt);
    pick("mnu_inp");
    EXPECT_FALSE(enabled("mnu_vwi") || enabled("mnu_wid") || enabled("mnu_ana") || enabled("mnu_dbf"));
    EXPECT_EQ(std::vector<std::string>{"mem_inp"}, view());

    const std::string path = numbered_file("input.txt", 3);
    open_input(path);
    find<QAction>("mnu_dbf")->setEnabled(true);  // as a finished run leaves it
    find<QLineEdit>("txt_out")->setText(QStringLiteral("chosen.qvo"));
    pick("mnu_vwi");
    desktop.expect_open(std::nullopt);
    pick("mnu_inp");
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_FALSE(enabled("mnu_dbf"));
    EXPECT_EQ(numbered(1, 3), view());
    EXPECT_EQ(q(path), box_text("txt_inp"));
    EXPECT_EQ(QStringLiteral("chosen.qvo"), box_text("txt_out"));
    EXPECT_TRUE(enabled("mnu_vwi") && enabled("mnu_wid") && enabled("mnu_ana"));
}

TEST_F(OpeningInput, TheDialogStandsBesideTheMainWindowAndKeepsItsChoice) {
    const std::string path = numbered_file("input.txt", 10);
    open_input(path, "opt_full", "7");
    QPoint placed;
    bool full = false;
    QString number;
    mdi->frm_inp->show_modal = [&](Tfrm_inp& dialog) {
        placed = dialog.pos();
        full = find<QRadioButton>("opt_full", &dialog)->isChecked();
        number = find<QLineEdit>("txt_part", &dialog)->text();
        find<QPushButton>("cmd_ooke", &dialog)->click();
    };
    desktop.expect_open(q(path));
    pick("mnu_inp");
    EXPECT_EQ(mdi->pos() + QPoint(100, 100), placed);
    EXPECT_TRUE(full);
    EXPECT_EQ(QStringLiteral("7"), number);
}

TEST_F(OpeningInput, AFileTooBigForMemoryIsRefusedBeforeItIsRead) {
    const std::string path = numbered_file("input.txt", 100, "ten chars ");  // 1,292 bytes
    // Room for a few short lines, not for the whole file nor for 50 lines.
    memory.bytes = 2000;
    const QString refusal = q("Cannot read file " + path + ". Cannot allocate memory.");
    mdi->frm_inp->show_modal = [&](Tfrm_inp& dialog) {
        find<QRadioButton>("opt_full", &dialog)->setChecked(true);
        find<QPushButton>("cmd_ooke", &dialog)->click();
        find<QRadioButton>("opt_part", &dialog)->setChecked(true);
        find<QLineEdit>("txt_part", &dialog)->setText(QStringLiteral("50"));
        find<QPushButton>("cmd_ooke", &dialog)->click();
        find<QLineEdit>("txt_part", &dialog)->setText(QStringLiteral("3"));
        find<QPushButton>("cmd_ooke", &dialog)->click();
    };
    desktop.expect_open(q(path));
    desktop.expect_general_error(refusal);
    desktop.expect_general_error(refusal);
    pick("mnu_inp");
    EXPECT_EQ((std::vector<std::string>{"ten chars 1", "ten chars 2", "ten chars 3"}), view());
}

TEST_F(OpeningInput, ANewInputTakesTheRulerOut) {
    open_input(numbered_file("first.txt", 45));
    tick("chk_rule", true);
    open_input(numbered_file("second.txt", 3));
    EXPECT_FALSE(find<QCheckBox>("chk_rule")->isChecked());
    EXPECT_EQ(numbered(1, 3), view());
}

TEST_F(OpeningInput, ControlBytesAndALineFeedInALineShowAsOneCharacterEach) {
    const std::string line(
        "A\0B\tC\x1b"
        "D\x7f\x81"
        "E\nF",
        12);
    const std::string path = data.write("controls.txt", line + "\r\n");
    open_input(path);
    EXPECT_EQ(QStringLiteral(u"A\u2591B\u25CBC\u2190D\u2302\u2580E\u25D9F"),
              mdi->frm_view->input_view()->toPlainText());
    EXPECT_EQ(std::vector<std::string>{line}, view());
}

}  // namespace
}  // namespace qvr::test
