#pragma once

#include <stdexcept>

#include "batch/batch_request.h"
#include "fields/field_table.h"

namespace qvr {

/// A job the front end refuses before it starts; what() is the line the user is told.
class BatchRefusal : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// The field table of a request: the --field rows, or the rows of the --layout file read as
/// Fields definition > "Recall file" reads it. Throws FileError or DefinitionFileError when the file cannot
/// be read, BatchRefusal when it holds no field.
FieldTable batch_field_table(const BatchRequest& request);

}  // namespace qvr
