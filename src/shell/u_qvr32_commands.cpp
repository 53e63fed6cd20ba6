#include <QMdiSubWindow>

#include "common/file_error.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/u_view.h"
#include "outputs/output_formats.h"
#include "outputs/table_sinks.h"
#include "shell/u_log.h"
#include "shell/u_qvr32.h"
#include "ui_u_qvr32.h"

namespace qvr {

namespace {
constexpr int kInputViewHeight = 345;
constexpr int kSideBySideInputViewHeight = 200;
}  // namespace

void Tmdi_qvr::create_commands() {
    RunTally& tally = values_.tally;
    auto general_data = [this] { show_general_data(); };
    extract_ = std::make_unique<ExtractCommands>(
        desktop_, *frm_gen, *frm_dlm, *frm_view->input_view(), *frm_view->result_view(), tally, SVDLG_FILE,
        memory_,
        ExtractSteps{general_data, [this] { input_view_emptied(); },
                     [this](bool dbase_export) {
                         enable_after_run(dbase_export);
                         show_result_view();
                         frm_log->add_job_line(values_.tally.bad_values.total());
                         frm_log->save_job_log();
                     },
                     [](const std::string& name) {
                         const OutputFormat* format = output_format(name);
                         return format ? format->maker : OutputMaker{};
                     },
                     name_typed_results});
    result_ = std::make_unique<ResultCommands>(desktop_, *frm_view->result_view(), dlgfnt_out);
    fields_ = std::make_unique<FieldCommands>(desktop_, *frm_dlm, opdlg_file, SVDLG_FILE, memory_,
                                              FieldSteps{[this] { show_fields_definition(); },
                                                         [this](const std::string& name) {
                                                             frm_dlm->set_file_label(name);
                                                             frm_gen->set_definition_file_name(name);
                                                         },
                                                         [this](const std::string& name) {
                                                             frm_dlm->set_file_label(name, false);
                                                             frm_gen->set_definition_file_name(name);
                                                         },
                                                         [this] { return frm_gen->settings().input_path; },
                                                         [this] { return frm_gen->settings().encoding; },
                                                         [this](int position) {
                                                             frm_gen->show_gauge(position >= 0);
                                                             if (position >= 0) frm_gen->set_gauge(position);
                                                         },
                                                         frm_gen->stop_button()});
    input_ = std::make_unique<InputCommands>(
        desktop_, *frm_gen, *frm_view, *frm_inp, *frm_dlm, tally, opdlg_file,
        InputSteps{
            general_data, [this] { ui_->mnu_dbf->setEnabled(false); },
            [this] {
                for (QAction* item : {ui_->mnu_vwi, ui_->mnu_wid, ui_->mnu_ana, ui_->mnu_fdt, ui_->mnu_fck})
                    item->setEnabled(true);
            }});
    connect_view_to_fields();
    dbase_ = std::make_unique<DbaseCommands>(desktop_, *frm_gen, *frm_dlm, tally, general_data);
    log_ = std::make_unique<LogCommands>(desktop_, *frm_log, dlgfnt_out);
    help_ = std::make_unique<HelpCommands>(desktop_, values_.places.help_path, values_.links);
}

void Tmdi_qvr::mnu_inpClick() { input_->open_input(); }
void Tmdi_qvr::mnu_anaClick() { input_->analyse(); }
void Tmdi_qvr::mnu_outClick() { extract_->choose_output(); }
void Tmdi_qvr::mnu_goClick() { extract_->go(); }
void Tmdi_qvr::mnu_dbfClick() { dbase_->export_table(); }

void Tmdi_qvr::connect_view_to_fields() {
    frm_view->set_sources({&frm_dlm->field_table(), [this] { return frm_gen->settings(); },
                           [this]() -> std::optional<LayoutSet> {
                               if (!frm_dlm->has_record_types()) return std::nullopt;
                               try {
                                   return frm_dlm->layout_set();
                               } catch (const UserError&) {
                                   return std::nullopt;  // columns still being typed: the plain colours
                               }
                           }});
    connect(frm_dlm, &Tfrm_dlm::field_table_changed, frm_view, &Tfrm_view::fields_changed);
    connect(frm_view, &Tfrm_view::add_field_asked, this, [this] { input_->add_selection_as_field(); });
    // The preview cuts the input named in General data, trimmed or not as it says there.
    connect(frm_gen, &Tfrm_gen::cut_source_changed, frm_view, &Tfrm_view::settings_changed);
}

void Tmdi_qvr::mnu_fdnClick() { fields_->new_table(); }
void Tmdi_qvr::Recall1Click() { fields_->recall(); }
void Tmdi_qvr::SaveAs1Click() { fields_->save_as(); }
void Tmdi_qvr::mnu_fdtClick() { fields_->detect_from_input(); }
void Tmdi_qvr::mnu_fckClick() { fields_->check_against_input(); }

void Tmdi_qvr::mnu_rvwClick() { show_result_view(); }
void Tmdi_qvr::mnu_selClick() { result_->select_all(); }
void Tmdi_qvr::mnu_cpyClick() { result_->copy(); }
void Tmdi_qvr::mnu_priClick() { result_->print(); }

void Tmdi_qvr::mnu_lsaClick() { log_->select_all(); }
void Tmdi_qvr::mnu_lcpClick() { log_->copy(); }
void Tmdi_qvr::mnu_lptClick() { log_->print(); }
void Tmdi_qvr::mnu_lsvClick() { log_->save(); }

void Tmdi_qvr::mnu_idxClick() { help_->contents(); }
void Tmdi_qvr::mnu_webClick() { help_->author_site(); }
void Tmdi_qvr::mnu_wmcClick() { help_->home_site(); }
void Tmdi_qvr::mnu_mailClick() { help_->mail(); }
void Tmdi_qvr::mnu_abtClick() { help_->about(); }

void Tmdi_qvr::show_result_view() {
    show_view_window();
    frm_view->show_result_mode(frm_gen->output_path_text(), values_.tally.generated_line_count);
}

void Tmdi_qvr::mnu_wvrClick() { show_result_view(); }

void Tmdi_qvr::mnu_vwiClick() {
    show_view_window();
    frm_view->show_input_mode(frm_gen->input_path_text(), kInputViewHeight);
}

void Tmdi_qvr::open_input_file(const std::string& path) { input_->open_input_file(path); }

void Tmdi_qvr::mnu_widClick() {
    begin_arranging();
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
    end_arranging(frm_dlm);
}

}  // namespace qvr
