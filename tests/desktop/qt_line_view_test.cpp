#include "desktop/qt_line_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QTest>

#include "desktop/text_box.h"

namespace qvr {
namespace {

class LineViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.resize(300, 200);
        set_lines(&view, {"abcdef", "gh", "ijklmn"});
        view.show();
        view.setFocus();
    }

    void keys(std::initializer_list<std::pair<Qt::Key, Qt::KeyboardModifiers>> presses) {
        for (const auto& [key, modifiers] : presses) QTest::keyClick(&view, key, modifiers);
    }

    // The middle of a character cell in the view.
    QPoint cell(int line, int column) const {
        const QFontMetrics metrics = view.fontMetrics();
        return {4 + column * metrics.horizontalAdvance(QLatin1Char('M')),
                4 + line * metrics.lineSpacing() + metrics.lineSpacing() / 2};
    }

    LineView view;
};

TEST_F(LineViewTest, ShiftWithTheArrowKeysSelects) {
    const auto shift = Qt::ShiftModifier;
    struct Case {
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> presses;
        QString selected;
    };
    const Case cases[] = {
        {{{Qt::Key_Right, shift}, {Qt::Key_Right, shift}}, QStringLiteral("ab")},
        {{{Qt::Key_Right, {}}, {Qt::Key_Down, shift}}, QStringLiteral("bcdef\ng")},
        {{{Qt::Key_End, shift}}, QStringLiteral("abcdef")},
        {{{Qt::Key_Down, {}}, {Qt::Key_End, {}}, {Qt::Key_Right, shift}, {Qt::Key_Right, shift}},
         QStringLiteral("\ni")},
        {{{Qt::Key_End, Qt::ControlModifier}, {Qt::Key_Up, shift}, {Qt::Key_Left, shift}},
         QStringLiteral("h\nijklmn")},
        {{{Qt::Key_Right, shift}, {Qt::Key_Right, {}}}, QString()},  // a move without Shift drops it
    };
    for (const Case& c : cases) {
        keys({{Qt::Key_Home, Qt::ControlModifier}});
        for (const auto& [key, modifiers] : c.presses) QTest::keyClick(&view, key, modifiers);
        EXPECT_EQ(c.selected, view.selected_text());
        EXPECT_EQ(static_cast<std::uint64_t>(c.selected.size()),
                  view.selection_end() - view.selection_start());
    }
}

TEST_F(LineViewTest, SelectAllAndCopyTakeEveryLine) {
    QApplication::clipboard()->setText(QStringLiteral("before"));
    keys({{Qt::Key_C, Qt::ControlModifier}});
    EXPECT_EQ(QStringLiteral("before"), QApplication::clipboard()->text());
    keys({{Qt::Key_A, Qt::ControlModifier}, {Qt::Key_C, Qt::ControlModifier}});
    EXPECT_EQ(QStringLiteral("abcdef\ngh\nijklmn"), QApplication::clipboard()->text());
}

TEST_F(LineViewTest, TheMouseSelectsFromWhereItIsPressedToWhereItIsLet) {
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cell(0, 2));
    QMouseEvent drag(QEvent::MouseMove, cell(2, 1), view.viewport()->mapToGlobal(cell(2, 1)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drag);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, cell(2, 1));
    EXPECT_EQ(QStringLiteral("cdef\ngh\ni"), view.selected_text());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, cell(1, 1));
    EXPECT_EQ(QStringLiteral("cdef\ng"), view.selected_text());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell(1, 1));
    EXPECT_EQ(QString(), view.selected_text());
}

TEST_F(LineViewTest, BytesShowThroughTheViewsTableAndComeBack) {
    static const LineView::CharTable stars = [] {
        LineView::CharTable t = common_char_table();
        t[0] = u'*';
        return t;
    }();
    set_lines(&view, {std::string("a\0\xe9", 3), ""});
    view.set_char_table(&stars);
    EXPECT_EQ(QStringLiteral(u"a*\u00e9\n"), view.toPlainText());
    view.setPlainText(QStringLiteral(u"x*\u00e9\ny"));
    EXPECT_EQ((std::vector<std::string>{std::string("x\0\xe9", 3), "y"}), all_lines(&view));
    EXPECT_EQ(2, line_count(&view));
    clear_box(&view);
    EXPECT_EQ(0, line_count(&view));
    EXPECT_EQ(QString(), view.toPlainText());
}

}  // namespace
}  // namespace qvr
