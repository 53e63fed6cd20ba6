#include <QClipboard>
#include <QGuiApplication>

#include "desktop/qt_line_view.h"
#include "desktop/qt_view_printing.h"
#include "desktop/text_box.h"
#include "engine/u_gen.h"
#include "input/u_view.h"
#include "shell/u_qvr32.h"
#include "ui_u_gen.h"
#include "ui_u_view.h"

namespace qvr {

namespace {
void show_label(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();  // counts in the millions must not be cut off
    label->show();
}
}  // namespace

void Tmdi_qvr::show_result_view() {
    show_view_window();
    frm_view->setWindowTitle(QStringLiteral("The result"));
    const Ui::Tfrm_view& view = frm_view->ui();
    view.mem_inp->hide();
    view.mem_out->show();
    view.mem_expl->hide();
    view.chk_rule->hide();
    show_label(view.lbl_vcount,
               QStringLiteral("Number of lines displayed: ") + QString::number(line_count(view.mem_out)));
    show_label(view.lbl_vgener,
               QStringLiteral("Number of lines generated: ") + QString::number(values_.generated_line_count));
    show_label(view.lbl_vname, frm_gen->ui().txt_out->text());
}

void Tmdi_qvr::mnu_rvwClick() { show_result_view(); }
void Tmdi_qvr::mnu_wvrClick() { show_result_view(); }

void Tmdi_qvr::mnu_selClick() { frm_view->ui().mem_out->selectAll(); }

void Tmdi_qvr::mnu_cpyClick() {
    const LineView* view = frm_view->ui().mem_out;
    // With nothing selected the clipboard keeps what it holds; the message comes either way.
    if (view->has_selection()) QGuiApplication::clipboard()->setText(view->selected_text());
    desktop_.message_box(
        BoxKind::information,
        QStringLiteral("Selection copied to clipboard and ready to be pasted into another application."),
        kOk);
}

void Tmdi_qvr::mnu_priClick() { print_view(desktop_, dlgfnt_out, frm_view->ui().mem_out); }

}  // namespace qvr
