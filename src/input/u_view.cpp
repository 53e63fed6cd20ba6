#include "input/u_view.h"

#include <QPalette>

#include "shell/u_qvr32.h"
#include "ui_u_view.h"

namespace qvr {

Tfrm_view::Tfrm_view(Tmdi_qvr& main) : main_(main), ui_(std::make_unique<Ui::Tfrm_view>()) {
    ui_->setupUi(this);
    FormCreate();
}

Tfrm_view::~Tfrm_view() = default;

void Tfrm_view::FormCreate() {
    QFont window_font(QStringLiteral("MS Sans Serif"), 8);
    setFont(window_font);
    QFont input_font(QStringLiteral("Courier"), 10);
    input_font.setStyleHint(QFont::TypeWriter);
    ui_->mem_inp->setFont(input_font);
    QFont result_font(QStringLiteral("Courier"));
    result_font.setStyleHint(QFont::TypeWriter);
    result_font.setPixelSize(13);
    ui_->mem_out->setFont(result_font);
    QPalette red = ui_->mem_expl->palette();
    red.setColor(QPalette::Text, Qt::red);
    ui_->mem_expl->setPalette(red);
}

QPlainTextEdit* Tfrm_view::input_view() const { return ui_->mem_inp; }
QPlainTextEdit* Tfrm_view::result_view() const { return ui_->mem_out; }

}  // namespace qvr
