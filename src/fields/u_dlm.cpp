#include "fields/u_dlm.h"

#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QToolTip>
#include <algorithm>

#include "common/file_error.h"
#include "desktop/desktop.h"
#include "desktop/path_text.h"
#include "desktop/widget_text.h"
#include "fields/layout_text.h"
#include "fields/qt_field_table_model.h"
#include "ui_u_dlm.h"

namespace qvr {

namespace {
constexpr char kBackspace = 8;
constexpr char kEnter = 13;
constexpr int kColumnWidths[FieldTableModel::kGridColumns] = {151, 74, 73, 71, 80};
constexpr int kRowHeight = 24;
constexpr qsizetype kHintLineLength = 30;

bool is_control(char key) {
    const auto byte = static_cast<unsigned char>(key);
    return byte < 32 || byte == 127;
}
}  // namespace

Tfrm_dlm::Tfrm_dlm(Desktop& desktop) : desktop_(desktop), ui_(std::make_unique<Ui::Tfrm_dlm>()) {
    ui_->setupUi(this);
    FormCreate();
    settled_rows_ = rows();
}

Tfrm_dlm::~Tfrm_dlm() {
    // The grid outlives this object's members; it must not ask a model whose table is gone.
    ui_->grd_dlm->setModel(nullptr);
}

void Tfrm_dlm::FormCreate() {
    set_look();
    set_up_grid();
    connect(ui_->cmd_add, &QPushButton::clicked, this, &Tfrm_dlm::cmd_addClick);
    connect(ui_->cmd_ins, &QPushButton::clicked, this, &Tfrm_dlm::cmd_insClick);
    connect(ui_->cmd_del, &QPushButton::clicked, this, &Tfrm_dlm::cmd_delClick);
    connect(ui_->cmd_gen, &QPushButton::clicked, this, &Tfrm_dlm::cmd_genClick);
    connect(ui_->cmd_rta, &QPushButton::clicked, this, &Tfrm_dlm::cmd_rtaClick);
    connect(ui_->cmd_rtd, &QPushButton::clicked, this, &Tfrm_dlm::cmd_rtdClick);
    connect(ui_->cbo_rty, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_types_ && index >= 0) show_record_type(index);
    });
    // The input view's colours follow the type columns as they are typed.
    connect(ui_->txt_rtc, &QLineEdit::textChanged, this, &Tfrm_dlm::field_table_changed);
}

void Tfrm_dlm::set_look() {
    // Where the Windows font is missing, its closest metric look-alike keeps the instruction lines and
    // the column titles within their boxes.
    QFont window_font;
    window_font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    window_font.setPixelSize(11);
    setFont(window_font);
    QPalette red = ui_->mem_dlm->palette();
    red.setColor(QPalette::Text, Qt::red);
    ui_->mem_dlm->setPalette(red);
    // Narrow margins, as in a plain memo, so that the instruction lines fit the box's width.
    ui_->mem_dlm->document()->setDocumentMargin(1);
}

void Tfrm_dlm::set_up_grid() {
    QTableView* grid = ui_->grd_dlm;
    model_ = std::make_unique<FieldTableModel>(table_);
    grid->setModel(model_.get());
    QHeaderView* titles = grid->horizontalHeader();
    titles->setSectionsClickable(false);
    titles->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    for (int column = 0; column < FieldTableModel::kGridColumns; ++column)
        grid->setColumnWidth(column, kColumnWidths[column]);
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid()) return;
                column_ = current.column();
                row_ = current.row() + 1;
            });
    // Connected after the grid's own reset, so the current cell is put back once the grid has rebuilt.
    connect(model_.get(), &QAbstractItemModel::modelReset, this, &Tfrm_dlm::keep_current_cell);
    connect(model_.get(), &QAbstractItemModel::modelReset, this, &Tfrm_dlm::field_table_changed);
    connect(model_.get(), &QAbstractItemModel::dataChanged, this, &Tfrm_dlm::field_table_changed);
    set_current_cell(FieldTable::kName, 1);
    // The grid is the control the window gives its focus to when it becomes active.
    grid->setFocus();

    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);
    titles->viewport()->installEventFilter(this);
}

bool Tfrm_dlm::table_check() {
    if (table_.first_unusable_row() == 0) return true;
    desktop_.message_box(BoxKind::information, QString::fromLatin1(kCheckDelimiterText), kOk);
    return false;
}

void Tfrm_dlm::set_file_label(const std::string& text, bool settled) {
    ui_->lbl_dlm->setText(to_path_text(text));
    if (!settled) return;
    settled_rows_ = rows();
    settled_types_ = type_tables();
}

bool Tfrm_dlm::table_changed() const {
    return types_.empty() ? rows() != settled_rows_ : type_tables() != settled_types_;
}

std::vector<TypeTable> Tfrm_dlm::type_tables() const {
    std::vector<TypeTable> tables = types_;
    if (!tables.empty()) tables[shown_].rows = table_.rows();
    return tables;
}

