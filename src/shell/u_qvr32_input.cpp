#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>

#include "common/file_error.h"
#include "common/file_names.h"
#include "desktop/busy_cursor.h"
#include "desktop/text_box.h"
#include "desktop/widget_text.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/input_analysis.h"
#include "input/u_inp.h"
#include "input/u_view.h"
#include "shell/u_log.h"
#include "shell/u_qvr32.h"
#include "ui_u_qvr32.h"

namespace qvr {

namespace {
constexpr int kInputViewHeight = 345;
constexpr int kSideBySideInputViewHeight = 200;
}  // namespace

void Tmdi_qvr::mnu_inpClick() {
    show_general_data();
    // The dBase export reads the input of the last run, which a new input file no longer matches.
    ui_->mnu_dbf->setEnabled(false);
    opdlg_file.filter = QStringLiteral("Text file|*.txt");
    opdlg_file.file_name.clear();
    if (!desktop_.open_file(opdlg_file)) return;
    const std::string path = from_widget_text(opdlg_file.file_name);

    frm_view->set_ruler(false);
    clear_box(frm_view->input_view());
    frm_inp->ask_filling(path);
    frm_gen->set_output_path(with_replaced_extension(path, ".qvo.txt"));
    for (QAction* item : {ui_->mnu_vwi, ui_->mnu_wid, ui_->mnu_ana}) item->setEnabled(true);
}

void Tmdi_qvr::mnu_anaClick() {
    const std::string path = frm_gen->settings().input_path;
    InputStatistics& statistics = values_.input_statistics;
    try {
        const BusyCursor busy;
        statistics.size = input_file_size(path);
        statistics.line_count = count_input_lines(path);
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
        return;
    }
    const QString message = to_widget_text(analysis_message(statistics.size, statistics.line_count));
    if (is_big_input(statistics.size, statistics.line_count)) frm_gen->set_fast(true);
    desktop_.message_box(BoxKind::information, message, kOk);
    frm_gen->set_input_tip(message);
}

void Tmdi_qvr::mnu_vwiClick() {
    show_view_window();
    frm_view->show_input_mode(frm_gen->input_path_text(), kInputViewHeight);
}

void Tmdi_qvr::mnu_widClick() {
    for (QWidget* child :
         {static_cast<QWidget*>(frm_gen), static_cast<QWidget*>(frm_log), static_cast<QWidget*>(frm_dlm)})
        frame_of(child)->showMinimized();
    resize(800, 550);
    // The input view above the field table, so that a column read in one can be typed into the other.
    QMdiSubWindow* view = frame_of(frm_view);
    view->showNormal();
    view->setGeometry(0, 0, 740, 265);
    frm_view->show_input_mode(frm_gen->input_path_text(), kSideBySideInputViewHeight);
    QMdiSubWindow* fields = frame_of(frm_dlm);
    fields->showNormal();
    fields->setGeometry(25, 260, 740, 240);
}

}  // namespace qvr
