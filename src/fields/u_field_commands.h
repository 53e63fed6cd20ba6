#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/available_memory.h"
#include "desktop/desktop.h"

namespace qvr {

class Tfrm_dlm;

/// What the windows above the fields do for their commands; the main window supplies them.
struct FieldSteps {
    std::function<void()> show_fields_definition;
    /// The definition file the table now comes from or went to, for every window that names it.
    std::function<void(const std::string& name)> definition_file_named;
};

/// The Fields definition menu: a new table, recalling one from a definition file, saving it to one.
class FieldCommands {
  public:
    FieldCommands(Desktop& desktop, Tfrm_dlm& dlm, FileDialogState& open_dialog, FileDialogState& save_dialog,
                  const MemoryProbe& memory, FieldSteps steps);

    void new_table();
    void recall();
    void save_as();

  private:
    Desktop& desktop_;
    Tfrm_dlm& dlm_;
    FileDialogState& open_dialog_;
    FileDialogState& save_dialog_;
    const MemoryProbe& memory_;
    FieldSteps steps_;
};

}  // namespace qvr
