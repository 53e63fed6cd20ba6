#pragma once

#include <functional>

#include "desktop/desktop.h"
#include "engine/extract_job.h"

namespace qvr {

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

/// File > "Input" and File > "Analysis": choosing the input file, filling its view, measuring it.
class InputCommands {
  public:
    InputCommands(Desktop& desktop, Tfrm_gen& gen, Tfrm_view& view, Tfrm_inp& inp, RunTally& tally,
                  FileDialogState& open_dialog, InputSteps steps);

    void open_input();
    /// What File > "Input" does once `path` is chosen: the filling-mode dialog, then the views.
    void open_input_file(const std::string& path);
    void analyse();

  private:
    void open_chosen_file(const std::string& path);

    Desktop& desktop_;
    Tfrm_gen& gen_;
    Tfrm_view& view_;
    Tfrm_inp& inp_;
    RunTally& tally_;
    FileDialogState& open_dialog_;
    InputSteps steps_;
};

}  // namespace qvr
