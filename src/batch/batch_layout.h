#pragma once

#include "batch/batch_request.h"
#include "batch/console.h"
#include "common/available_memory.h"
#include "common/file_error.h"
#include "engine/line_cutter.h"
#include "fields/field_table.h"
#include "fields/imported_layout.h"

namespace qvr {

/// A job the front end refuses; what() is "SUBJECT: TEXT", the file (or option) it concerns as the user
/// named it (shown_name()), then why.
class BatchRefusal : public UserError {
  public:
    BatchRefusal(const std::string& subject, const std::string& text) : UserError(subject + ": " + text) {}
};

/// A path as messages name it: as given, standard input and output ("-") by those words.
std::string shown_name(const std::string& path);

/// The refusal of a layout text that says what is not understood: "PATH line N: why.", the layout named
/// by `path` as the user gave it.
BatchRefusal layout_refusal(const std::string& path, const LayoutError& error);

/// Where a field of the request's layout comes from, for messages: "L.tab field 3", or "--field 3" for the
/// third one given on the command line.
std::string field_name(const BatchRequest& request, int row);

/// Tells, a line per field, the values of typed fields that could not be read (written empty); nothing
/// when there were none.
void tell_bad_values(const BadValueTally& bad, const std::vector<std::string>& names, const Console& console);

/// The field table of a request: the --field rows, or the rows of the --layout file read as
/// Fields definition > "Recall file" reads it: a field definition file, or a layout of another form (a
/// COBOL copybook, a csvkit schema, a SAS, SPSS or Stata setup, told by its extension or text) whose
/// --record, or only record, is taken. Throws FileError when the file cannot be read, BatchRefusal when a
/// start or length is no whole number, a layout says what is not understood (naming the line of the file
/// or the --field), a copybook's record is not chosen, or when it holds no field.
FieldTable batch_field_table(const BatchRequest& request, const MemoryProbe& memory);

}  // namespace qvr
