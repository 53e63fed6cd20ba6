#include "input/u_input_commands.h"

#include "common/file_error.h"
#include "common/file_names.h"
#include "desktop/busy_cursor.h"
#include "desktop/path_text.h"
#include "desktop/qt_run_stop.h"
#include "desktop/text_box.h"
#include "desktop/widget_text.h"
#include "engine/propose_encoding.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/input_analysis.h"
#include "input/u_inp.h"
#include "input/u_view.h"

namespace qvr {

InputCommands::InputCommands(Desktop& desktop, Tfrm_gen& gen, Tfrm_view& view, Tfrm_inp& inp, Tfrm_dlm& dlm,
                             RunTally& tally, FileDialogState& open_dialog, InputSteps steps)
    : desktop_(desktop),
      gen_(gen),
      view_(view),
      inp_(inp),
      dlm_(dlm),
      tally_(tally),
      open_dialog_(open_dialog),
      steps_(std::move(steps)) {}

void InputCommands::open_input() {
    steps_.show_general_data();
    // The dBase export reads the input of the last run, which a new input file no longer matches.
    steps_.input_closing();
    open_dialog_.filter = QStringLiteral("Text file|*.txt");
    open_dialog_.file_name.clear();
    if (!desktop_.open_file(open_dialog_)) return;
    open_chosen_file(from_path_text(open_dialog_.file_name));
}

void InputCommands::open_input_file(const std::string& path) {
    steps_.show_general_data();
    steps_.input_closing();
    open_chosen_file(path);
}

void InputCommands::open_chosen_file(const std::string& path) {
    view_.set_ruler(false);
    clear_box(view_.input_view());
    try {
        // The proposal reads a bounded sample, which a slow disk may still take a while over.
        const BusyCursor busy;
        StopRequest stop;
        RunStopGuard guard(gen_.stop_button(), stop);
        gen_.set_encoding(propose_encoding(path, [&] {
            guard.poll();
            check_stop(&stop);
        }));
    } catch (const RunStopped&) {
        // The user asked: the file is not opened, and nothing is told.
        return;
    }
    inp_.ask_filling(path);
    gen_.set_output_path(with_replaced_extension(path, ".qvo.txt"));
    steps_.input_opened();
}

void InputCommands::analyse() {
    const std::string path = gen_.settings().input_path;
    InputLines lines;
    try {
        const BusyCursor busy;
        tally_.input_size = input_file_size(path);
        lines = measure_input_lines(path, 1 << 17, gen_.settings().encoding);
        tally_.input_line_count = lines.count;
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
        return;
    }
    const QString message =
        to_widget_text(analysis_message(tally_.input_size, tally_.input_line_count, lines.lengths.text()));
    if (is_big_input(tally_.input_size, tally_.input_line_count)) gen_.set_fast(true);
    desktop_.message_box(BoxKind::information, message, kOk);
    gen_.set_input_tip(message);
}

void InputCommands::add_selection_as_field() {
    const std::optional<ColumnSpan> span = view_.selected_columns();
    if (!span) {
        desktop_.message_box(BoxKind::information,
                             QStringLiteral("Select the columns of the field within one line first."), kOk);
        return;
    }
    const int row = dlm_.field_table().add_field(span->first, span->length);
    dlm_.set_current_cell(FieldTable::kName, row);
}

}  // namespace qvr
