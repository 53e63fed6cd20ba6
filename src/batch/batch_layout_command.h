#pragma once

#include "batch/batch_command.h"

namespace qvr {

/// The layout command: reads a layout in one form (a copybook, a csvkit schema, a SAS, SPSS or Stata
/// setup, a field definition file) and writes it in another.
const BatchCommandInfo& layout_command();

}  // namespace qvr