std::vector<std::string> Tfrm_dlm::record_types() const {
    std::vector<std::string> values;
    for (const TypeTable& t : types_) values.push_back(t.value);
    return values;
}

std::string Tfrm_dlm::shown_record_type() const {
    return types_.empty() ? std::string() : types_[shown_].value;
}

LayoutSet Tfrm_dlm::layout_set() const {
    LayoutSet set;
    const std::string columns = from_widget_text(ui_->txt_rtc->text());
    const std::optional<FieldSlice> slice = read_type_columns(columns);
    if (!slice)
        throw UserError("The record type columns '" + columns +
                        "' are not START:LENGTH (whole numbers from 1, as 1:1).");
    set.type_columns = *slice;
    set.tables = type_tables();
    set.carries = read_carries(from_widget_text(ui_->txt_car->text()));
    return set;
}

void Tfrm_dlm::set_layout_set(const LayoutSet& set) {
    types_ = set.tables;
    shown_ = 0;
    ui_->txt_rtc->setText(to_widget_text(std::to_string(set.type_columns.start) + ":" +
                                         std::to_string(set.type_columns.length)));
    ui_->txt_car->setText(to_widget_text(carries_text(set.carries)));
    if (!types_.empty()) table_.assign_rows(types_[0].rows);
    show_types();
}

void Tfrm_dlm::clear_record_types() {
    if (types_.empty()) return;
    types_.clear();
    shown_ = 0;
    show_types();
}

bool Tfrm_dlm::add_record_type(const std::string& value) {
    for (const TypeTable& t : types_)
        if (t.value == value) return false;
    if (types_.empty()) {
        // The table the user has is the first type's; the type is most often in its first column.
        types_.push_back({value, table_.rows()});
        shown_ = 0;
        if (ui_->txt_rtc->text().isEmpty()) ui_->txt_rtc->setText(QStringLiteral("1:1"));
        show_types();
        return true;
    }
    types_[shown_].rows = table_.rows();
    types_.push_back({value, FieldTable().rows()});
    shown_ = types_.size() - 1;
    table_.assign_rows(types_[shown_].rows);
    show_types();
    return true;
}

void Tfrm_dlm::show_record_type(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= types_.size()) return;
    if (static_cast<std::size_t>(index) != shown_) {
        types_[shown_].rows = table_.rows();
        shown_ = static_cast<std::size_t>(index);
        table_.assign_rows(types_[shown_].rows);
    }
    show_types();
}

void Tfrm_dlm::show_types() {
    showing_types_ = true;
    ui_->cbo_rty->clear();
    for (const TypeTable& t : types_) ui_->cbo_rty->addItem(to_widget_text(t.value));
    ui_->cbo_rty->setCurrentIndex(types_.empty() ? -1 : static_cast<int>(shown_));
    showing_types_ = false;
    for (QWidget* w : {static_cast<QWidget*>(ui_->cbo_rty), static_cast<QWidget*>(ui_->txt_rtc),
                       static_cast<QWidget*>(ui_->txt_car), static_cast<QWidget*>(ui_->cmd_rtd)})
        w->setEnabled(!types_.empty());
    emit field_table_changed();
}

void Tfrm_dlm::cmd_rtaClick() {
    const std::optional<QString> answer = desktop_.input_box(
        QStringLiteral("Record type"),
        QStringLiteral("The value of the type columns for the new table (* for every type without one):"),
        QString());
    if (!answer) return;
    const std::string value(strip_blanks(from_widget_text(*answer)));
    if (value.empty()) return;
    if (!add_record_type(value))
        desktop_.message_box(BoxKind::information,
                             to_widget_text("The record type '" + value + "' has a table already."), kOk);
}

void Tfrm_dlm::cmd_rtdClick() {
    if (types_.empty()) return;
    const std::string value = types_[shown_].value;
    if (desktop_.message_box(BoxKind::confirmation,
                             to_widget_text("Remove the table of record type '" + value + "'?"),
                             kYes | kNo) != kYes)
        return;
    if (types_.size() == 1) {
        // The last type's table stays in the grid, for every line again.
        clear_record_types();
        return;
    }
    types_.erase(types_.begin() + static_cast<std::ptrdiff_t>(shown_));
    shown_ = std::min(shown_, types_.size() - 1);
    table_.assign_rows(types_[shown_].rows);
    show_types();
}

std::vector<FieldTable::Row> Tfrm_dlm::rows() const { return table_.rows(); }

void Tfrm_dlm::set_current_cell(int column, int row) {
    column_ = column;
    row_ = row;
    ui_->grd_dlm->setCurrentIndex(model_->index(row - 1, column));
}

void Tfrm_dlm::keep_current_cell() { set_current_cell(column_, std::min(row_, table_.row_count())); }

