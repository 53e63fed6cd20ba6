#include "fields/qt_field_table_model.h"

#include "desktop/widget_text.h"

namespace qvr {

FieldTableModel::FieldTableModel(FieldTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    table_.set_listener(this);
}

FieldTableModel::~FieldTableModel() { table_.set_listener(nullptr); }

int FieldTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.row_count();
}

int FieldTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kGridColumns;
}

QVariant FieldTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    if (index.column() == FieldTable::kType) {
        const FieldType& type = table_.field(index.row() + 1).type;
        return type.is_text() ? QStringLiteral("Text") : to_widget_text(field_type_spelling(type));
    }
    return to_widget_text(table_.cell(index.column(), index.row() + 1));
}

QVariant FieldTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kGridColumns)
        return {};
    if (section == FieldTable::kType) return QStringLiteral("Type");
    return to_widget_text(table_.cell(section, 0));
}

Qt::ItemFlags FieldTableModel::flags(const QModelIndex& index) const {
    // Cells are built from the keys typed in the grid, never edited in place.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void FieldTableModel::cell_changed(int column, int row) {
    QModelIndex cell = index(row - 1, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void FieldTableModel::table_about_to_reset() {
    resetting_ = true;
    beginResetModel();
}

void FieldTableModel::table_reset() {
    if (!resetting_) beginResetModel();
    resetting_ = false;
    endResetModel();
}

}  // namespace qvr
