#pragma once

#include "batch/batch_request.h"
#include "common/available_memory.h"
#include "common/file_error.h"
#include "fields/field_table.h"

namespace qvr {

/// A job the front end refuses before it starts; what() is the line the user is told, or with
/// `own_lines`, a text of the program's own whose line breaks (LF CR) are kept.
class BatchRefusal : public UserError {
  public:
    explicit BatchRefusal(const std::string& text, bool own_lines = false)
        : UserError(text), own_lines_(own_lines) {}
    bool own_lines() const { return own_lines_; }

  private:
    bool own_lines_;
};

/// The field table of a request: the --field rows, or the rows of the --layout file read as
/// Fields definition > "Recall file" reads it. Throws FileError or NotAWholeNumber when the file cannot
/// be read, BatchRefusal when it holds no field.
FieldTable batch_field_table(const BatchRequest& request, const MemoryProbe& memory);

}  // namespace qvr