bool Tfrm_dlm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->grd_dlm) {
        if (event->type() == QEvent::KeyPress) return grid_key(static_cast<QKeyEvent*>(event));
        return false;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        grd_dlmDblClick();
    } else if (event->type() == QEvent::ToolTip) {
        // The hint belongs to the whole grid, cells and title row alike.
        if (hint_shown_) {
            show_hint(watched, static_cast<QHelpEvent*>(event)->pos());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return false;
}

void Tfrm_dlm::show_hint(QObject* watched, QPoint pos) {
    QTableView* grid = ui_->grd_dlm;
    auto* area = static_cast<QWidget*>(watched);
    // Under the cell pointed at, in lines short enough to stand beside it: in one long line the tip had
    // no room on the right and landed at the screen's left edge.
    QRect cell_place;  // the tip goes when the mouse leaves the cell, to come back at the next one
    if (area == grid->viewport()) {
        if (const QModelIndex cell = grid->indexAt(pos); cell.isValid()) {
            const QRect cell_rect = grid->visualRect(cell);
            pos = cell_rect.topLeft();
            cell_place = cell_rect.translated(area->mapTo(grid, QPoint(0, 0)));
        }
    }
    QStringList lines{QString()};
    for (const QString& word : grid->toolTip().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!lines.last().isEmpty() && lines.last().size() + 1 + word.size() > kHintLineLength)
            lines.append(QString());
        lines.last() += (lines.last().isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    QToolTip::showText(area->mapToGlobal(pos), lines.join(QLatin1Char('\n')), grid, cell_place);
}

bool Tfrm_dlm::grid_key(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return false;  // Tab moves on to the next control
        case Qt::Key_Return:
        case Qt::Key_Enter:
            grd_dlmKeyPress(kEnter);
            return true;
        case Qt::Key_Backspace:
            grd_dlmKeyPress(kBackspace);
            return true;
        default:
            break;
    }
    const QString text = event->text();
    if (text.isEmpty()) return false;  // arrows and the like move the current cell
    // Alt and Ctrl combinations that no menu took are no characters of a cell; swallowed, they also
    // keep the grid from jumping to a cell by its first letter.
    if (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) return true;
    for (char key : from_widget_text(text)) grd_dlmKeyPress(key);
    return true;
}

void Tfrm_dlm::grd_dlmKeyPress(char key) {
    const int column = column_;
    const int row = row_;
    if (row < 1 || row > table_.row_count()) return;
    if (column == FieldTable::kType) {
        // A type is a word and its choice, not keys one by one: Enter or a character asks for it whole.
        if (key == kEnter || !is_control(key)) ask_type(row);
        return;
    }
    std::string text = table_.cell(column, row);
    if (key == kBackspace) {
        if (!text.empty()) text.pop_back();
        table_.set_cell(column, row, std::move(text));
    } else if (key == kEnter) {
        table_.commit_row(row, column);
    } else if (is_control(key)) {
        // Escape and the like would stand invisibly inside a name.
    } else if ((key >= '0' && key <= '9') || column == FieldTable::kName) {
        table_.set_cell(column, row, text + key);
    }
}

void Tfrm_dlm::keyPressEvent(QKeyEvent* event) {
    // Only the window itself, with none of its controls focused, answers Enter; a key a focused control
    // leaves unused also passes through here.
    QWidget* focused = focusWidget();
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (focused == nullptr || focused == this)) {
        FormKeyPress(kEnter);
        return;
    }
    QWidget::keyPressEvent(event);
}

void Tfrm_dlm::ask_type(int row) {
    const std::optional<QString> answer =
        desktop_.input_box(QStringLiteral("Enter..."), QStringLiteral("Type"),
                           to_widget_text(field_type_spelling(table_.field(row).type)));
    if (!answer) return;
    try {
        table_.set_type(row, parse_field_type(from_widget_text(*answer)));
    } catch (const NotAFieldType& e) {
        desktop_.message_box(BoxKind::information, to_widget_text(e.what()), kOk);
    }
}

void Tfrm_dlm::FormKeyPress(char key) {
    if (key != kEnter) return;
    const int column = column_;
    const int row = row_;
    if (column == FieldTable::kType) {
        if (row >= 1 && row <= table_.row_count()) ask_type(row);
        return;
    }
    // A cancelled box answers its empty default text.
    QString answer =
        desktop_.input_box(QStringLiteral("Enter..."), to_widget_text(table_.cell(column, 0)), QString())
            .value_or(QString());
    if (row >= 1 && row <= table_.row_count()) table_.set_cell(column, row, from_widget_text(answer));
}

void Tfrm_dlm::cmd_addClick() { table_.set_row_count(table_.row_count() + 1); }

void Tfrm_dlm::cmd_insClick() { table_.insert_row(row_); }

void Tfrm_dlm::cmd_delClick() {
    if (table_.row_count() <= 1) {
        desktop_.message_box(BoxKind::information, QStringLiteral("At least one row is let."), kOk);
        return;
    }
    table_.delete_row(row_);
}

void Tfrm_dlm::cmd_genClick() { emit general_data_asked(); }

void Tfrm_dlm::grd_dlmDblClick() {
    hint_shown_ = false;
    ui_->grd_dlm->setToolTip(QString());
    QToolTip::hideText();
}

}  // namespace qvr
