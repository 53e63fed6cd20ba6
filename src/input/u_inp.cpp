#include "input/u_inp.h"

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
    connect(ui_->cmd_ooke, &QPushButton::clicked, this, &Tfrm_inp::cmd_ookeClick);
    connect(&gen_, &Tfrm_gen::encoding_changed, this, &Tfrm_inp::count_view_columns);
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

void Tfrm_inp::count_view_columns() {
    // The ruler was sized to the columns as they were counted.
    view_.set_ruler(false);
    const bool chars = gen_.settings().encoding == TextEncoding::utf8;
    view_.input_view()->edit_lines([chars](LineList& lines) { lines.count_characters(chars); });
}

void Tfrm_inp::fill_input_view(std::int64_t max_lines) {
    count_view_columns();
    LineView* view = view_.input_view();
    const std::uint64_t memory = memory_.available();
    const TextEncoding encoding = gen_.settings().encoding;
    if (ui_->opt_full->isChecked())
        view->edit_lines([&](LineList& lines) { fill_whole_file(lines, path_, memory, encoding); });
    if (ui_->opt_part->isChecked()) {
        const BusyCursor busy;
        view->edit_lines(
            [&](LineList& lines) { fill_first_lines(lines, path_, max_lines, memory, encoding); });
    }
}

}  // namespace qvr
