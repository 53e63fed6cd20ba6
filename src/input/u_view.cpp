#include "input/u_view.h"

#include <QAction>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QStyle>
#include <algorithm>

#include "common/file_error.h"
#include "common/whole_number.h"
#include "desktop/desktop.h"
#include "desktop/qt_line_view.h"
#include "desktop/text_box.h"
#include "desktop/widget_text.h"
#include "engine/record_types.h"
#include "fields/field_columns.h"
#include "input/column_ruler.h"
#include "input/qt_view_text.h"
#include "input/u_preview.h"
#include "ui_u_view.h"

namespace qvr {

namespace {

constexpr int kSmallestExplanationPixels = 8;

/// The explanation is laid out line for line for MS Sans Serif. Where the platform's stand-in runs wider or
/// taller, its size steps down until every line fits the box again, instead of each line breaking in two
/// or a scroll bar showing for the last line.
void fit_explanation(QPlainTextEdit* box) {
    constexpr int kMargin = 2;
    box->document()->setDocumentMargin(kMargin);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QStringList lines = box->toPlainText().split(QLatin1Char('\n'));
    const int room_width = box->width() - 2 * box->frameWidth() - 2 * kMargin;
    // The box shows a scroll bar unless its lines and one pixel fit below the upper margin.
    const int room_height = box->height() - 2 * box->frameWidth() - kMargin - 1;
    QFont font = box->font();
    int pixels = QFontInfo(font).pixelSize();
    auto fits = [&] {
        const QFontMetrics metrics(font);
        int width = 0;
        for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line.trimmed()));
        return width <= room_width && static_cast<int>(lines.size()) * metrics.lineSpacing() <= room_height;
    };
    while (!fits() && pixels > kSmallestExplanationPixels) font.setPixelSize(--pixels);
    box->setFont(font);
}

// Light enough that every character stays readable; the reds stand out from both tints.
const QColor kFieldTints[] = {QColor(0xD6, 0xE6, 0xFF), QColor(0xD8, 0xF3, 0xD0)};
const QColor kOverlap(0xFF, 0xA8, 0xA8);
const QColor kUncovered(0xFF, 0xD0, 0x80);

QString field_tip(const FieldTable& table, int row) {
    std::string name = table.cell(FieldTable::kName, row);
    name.erase(name.find_last_not_of(' ') + 1);
    return to_widget_text(name);
}

std::string decimal(std::uint64_t n) { return decimal_text(static_cast<std::int64_t>(n)); }

void show_label(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();  // counts in the millions must not be cut off
    label->show();
}

}  // namespace

Tfrm_view::Tfrm_view(Desktop& desktop) : desktop_(desktop), ui_(std::make_unique<Ui::Tfrm_view>()) {
    ui_->setupUi(this);
    FormCreate();
    connect(ui_->chk_rule, &QCheckBox::toggled, this, &Tfrm_view::chk_ruleClick);
    connect(ui_->chk_tint, &QCheckBox::toggled, this, &Tfrm_view::chk_tintClick);
    connect(ui_->chk_prev, &QCheckBox::toggled, this, &Tfrm_view::chk_prevClick);
    connect(ui_->mem_inp, &LineView::selectionChanged, this, &Tfrm_view::show_cursor_place);
    ui_->mem_inp->installEventFilter(this);
    // On the input view only, so that Ins means nothing anywhere else.
    auto* add_field = new QAction(QStringLiteral("Add selection as field"), ui_->mem_inp);
    add_field->setObjectName(QStringLiteral("act_addfld"));
    add_field->setShortcut(QKeySequence(Qt::Key_Insert));
    add_field->setShortcutContext(Qt::WidgetShortcut);
    connect(add_field, &QAction::triggered, this, &Tfrm_view::add_field_asked);
    ui_->mem_inp->addAction(add_field);
    preview_ = new Tfrm_preview(this);
    connect(preview_, &Tfrm_preview::closed, this, [this] { ui_->chk_prev->setChecked(false); });
}

Tfrm_view::~Tfrm_view() = default;

void Tfrm_view::FormCreate() {
    QFont window_font(QStringLiteral("MS Sans Serif"), 8);
    setFont(window_font);
    QFont input_font(QStringLiteral("Courier"), 10);
    input_font.setStyleHint(QFont::TypeWriter);
    ui_->mem_inp->setFont(input_font);
    // Control bytes show as visible stand-ins, so that every byte keeps its column.
    ui_->mem_inp->set_char_table(&view_char_table());
    QFont result_font(QStringLiteral("Courier"));
    result_font.setStyleHint(QFont::TypeWriter);
    result_font.setPixelSize(13);
    ui_->mem_out->setFont(result_font);
    QPalette red = ui_->mem_expl->palette();
    red.setColor(QPalette::Text, Qt::red);
    ui_->mem_expl->setPalette(red);
    fit_explanation(ui_->mem_expl);
}

