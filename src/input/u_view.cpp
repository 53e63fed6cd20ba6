#include "input/u_view.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QStyle>
#include <algorithm>

#include "common/whole_number.h"
#include "desktop/desktop.h"
#include "desktop/qt_line_view.h"
#include "desktop/text_box.h"
#include "desktop/widget_text.h"
#include "input/qt_view_text.h"
#include "ui_u_view.h"

namespace qvr {

namespace {

constexpr int kSmallestExplanationPixels = 8;

/// The explanation is laid out line for line for MS Sans Serif. Where the platform's stand-in runs wider,
/// its size steps down until every line fits the box again, instead of each line breaking in two.
void fit_explanation(QPlainTextEdit* box) {
    const QStringList lines = box->toPlainText().split(QLatin1Char('\n'));
    const int room = box->width() - 2 * box->frameWidth() - 2 * qRound(box->document()->documentMargin()) -
                     box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
    QFont font = box->font();
    int pixels = QFontInfo(font).pixelSize();
    auto widest = [&] {
        const QFontMetrics metrics(font);
        int width = 0;
        for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line.trimmed()));
        return width;
    };
    while (widest() > room && pixels > kSmallestExplanationPixels) font.setPixelSize(--pixels);
    box->setFont(font);
}

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
    ui_->mem_inp->installEventFilter(this);
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
    // The count shown beside the input view follows its lines.
    if (!ui_->mem_inp->isHidden()) show_input_line_count();
}

bool Tfrm_view::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->mem_inp && event->type() == QEvent::KeyPress)
        return mem_inpKeyPress(static_cast<QKeyEvent*>(event)->key());
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
