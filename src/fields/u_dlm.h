#pragma once

#include <QWidget>

#include "fields/field_table.h"

namespace qvr {

class Tmdi_qvr;

/// The Fields definition window: the field table, edited in its grid.
class Tfrm_dlm : public QWidget {
    Q_OBJECT

  public:
    explicit Tfrm_dlm(Tmdi_qvr& main);

    /// The field table, the grid's only store.
    FieldTable& field_table() { return table_; }
    const FieldTable& field_table() const { return table_; }

    /// Whether the table may be used for an extract; tells the user "Please check the delimiter." when
    /// a row's start position or length reads 0.
    bool table_check();

  private:
    Tmdi_qvr& main_;
    FieldTable table_;
};

}  // namespace qvr
