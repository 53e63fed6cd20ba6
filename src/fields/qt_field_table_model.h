#pragma once

#include <QAbstractTableModel>

#include "fields/field_table.h"

namespace qvr {

/// Shows a FieldTable in a grid: the table stays the one store, this model only passes its cells and
/// its changes on. The header texts are the title row, with "Type" after them, a text field showing
/// "Text"; no cell can be edited in place.
class FieldTableModel : public QAbstractTableModel, private FieldTableListener {
    Q_OBJECT

  public:
    /// The table's four text cells, then the type.
    static constexpr int kGridColumns = FieldTable::kColumns + 1;

    FieldTableModel(FieldTable& table, QObject* parent = nullptr);
    ~FieldTableModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    void cell_changed(int column, int row) override;
    void table_about_to_reset() override;
    void table_reset() override;

    FieldTable& table_;
    bool resetting_ = false;
};

}  // namespace qvr