LineView* Tfrm_view::input_view() const { return ui_->mem_inp; }
LineView* Tfrm_view::result_view() const { return ui_->mem_out; }

void Tfrm_view::show_result_mode(const QString& output_path, std::int64_t generated_line_count) {
    setWindowTitle(QStringLiteral("The result"));
    ui_->mem_inp->hide();
    ui_->mem_out->show();
    ui_->mem_expl->hide();
    ui_->chk_rule->hide();
    for (QWidget* w : {static_cast<QWidget*>(ui_->lbl_vpos), static_cast<QWidget*>(ui_->chk_tint),
                       static_cast<QWidget*>(ui_->chk_prev)})
        w->hide();
    show_label(ui_->lbl_vcount,
               QStringLiteral("Number of lines displayed: ") + QString::number(line_count(ui_->mem_out)));
    show_label(ui_->lbl_vgener,
               QStringLiteral("Number of lines generated: ") + QString::number(generated_line_count));
    show_label(ui_->lbl_vname, output_path);
}

void Tfrm_view::show_input_mode(const QString& input_path, int view_height) {
    setWindowTitle(QStringLiteral("View input file"));
    ui_->mem_out->hide();
    QRect place = ui_->mem_inp->geometry();
    place.setHeight(view_height);
    ui_->mem_inp->setGeometry(place);
    ui_->mem_inp->show();
    ui_->chk_rule->show();
    // The cursor's place stands right under the input view, whatever its height.
    ui_->lbl_vpos->setGeometry(place.left(), place.bottom() + 2, place.width(), ui_->lbl_vpos->height());
    ui_->lbl_vpos->show();
    ui_->chk_tint->show();
    ui_->chk_prev->show();
    show_input_line_count();
    ui_->lbl_vcount->show();
    ui_->lbl_vgener->hide();
    ui_->lbl_vname->setText(input_path);
    ui_->lbl_vname->show();
    ui_->mem_expl->show();
}

void Tfrm_view::show_input_line_count() {
    const auto count = static_cast<std::int64_t>(ui_->mem_inp->lines().size());
    ui_->lbl_vcount->setText(QStringLiteral("Number of lines: ") + to_widget_text(decimal_text(count)));
    ui_->lbl_vcount->adjustSize();
}

std::vector<std::string> Tfrm_view::input_lines() const { return all_lines(ui_->mem_inp); }

void Tfrm_view::set_ruler(bool on) { ui_->chk_rule->setChecked(on); }

void Tfrm_view::chk_ruleClick() {
    set_view_ruler(ui_->mem_inp, ui_->chk_rule->isChecked());
    show_field_colours();  // the ruler's lines are not marked as text outside the fields
    // The count shown beside the input view follows its lines.
    if (!ui_->mem_inp->isHidden()) show_input_line_count();
}

void Tfrm_view::set_sources(ViewSources sources) {
    sources_ = std::move(sources);
    fields_changed();
}

std::optional<ColumnSpan> Tfrm_view::selected_columns() const {
    const LineView* view = ui_->mem_inp;
    if (!view->has_selection()) return std::nullopt;
    std::size_t line = 0, first = 0, end_line = 0, end = 0;
    view->place_of(view->selection_start(), line, first);
    view->place_of(view->selection_end(), end_line, end);
    if (line != end_line || end - first > static_cast<std::size_t>(INT32_MAX) ||
        first >= static_cast<std::size_t>(INT32_MAX))
        return std::nullopt;
    return ColumnSpan{static_cast<std::int32_t>(first + 1), static_cast<std::int32_t>(end - first)};
}

void Tfrm_view::show_cursor_place() {
    const LineView* view = ui_->mem_inp;
    if (view->lines().empty()) {
        ui_->lbl_vpos->clear();
        return;
    }
    std::size_t line = 0, column = 0;
    view->place_of(view->cursor_position(), line, column);
    std::string text = "Column " + decimal(column + 1);
    if (const std::optional<ColumnSpan> span = selected_columns()) {
        text +=
            " | Selection: columns " + decimal(static_cast<std::uint64_t>(span->first)) + " to " +
            decimal(static_cast<std::uint64_t>(span->first) + static_cast<std::uint64_t>(span->length) - 1) +
            ", length " + decimal(static_cast<std::uint64_t>(span->length));
    } else if (view->has_selection()) {
        std::size_t first_line = 0, last_line = 0, ignored = 0;
        view->place_of(view->selection_start(), first_line, ignored);
        view->place_of(view->selection_end(), last_line, ignored);
        text += " | Selection over " + decimal(last_line - first_line + 1) +
                " lines: " + decimal(view->selection_end() - view->selection_start()) + " characters";
    }
    ui_->lbl_vpos->setText(to_widget_text(text));
}

