#include <QApplication>
#include <QMenu>
#include <filesystem>
#include <new>

#include "common/file_error.h"
#include "common/whole_text.h"
#include "desktop/busy_cursor.h"
#include "desktop/qt_line_view.h"
#include "desktop/text_box.h"
#include "engine/extract_messages.h"
#include "engine/fast_extract.h"
#include "engine/run_files.h"
#include "engine/standard_extract.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/u_view.h"
#include "shell/u_log.h"
#include "shell/u_qvr32.h"

namespace qvr {

namespace {

BoxButton tell(Tmdi_qvr& main, const char* text) {
    return main.desktop().message_box(BoxKind::information, QString::fromLatin1(text), kOk);
}

bool ask(Tmdi_qvr& main, const char* text) {
    return main.desktop().message_box(BoxKind::confirmation, QString::fromLatin1(text), kYes | kNo) == kYes;
}

// The checks on the input and output files; false when the run must not start.
bool files_ready(Tmdi_qvr& main, const JobSettings& settings) {
    switch (check_run_files(settings.input_path, settings.output_path)) {
        case RunFiles::input_missing:
            tell(main, kInputMissingText);
            return false;
        case RunFiles::same_file:
            tell(main, kSameFilesText);
            return false;
        case RunFiles::output_exists:
            return ask(main, kOverwriteText);
        case RunFiles::ready:
            break;
    }
    return true;
}

// The user may give the input view's memory to the run.
void offer_input_view(Tmdi_qvr& main) {
    LineView* input_view = main.frm_view->input_view();
    if (line_count(input_view) < 1 || ask(main, kKeepInputViewText)) return;
    clear_box(input_view);
    main.input_view_emptied();
}

void stop_gauge(Tfrm_gen& gen) {
    gen.set_gauge(0);
    gen.show_gauge(false);
}

// The fast extract; its first lines go to the result view as they pass.
bool run_fast(Tmdi_qvr& main, const ExtractJob& job, ExtractHooks& hooks, RunTally& tally) {
    main.frm_gen->set_unique(false);
    main.frm_gen->set_sorted(false);
    main.frm_gen->set_header(false);
    LineView* result_view = main.frm_view->result_view();
    hooks.view_line = [result_view](std::string_view line) { append_line(result_view, line); };
    fast_extract(job, hooks, tally);
    tell(main, kFirstLinesSentText);
    return true;
}

// The standard extract; false when it stopped for lack of memory.
bool run_standard(Tmdi_qvr& main, const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally,
                  BusyCursor& busy) {
    if (standard_extract(job, hooks, tally) == ExtractOutcome::out_of_memory) {
        tell(main, kOutOfMemoryText);
        stop_gauge(*main.frm_gen);
        busy.restore();
        return false;
    }
    // A device or a pipe cannot be read back; the result view then stays empty.
    if (std::filesystem::is_regular_file(job.output_path))
        set_text_lines(main.frm_view->result_view(), load_whole_file(job.output_path));
    return true;
}

void finish_run(Tmdi_qvr& main, BusyCursor& busy) {
    main.frm_gen->set_gauge(100);
    tell(main, kGeneratedText);
    main.frm_gen->show_gauge(false);
    // The dBase export cannot drop duplicates, so it is offered only after a run that kept them all.
    main.enable_after_run(!main.frm_gen->settings().unique);
    busy.restore();
    main.show_result_view();
    main.frm_log->add_job_line();
    main.frm_log->save_job_log();
}

}  // namespace

void Tmdi_qvr::mnu_goClick() {
    show_general_data();
    JobSettings settings = frm_gen->settings();
    if (!files_ready(*this, settings) || !frm_dlm->table_check()) return;
    if (settings.sample_text.empty()) {
        settings.sample_text.push_back('0');  // not = "0": GCC 12 warns wrongly of overlap there
        frm_gen->set_sample_text(settings.sample_text);
    }
    const FieldTable& table = frm_dlm->field_table();
    const ExtractJob job = ExtractJob::from(settings, table.slices(), table.names());
    clear_box(frm_view->result_view());
    offer_input_view(*this);

    frm_gen->set_gauge_colour(Qt::black);
    frm_gen->show_gauge(true);
    frm_gen->set_gauge(5);
    BusyCursor busy;
    ExtractHooks hooks;
    hooks.gauge = [gen = frm_gen](int position) { gen->set_gauge(position); };
    hooks.available_memory = available_memory;
    RunTally tally{values_.generated_line_count, values_.input_statistics.size,
                   values_.input_statistics.line_count};
    auto keep_tally = [&] {
        values_.generated_line_count = tally.generated_line_count;
        values_.input_statistics = {tally.input_size, tally.input_line_count};
    };
    try {
        bool finished =
            settings.fast ? run_fast(*this, job, hooks, tally) : run_standard(*this, job, hooks, tally, busy);
        keep_tally();
        if (finished) finish_run(*this, busy);
    } catch (const std::bad_alloc&) {
        keep_tally();
        tell(*this, kOutOfMemoryText);
        stop_gauge(*frm_gen);
    } catch (const std::exception& e) {
        keep_tally();
        stop_gauge(*frm_gen);
        busy.restore();
        show_general_error(desktop_, e.what());
    }
}

}  // namespace qvr
