#include <QApplication>
#include <QKeyEvent>

#include "input/column_ruler.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using InputView = StartedTest;

TEST_F(InputView, StartsWithItsExplanation) {
    EXPECT_EQ(QStringLiteral("mem_out"), find<LineView>("mem_out")->toPlainText());
    EXPECT_EQ(
        QStringLiteral("Here is a view of the imput file (whole or part, depending on the choice made when "
                       "opening). If you make a \n"
                       "selection, in the same line (with the mouse or with Shift-Left / Shift-Right), and "
                       "then press RETURN, you can \n"
                       "have some useful informations about length and position of selection."),
        find<QPlainTextEdit>("mem_expl", mdi->frm_view)->toPlainText());
    EXPECT_EQ(QStringLiteral("Rule inserted"), find<QCheckBox>("chk_rule")->text());
    EXPECT_FALSE(find<QCheckBox>("chk_rule")->isChecked());
}

TEST_F(InputView, InputModeShowsTheInputWithItsPathAndLineCount) {
    const std::string path = numbered_file("input.txt", 30);
    open_input(path);
    pick("mnu_rvw");  // the result mode hides what the input mode shows
    pick("mnu_vwi");
    EXPECT_EQ(QStringLiteral("View input file"), mdi->frm_view->windowTitle());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_view)->isMaximized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMinimized());
    for (const char* name : {"mem_inp", "chk_rule", "mem_expl", "lbl_vcount", "lbl_vname"})
        EXPECT_TRUE(find<QWidget>(name, mdi->frm_view)->isVisible()) << name;
    for (const char* name : {"mem_out", "lbl_vgener"})
        EXPECT_FALSE(find<QWidget>(name, mdi->frm_view)->isVisible()) << name;
    EXPECT_EQ(QStringLiteral("Number of lines: 30"), label("lbl_vcount"));
    EXPECT_EQ(q(path), label("lbl_vname"));
}

TEST_F(InputView, TheRulerStandsBeforeEveryTwentiethLineAndComesOutAgain) {
    open_input(numbered_file("input.txt", 45));
    pick("mnu_vwi");
    const std::vector<std::string> original = view();
    tick("chk_rule", true);
    std::vector<std::string> expected;
    const auto block = ruler_block(std::string("line 45").size());
    for (std::size_t i = 0; i < 45; ++i) {
        if (i % 20 == 0) expected.insert(expected.end(), block.begin(), block.end());
        expected.push_back(original[i]);
    }
    EXPECT_EQ(expected, view());
    EXPECT_EQ(QStringLiteral("Number of lines: 57"), label("lbl_vcount"));
    tick("chk_rule", false);
    EXPECT_EQ(original, view());
    EXPECT_EQ(QStringLiteral("Number of lines: 45"), label("lbl_vcount"));
}

TEST_F(InputView, EnterTellsTheLengthOfTheSelection) {
    open_input(numbered_file("input.txt", 3));
    pick("mnu_vwi");
    LineView* box = find<LineView>("mem_inp");
    struct Case {
        std::uint64_t anchor;
        std::uint64_t position;
        int key;
        QString text;
    };
    const Case cases[] = {
        {2, 5, Qt::Key_Return, QStringLiteral("Length of selection: 3")},
        {4, 4, Qt::Key_Return, QStringLiteral("Length of selection: 0")},
        {5, 2, Qt::Key_Enter, QStringLiteral("Length of selection: 3")},
        {0, 9, Qt::Key_Return, QStringLiteral("Length of selection: 9")},  // "line 1", its line end, "li"
    };
    for (const Case& c : cases) {
        box->set_selection(c.anchor, c.position);
        desktop.expect_info(c.text);
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(box, &press);
    }
    EXPECT_EQ((std::vector<std::string>{"line 1", "line 2", "line 3"}), view());
}

TEST_F(InputView, SideBySideLaysTheInputAboveTheFieldTable) {
    open_input(numbered_file("input.txt", 30));
    pick("mnu_wid");
    QMdiSubWindow* view_frame = mdi->frame_of(mdi->frm_view);
    QMdiSubWindow* fields_frame = mdi->frame_of(mdi->frm_dlm);
    EXPECT_EQ(QSize(800, 550), mdi->size());
    EXPECT_EQ(QRect(0, 0, 740, 265), view_frame->geometry());
    EXPECT_EQ(QRect(25, 260, 740, 240), fields_frame->geometry());
    EXPECT_FALSE(view_frame->isMinimized() || view_frame->isMaximized());
    EXPECT_FALSE(fields_frame->isMinimized() || fields_frame->isMaximized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMinimized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_log)->isMinimized());
    EXPECT_EQ(QRect(16, 32, 665, 200), find<LineView>("mem_inp")->geometry());
    pick("mnu_vwi");
    EXPECT_EQ(QRect(16, 32, 665, 345), find<LineView>("mem_inp")->geometry());
}

}  // namespace
}  // namespace qvr::test
