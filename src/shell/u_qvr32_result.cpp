#include <QClipboard>
#include <QGuiApplication>

#include "desktop/qt_line_view.h"
#include "desktop/qt_view_printing.h"
#include "desktop/text_box.h"
#include "engine/u_gen.h"
#include "input/u_view.h"
#include "shell/u_qvr32.h"

namespace qvr {

void Tmdi_qvr::show_result_view() {
    show_view_window();
    frm_view->show_result_mode(frm_gen->output_path_text(), values_.generated_line_count);
}

void Tmdi_qvr::mnu_rvwClick() { show_result_view(); }
void Tmdi_qvr::mnu_wvrClick() { show_result_view(); }

void Tmdi_qvr::mnu_selClick() { frm_view->result_view()->selectAll(); }

void Tmdi_qvr::mnu_cpyClick() {
    const LineView* view = frm_view->result_view();
    // With nothing selected the clipboard keeps what it holds; the message comes either way.
    if (view->has_selection()) QGuiApplication::clipboard()->setText(view->selected_text());
    desktop_.message_box(
        BoxKind::information,
        QStringLiteral("Selection copied to clipboard and ready to be pasted into another application."),
        kOk);
}

void Tmdi_qvr::mnu_priClick() { print_view(desktop_, dlgfnt_out, frm_view->result_view()); }

}  // namespace qvr
