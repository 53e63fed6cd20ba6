#include "input/u_inp.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QRadioButton>
#include <cerrno>
#include <cstring>
#include <new>

#include "common/available_memory.h"
#include "common/file_error.h"
#include "common/whole_number.h"
#include "desktop/busy_cursor.h"
#include "desktop/desktop.h"
#include "desktop/qt_line_view.h"
#include "desktop/widget_text.h"
#include "engine/u_gen.h"
#include "input/u_view.h"
#include "input/view_fill.h"
#include "ui_u_inp.h"

namespace qvr {

namespace {
constexpr int kDefaultLines = 100;
constexpr int kOffsetFromMain = 100;
constexpr int kSmallestCaptionPixels = 8;

/// Whether every radio button's caption fits its box, and the partial mode's words before its run of
/// blanks end before the number box that stands in that run.
bool captions_fit(const Ui::Tfrm_inp& ui) {
    for (const QRadioButton* option : {ui.opt_void, ui.opt_part, ui.opt_full})
        if (option->sizeHint().width() > option->width()) return false;
    const QString caption = QString(ui.opt_part->text()).remove(QLatin1Char('&'));
    const QFontMetrics metrics(ui.opt_part->font());
    const int indicator = ui.opt_part->sizeHint().width() - metrics.horizontalAdvance(caption);
    const QString words = caption.left(caption.indexOf(QStringLiteral("  "))).trimmed();
    return ui.opt_part->x() + indicator + metrics.horizontalAdvance(words) <= ui.txt_part->x();
}

/// The captions are laid out for MS Sans Serif at 9 points. Where the platform's stand-in for it is wider,
/// their size steps down until they fit again, rather than being cut off or covered by the number box.
void fit_option_captions(Ui::Tfrm_inp& ui) {
    QFont font = ui.opt_part->font();
    int pixels = QFontInfo(font).pixelSize();
    while (!captions_fit(ui) && pixels > kSmallestCaptionPixels) {
        font.setPixelSize(--pixels);
        for (QRadioButton* option : {ui.opt_void, ui.opt_part, ui.opt_full}) option->setFont(font);
    }
}

}  // namespace

Tfrm_inp::Tfrm_inp(Desktop& desktop, Tfrm_gen& gen, Tfrm_view& view, const MemoryProbe& memory,
                   QWidget* parent)
    : QDialog(parent),
      desktop_(desktop),
      gen_(gen),
      view_(view),
      memory_(memory),
      ui_(std::make_unique<Ui::Tfrm_inp>()) {
    ui_->setupUi(this);
    // A dialog frame with its caption but no buttons in the title bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    fit_option_captions(*ui_);
    connect(ui_->cmd_ooke, &QPushButton::clicked, this, &Tfrm_inp::cmd_ookeClick);
}

Tfrm_inp::~Tfrm_inp() = default;

void Tfrm_inp::ask_filling(const std::string& path) {
    path_ = path;
    move(parentWidget()->pos() + QPoint(kOffsetFromMain, kOffsetFromMain));
    show_modal(*this);
}

void Tfrm_inp::reject() {}

void Tfrm_inp::cmd_ookeClick() {
    const std::int64_t max_lines =
        read_whole_number(from_widget_text(ui_->txt_part->text())).value_or(kDefaultLines);
    gen_.set_input_path(path_);
    try {
        fill_input_view(max_lines);
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
        return;
    } catch (const std::bad_alloc&) {
        show_general_error(desktop_, file_error_text("Cannot read file", path_, ENOMEM));
        return;
    }
    accept();
}

void Tfrm_inp::fill_input_view(std::int64_t max_lines) {
    LineView* view = view_.input_view();
    const std::uint64_t memory = memory_.available();
    if (ui_->opt_full->isChecked())
        view->edit_lines([&](LineList& lines) { fill_whole_file(lines, path_, memory); });
    if (ui_->opt_part->isChecked()) {
        const BusyCursor busy;
        view->edit_lines([&](LineList& lines) { fill_first_lines(lines, path_, max_lines, memory); });
    }
}

}  // namespace qvr
