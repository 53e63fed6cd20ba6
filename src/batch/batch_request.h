#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/file_error.h"
#include "engine/job_settings.h"
#include "fields/field_columns.h"
#include "fields/field_table.h"

namespace qvr {

/// What the front end is asked to do.
enum class BatchCommand { none, extract, dbf, analyse, detect, check, layout, help, version };

/// A command line as the windows would hold it: the General data window's settings (its defaults where an
/// option is not given) and the field table's source.
struct BatchRequest {
    BatchCommand command = BatchCommand::none;
    bool help = false;  ///< --help or -h after the command: its help instead of a run
    JobSettings settings;
    std::string layout_path;              ///< --layout; empty when the fields are given one by one
    std::vector<FieldTable::Row> fields;  ///< --field, in the order given
    bool output_given = false;
    bool overwrite = false;
    std::uint64_t max_lines = 0;           ///< --lines of detect; 0 reads every line
    std::optional<TextEncoding> encoding;  ///< --encoding; unset (auto): proposed from the input
    std::uint64_t memory_cap = 0;      ///< --memory of extract, in bytes; 0: what the system has available
    std::string layout_from;           ///< --from of layout: the layout read
    std::string layout_as;             ///< --as of layout: the form read; empty: from its name and text
    std::string layout_to;             ///< --to of layout: the form written; empty: from the output's name
    std::string layout_record;         ///< --record of layout: the record written where there are several
    std::vector<std::string> layouts;  ///< every --layout of extract as given (VALUE=FILE with --records)
    std::optional<FieldSlice> type_columns;  ///< --records START:LENGTH of extract
    std::vector<std::string> carries;        ///< --carry VALUE:FIELD of extract, in the order given
};

/// A command line that does not say what to do; what() tells why, command() whose usage line to show
/// (none for all of them).
class UsageError : public UserError {
  public:
    UsageError(const std::string& message, BatchCommand command) : UserError(message), command_(command) {}
    BatchCommand command() const { return command_; }

  private:
    BatchCommand command_;
};

/// Reads the arguments after the program's name. Every value is taken as the bytes given, whatever it
/// looks like (a --contains text may start with "--"). Throws UsageError.
BatchRequest parse_batch_request(const std::vector<std::string>& args);

/// The field of a --field value NAME:START:LENGTH[:TYPE], split at its last two colons before the type
/// (the name may hold colons, or be empty); the texts stay as given, as typed into the grid. Throws
/// UsageError.
FieldTable::Row parse_field(const std::string& value);

}  // namespace qvr
