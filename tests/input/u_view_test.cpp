#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

#include "input/column_ruler.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using InputView = StartedTest;

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
    // The blocks themselves are the ruler's own test; here where they stand.
    const std::vector<std::string> ruled = view();
    ASSERT_EQ(57u, ruled.size());
    EXPECT_EQ("line 1|line 20|line 21|line 45",
              ruled[4] + "|" + ruled[23] + "|" + ruled[28] + "|" + ruled[56]);
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

// File > Input proposes UTF-8 for a UTF-8 file; the ruler and the selection then count characters ("é" 2
// bytes, "€" 3, "😀" 4), and in Windows-1252 bytes again.
TEST_F(InputView, AUtf8InputCountsCharactersInTheRulerAndTheSelection) {
    open_input(data.write("input.txt", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80x\r\nab\r\n"));
    pick("mnu_vwi");
    auto* encoding = find<QComboBox>("cbo_enc");
    auto* box = find<LineView>("mem_inp");
    EXPECT_EQ(1, encoding->currentIndex());
    for (const auto& [index, columns] : {std::pair{0, 10}, std::pair{1, 4}}) {
        encoding->setCurrentIndex(index);
        tick("chk_rule", true);
        EXPECT_EQ(ruler_block(static_cast<std::size_t>(columns))[0], view()[0]);
        tick("chk_rule", false);
        box->set_selection(0, static_cast<std::uint64_t>(columns));
        desktop.expect_info(QStringLiteral("Length of selection: ") + QString::number(columns));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(box, &press);
    }
    EXPECT_EQ(QString::fromUtf8("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80x"), box->selected_text());
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
