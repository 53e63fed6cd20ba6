#pragma once

#include <QAbstractItemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/widget_text.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "support/main_window_fixture.h"

namespace qvr::test {

using Rows = std::vector<FieldTable::Row>;

/// The program started with the Fields definition window in front, and the ways a user works in it.
class FieldsWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        pick("mnu_vde");
    }

    QTableView* grid() { return find<QTableView>("grd_dlm", mdi->frm_dlm); }
    QPushButton* button(const char* name) { return find<QPushButton>(name, mdi->frm_dlm); }
    void press(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    /// The file label of this window and the definition file of the General data window, as "a | b".
    QString labels() {
        return find<QLabel>("lbl_dlm", mdi->frm_dlm)->text() + QStringLiteral(" | ") +
               find<QLineEdit>("txt_flm", mdi->frm_gen)->text();
    }

    /// The rows as the grid shows them.
    Rows shown() {
        QAbstractItemModel* model = grid()->model();
        Rows rows(static_cast<std::size_t>(model->rowCount()));
        for (int row = 0; row < model->rowCount(); ++row)
            for (int column = 0; column < FieldTable::kColumns; ++column)
                rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
                    from_widget_text(model->index(row, column).data().toString());
        return rows;
    }

    /// The grid's current cell as (column, data row from 1).
    std::pair<int, int> current() {
        return {grid()->currentIndex().column(), grid()->currentIndex().row() + 1};
    }

    void put_rows(const Rows& rows) { mdi->frm_dlm->field_table().assign_rows(rows); }

    void click_cell(int column, int row) {
        QRect place = grid()->visualRect(grid()->model()->index(row - 1, column));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, place.center());
    }

    /// Types into the grid. Besides plain characters: \b Backspace, \r Enter, \x1b Escape, \x01 Ctrl+A,
    /// \x11 Alt+Q, '}' Right, '{' Left, '^' Up, '~' Down.
    void type(std::string_view typed) {
        const std::string_view specials = "\b\r\x1b\x01\x11}{^~";
        const QKeyCombination keys[] = {Qt::Key_Backspace,    Qt::Key_Return,      Qt::Key_Escape,
                                        Qt::CTRL | Qt::Key_A, Qt::ALT | Qt::Key_Q, Qt::Key_Right,
                                        Qt::Key_Left,         Qt::Key_Up,          Qt::Key_Down};
        for (char c : typed) {
            const std::size_t i = specials.find(c);
            if (i == std::string_view::npos) QTest::keyClick(grid(), c);
            if (i != std::string_view::npos)
                QTest::keyClick(grid(), keys[i].key(), keys[i].keyboardModifiers());
        }
    }
};

}  // namespace qvr::test
