#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/available_memory.h"
#include "common/text_encoding.h"
#include "desktop/desktop.h"
#include "fields/field_table.h"
#include "fields/imported_layout.h"

class QWidget;

namespace qvr {

class Tfrm_dlm;

/// What the windows above the fields do for their commands; the main window supplies them.
struct FieldSteps {
    std::function<void()> show_fields_definition;
    /// The definition file the table now comes from or went to, for every window that names it.
    std::function<void(const std::string& name)> definition_file_named;
    /// The same when the table is not saved in that file (it was found in the input).
    std::function<void(const std::string& name)> table_unsaved;
    /// The input file named in General data.
    std::function<std::string()> input_path;
    /// The input encoding chosen in General data, which the input is read in.
    std::function<TextEncoding()> input_encoding;
    /// The progress gauge: its position 0 to 100, or hidden for a negative one.
    std::function<void(int position)> gauge;
    /// The button beside the gauge that stops a long search (Esc does too).
    const QWidget* stop_button = nullptr;
};

/// The Fields definition menu: a new table, recalling one from a definition file, saving it to one,
/// finding one in the input, checking one against the input.
class FieldCommands {
  public:
    FieldCommands(Desktop& desktop, Tfrm_dlm& dlm, FileDialogState& open_dialog, FileDialogState& save_dialog,
                  const MemoryProbe& memory, FieldSteps steps);

    void new_table();
    void recall();
    void save_as();
    /// Fills the table with the fields found in the input file, after the question of New when the
    /// table was changed.
    void detect_from_input();
    /// Shows how the table fits the input file, in a text window.
    void check_against_input();

  private:
    /// The rows of the record of a layout of another form than the field definition file, asking which
    /// record where it describes several; none when the user cancels. Throws UserError.
    std::optional<std::vector<FieldTable::Row>> imported_rows(const std::string& path, LayoutForm form);
    /// Recall and Save As of the tables of several record types, as one layout set.
    void recall_set(const std::string& path);
    void save_set();
    /// The gauge follows the bytes read of a file of `size` bytes.
    std::function<void(std::uint64_t)> gauge_for(std::uint64_t size);

    Desktop& desktop_;
    Tfrm_dlm& dlm_;
    FileDialogState& open_dialog_;
    FileDialogState& save_dialog_;
    const MemoryProbe& memory_;
    FieldSteps steps_;
};

}  // namespace qvr
