#pragma once

#include "batch/batch_request.h"
#include "common/available_memory.h"
#include "common/file_error.h"
#include "fields/field_table.h"

namespace qvr {

/// A job the front end refuses; what() is "SUBJECT: TEXT", the file (or option) it concerns as the user
/// named it (shown_name()), then why.
class BatchRefusal : public UserError {
  public:
    BatchRefusal(const std::string& subject, const std::string& text) : UserError(subject + ": " + text) {}
};

/// A path as messages name it: as given, standard input and output ("-") by those words.
std::string shown_name(const std::string& path);

/// Where a field of the request's layout comes from, for messages: "L.tab field 3", or "--field 3" for the
/// third one given on the command line.
std::string field_name(const BatchRequest& request, int row);

/// The field table of a request: the --field rows, or the rows of the --layout file read as
/// Fields definition > "Recall file" reads it. Throws FileError when the file cannot be read,
/// BatchRefusal when a start or length is no whole number (naming the line of the file or the --field) or
/// when it holds no field.
FieldTable batch_field_table(const BatchRequest& request, const MemoryProbe& memory);

}  // namespace qvr
