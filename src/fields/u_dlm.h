#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "fields/field_table.h"

namespace Ui {
class Tfrm_dlm;
}
class QKeyEvent;

namespace qvr {

class Desktop;
class FieldTableModel;

/// The Fields definition window: the field table, edited in its grid. The grid edits no cell in place:
/// the keys typed while it has the focus build the current cell's text, and Enter derives the row.
class Tfrm_dlm : public QWidget {
    Q_OBJECT

  public:
    explicit Tfrm_dlm(Desktop& desktop);
    ~Tfrm_dlm() override;

    /// The field table, the grid's only store.
    FieldTable& field_table() { return table_; }
    const FieldTable& field_table() const { return table_; }

    /// Whether the table may be used for an extract; tells the user "Please check the delimiter." when
    /// a row's start position or length reads 0.
    bool table_check();

    /// Shows which definition file the table last came from or went to (`lbl_dlm`). The table as it
    /// stands is then the one New, Recall file or Save As... left.
    /// `settled`: false when the table now stands in no file (it was found in the input), so that leaving
    /// the program still offers to save it.
    void set_file_label(const std::string& text, bool settled = true);

    /// Whether the table differs from what start-up or the last New, Recall file or Save As... left.
    bool table_changed() const { return rows() != settled_rows_; }

    /// The grid's current cell: column 0 to 3 and data row from 1; the keys typed edit this cell.
    int current_row() const { return row_; }
    void set_current_cell(int column, int row);

    /// Whether the grid still shows its hint; a double click turns it off until the program ends.
    bool hint_shown() const { return hint_shown_; }

  signals:
    /// Any change of the field table: a cell, a row added, inserted or deleted, a whole new table.
    void field_table_changed();
    /// The button "General data" asks for that window in front, this one and the view window minimized.
    void general_data_asked();

  public slots:
    void grd_dlmKeyPress(char key);
    void FormKeyPress(char key);
    /// Asks for the type of data row `row`; a spelling that is none is told and changes nothing.
    void ask_type(int row);
    void cmd_addClick();
    void cmd_insClick();
    void cmd_delClick();
    void cmd_genClick();
    void grd_dlmDblClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FormCreate();
    void set_look();
    void set_up_grid();
    bool grid_key(QKeyEvent* event);
    /// The grid's hint, for the mouse at `pos` of `area` (a part of the grid).
    void show_hint(QObject* area, QPoint pos);
    void keep_current_cell();
    std::vector<FieldTable::Row> rows() const;

    Desktop& desktop_;
    FieldTable table_;
    std::unique_ptr<Ui::Tfrm_dlm> ui_;
    std::unique_ptr<FieldTableModel> model_;
    int column_ = FieldTable::kName;
    int row_ = 1;
    bool hint_shown_ = true;
    std::vector<FieldTable::Row> settled_rows_;
};

}  // namespace qvr