void Tfrm_view::chk_tintClick() { show_field_colours(); }

namespace {
// Neighbouring fields take turns with the two tints, in the order they stand on the line; `prefix` goes
// before each tip.
std::vector<ColumnBand> field_bands(const FieldTable& table, const QString& prefix) {
    std::vector<int> turn(static_cast<std::size_t>(table.row_count()) + 1, -1);
    int next = 0;
    std::vector<ColumnBand> bands;
    for (const FieldColumns& run : field_column_runs(table)) {
        ColumnBand& band = bands.emplace_back();
        band.first = run.first;
        band.last = run.last;
        if (run.rows.size() == 1) {
            int& t = turn[static_cast<std::size_t>(run.rows[0])];
            if (t < 0) t = next++;
            band.colour = kFieldTints[t % 2];
            band.tip = prefix + field_tip(table, run.rows[0]);
        } else {
            band.colour = kOverlap;
            QStringList names;
            for (int row : run.rows) names << field_tip(table, row);
            band.tip = prefix + names.join(QStringLiteral(", ")) + QStringLiteral(": overlap");
        }
    }
    return bands;
}
}  // namespace

void Tfrm_view::show_field_colours() {
    LineView* view = ui_->mem_inp;
    if (!ui_->chk_tint->isChecked() || !sources_.fields) {
        if (!view->column_bands().empty() || !view->column_bands_of_line(0).empty())
            view->set_column_bands({});
        return;
    }
    std::function<bool(std::size_t)> ruler_line;
    if (ui_->chk_rule->isChecked())
        ruler_line = [](std::size_t i) { return i % (kRulerSpacing + kRulerBlockLines) < kRulerBlockLines; };
    const QString uncovered_tip = QStringLiteral("No field covers this column");
    if (const std::optional<LayoutSet> set = sources_.record_types ? sources_.record_types() : std::nullopt) {
        // Each line shows the fields of its type's table, told by its type columns as a run tells them.
        std::vector<std::vector<ColumnBand>> sets;
        std::vector<std::string> values;
        for (const TypeTable& t : set->tables) {
            FieldTable table;
            table.assign_rows(t.rows);
            sets.push_back(field_bands(table, QStringLiteral("Type ") + to_widget_text(t.value) + ": "));
            values.push_back(t.value);
        }
        try {
            auto router = std::make_shared<RecordRouter>(
                set->type_columns, values, std::vector<CarrySpec>{},
                sources_.settings ? sources_.settings().encoding : TextEncoding::cp1252);
            view->set_line_column_bands(
                std::move(sets), [router](std::string_view line) { return router->table_of_record(line); },
                kUncovered, uncovered_tip, std::move(ruler_line));
            return;
        } catch (const UserError&) {
            // A type given twice: the run will say so; the shown table's colours meanwhile.
        }
    }
    view->set_column_bands(field_bands(*sources_.fields, QString()), kUncovered, uncovered_tip,
                           std::move(ruler_line));
}

void Tfrm_view::chk_prevClick() {
    if (ui_->chk_prev->isChecked()) {
        refresh_preview();
        preview_->show_beside(window());
    } else {
        preview_->hide();
    }
}

void Tfrm_view::fields_changed() {
    show_field_colours();
    refresh_preview();
}

void Tfrm_view::settings_changed() { refresh_preview(); }

void Tfrm_view::refresh_preview() {
    if (!ui_->chk_prev->isChecked() || !sources_.fields || !sources_.settings) return;
    preview_->refresh(*sources_.fields, sources_.settings());
}

bool Tfrm_view::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->mem_inp && event->type() == QEvent::KeyPress) {
        // A press of Ins that the shortcut did not take (its window not the active one) still adds the field.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert) {
            emit add_field_asked();
            return true;
        }
        return mem_inpKeyPress(static_cast<QKeyEvent*>(event)->key());
    }
    return QWidget::eventFilter(watched, event);
}

bool Tfrm_view::mem_inpKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    const auto length =
        static_cast<std::int64_t>(ui_->mem_inp->selection_end() - ui_->mem_inp->selection_start());
    desktop_.message_box(BoxKind::information,
                         QStringLiteral("Length of selection: ") + to_widget_text(decimal_text(length)), kOk);
    return true;
}

}  // namespace qvr
