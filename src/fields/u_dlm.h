#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "fields/field_table.h"
#include "fields/layout_set.h"

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
    bool table_changed() const;

    /// The grid's current cell: column 0 to 3 and data row from 1; the keys typed edit this cell.
    int current_row() const { return row_; }
    void set_current_cell(int column, int row);

    /// Whether the grid still shows its hint; a double click turns it off until the program ends.
    bool hint_shown() const { return hint_shown_; }

    // Record types. With none the grid's table cuts every line, as ever. With some, each type value has a
    // table of its own and the combo box "Record type" picks the one the grid shows; the type columns and
    // the carries stand beside it.

    bool has_record_types() const { return !types_.empty(); }
    /// The type values in their order, and the one shown.
    std::vector<std::string> record_types() const;
    std::string shown_record_type() const;
    /// Every type's table (the grid's included), the type columns and the carries. Throws UserError for
    /// type columns that are not START:LENGTH or a carry that is not TYPE:FIELD.
    LayoutSet layout_set() const;
    /// Takes a recalled set: its first table is shown.
    void set_layout_set(const LayoutSet& set);
    /// Back to one table for every line: the grid's table stays.
    void clear_record_types();
    /// Adds the table of type `value` and shows it: the grid's table for the first type, the default table
    /// for the others. False (and nothing changed) when the value has a table already.
    bool add_record_type(const std::string& value);
    /// Shows the table of the type at `index` of record_types().
    void show_record_type(int index);

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
    void cmd_rtaClick();
    void cmd_rtdClick();

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
    /// The tables of every type with the grid's rows in the shown one.
    std::vector<TypeTable> type_tables() const;
    /// The combo box and the boxes beside it as the types stand.
    void show_types();

    Desktop& desktop_;
    FieldTable table_;
    std::unique_ptr<Ui::Tfrm_dlm> ui_;
    std::unique_ptr<FieldTableModel> model_;
    int column_ = FieldTable::kName;
    int row_ = 1;
    bool hint_shown_ = true;
    std::vector<FieldTable::Row> settled_rows_;
    std::vector<TypeTable> types_;  // the shown one's rows live in table_, its copy here is stale
    std::size_t shown_ = 0;
    std::vector<TypeTable> settled_types_;
    bool showing_types_ = false;  // the combo box is being refilled: its index changes are no choice
};

}  // namespace qvr
