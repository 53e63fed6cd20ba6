#pragma once

#include <string>

namespace qvr {

// The texts the extract run shows, exactly as the user knows them (typos included).
inline constexpr const char* kInputMissingText = "File does not exist or 'Input file' area empty.";
inline constexpr const char* kSameFilesText = "Input and output files must be different.";
inline constexpr const char* kOutputFolderText = "'Output file' is a folder: please give a file name.";
inline constexpr const char* kOverwriteText = "Result file already exists, overwrite ?";
inline constexpr const char* kKeepInputViewText = "Keep imput view.";
inline constexpr const char* kOutOfMemoryText =
    "Out of memory, input file too big, procedure halted.\n\r"
    "Three solutions: do not keep the input view,"
    " close some applications, split your input file, or try \"Fast extract\".";
inline constexpr const char* kGeneratedText = "Extract file generated";
/// After a database table or a workbook, which the result view (separated text) cannot show.
inline constexpr const char* kTableWrittenText =
    "Database table written (named after the input file); the result view shows separated text only";
inline constexpr const char* kWorkbookWrittenText =
    "Workbook written; the result view shows separated text only";
/// A database file there already: its other tables stay.
inline constexpr const char* kReplaceTableText =
    "The database already exists: its other tables are kept. Replace its table named after the input "
    "file, if it has one ?";
/// The same of the tables of a run of record types.
inline constexpr const char* kReplaceTablesText =
    "The database already exists: its other tables are kept. Replace its tables named after the input "
    "file, if it has them ?";
/// kTableWrittenText or kReplaceTableText of a table given its name: the name said instead.
inline std::string with_table_name(const char* text, const std::string& table) {
    std::string out(text);
    const std::string after = "named after the input file";
    const std::size_t at = out.find(after);
    if (!table.empty() && at != std::string::npos) out.replace(at, after.size(), "named " + table);
    return out;
}
inline constexpr const char* kQuoteInSeparatorText =
    "Fields cannot be quoted when the separator holds a quote (\"): the result could not be read back.";
// The run read the input up to the size it had when the run began.
inline std::string input_grew_text(const std::string& path) {
    return "The input file " + path + " grew during the run; only what it held when the run began was read.";
}
/// Tables per record type: a result per type, in input order.
inline constexpr const char* kTypedOptionsText =
    "Files of several record types are written by the standard extract: untick Fast extract.";
inline constexpr const char* kTypedGeneratedText = "Extract files generated, one per record type:";
inline constexpr const char* kTypedTablesText =
    "Database tables written, one per record type; the result view shows separated text only:";
inline constexpr const char* kTypedSheetsText =
    "Workbook sheets written, one per record type; the result view shows separated text only:";
inline constexpr const char* kTypedNameText =
    "The output file's name has no {type}: each type's result is named with -{type} (the type value) "
    "before the extension.";
inline constexpr const char* kFirstLinesSentText = "First 100 lines sent to \"view results\" window.";

}  // namespace qvr
