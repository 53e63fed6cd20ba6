#include "input/u_input_commands.h"

#include "common/file_error.h"
#include "common/file_names.h"
#include "desktop/busy_cursor.h"
#include "desktop/text_box.h"
#include "desktop/widget_text.h"
#include "engine/u_gen.h"
#include "input/input_analysis.h"
#include "input/u_inp.h"
#include "input/u_view.h"

namespace qvr {

InputCommands::InputCommands(Desktop& desktop, Tfrm_gen& gen, Tfrm_view& view, Tfrm_inp& inp, RunTally& tally,
                             FileDialogState& open_dialog, InputSteps steps)
    : desktop_(desktop),
      gen_(gen),
      view_(view),
      inp_(inp),
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
    open_chosen_file(from_widget_text(open_dialog_.file_name));
}

void InputCommands::open_input_file(const std::string& path) {
    steps_.show_general_data();
    steps_.input_closing();
    open_chosen_file(path);
}

void InputCommands::open_chosen_file(const std::string& path) {
    view_.set_ruler(false);
    clear_box(view_.input_view());
    inp_.ask_filling(path);
    gen_.set_output_path(with_replaced_extension(path, ".qvo.txt"));
    steps_.input_opened();
}

void InputCommands::analyse() {
    const std::string path = gen_.settings().input_path;
    try {
        const BusyCursor busy;
        tally_.input_size = input_file_size(path);
        tally_.input_line_count = count_input_lines(path);
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
        return;
    }
    const QString message = to_widget_text(analysis_message(tally_.input_size, tally_.input_line_count));
    if (is_big_input(tally_.input_size, tally_.input_line_count)) gen_.set_fast(true);
    desktop_.message_box(BoxKind::information, message, kOk);
    gen_.set_input_tip(message);
}

}  // namespace qvr
