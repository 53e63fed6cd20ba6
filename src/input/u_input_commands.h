#pragma once

#include <functional>

#include "desktop/desktop.h"
#include "engine/extract_job.h"

namespace qvr {

class Tfrm_dlm;
class Tfrm_gen;
class Tfrm_inp;
class Tfrm_view;

/// What the windows above the input do for its commands; the main window supplies them.
struct InputSteps {
    std::function<void()> show_general_data;
    /// A new input file is being chosen, so what belonged to the former one is no longer offered.
    std::function<void()> input_closing;
    /// An input file was opened, so the commands that read it are offered.
    std::function<void()> input_opened;
};

/// File > "Input" and File > "Analysis": choosing the input file, filling its view, measuring it; and
/// taking a field from the columns selected in the view.
class InputCommands {
  public:
    InputCommands(Desktop& desktop, Tfrm_gen& gen, Tfrm_view& view, Tfrm_inp& inp, Tfrm_dlm& dlm,
                  RunTally& tally, FileDialogState& open_dialog, InputSteps steps);

    void open_input();
    /// What File > "Input" does once `path` is chosen: the filling-mode dialog, then the views.
    void open_input_file(const std::string& path);
    void analyse();
    /// "Add selection as field": the columns selected within one line become a new last row of the field
    /// table, which becomes the grid's current row.
    void add_selection_as_field();

  private:
    void open_chosen_file(const std::string& path);

    Desktop& desktop_;
    Tfrm_gen& gen_;
    Tfrm_view& view_;
    Tfrm_inp& inp_;
    Tfrm_dlm& dlm_;
    RunTally& tally_;
    FileDialogState& open_dialog_;
    InputSteps steps_;
};

}  // namespace qvr
