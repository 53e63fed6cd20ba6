#include "batch/batch_layout.h"

#include "common/regular_file.h"
#include "fields/definition_file.h"
#include "fields/imported_layout.h"
#include "fields/layout_writers.h"

namespace qvr {

namespace {

/// The rows of a layout kept in another form than a field definition file: the record --record names, or
/// the only one; refusals name the file as given and the line.
std::vector<FieldTable::Row> imported_rows(const BatchRequest& request, LayoutForm form) {
    const std::string& path = request.layout_path;
    try {
        const ImportedLayout layout = read_layout_file(path, form);
        const ImportedRecord* record = nullptr;
        try {
            record = &chosen_record(layout, request.layout_record);
        } catch (const UserError& e) {
            throw BatchRefusal(
                path, with_full_stop(e.what() +
                                     std::string(request.layout_record.empty() ? " with --record" : "")));
        }
        return layout_field_rows(*record, path);
    } catch (const LayoutError& e) {
        throw layout_refusal(path, e);
    }
}

}  // namespace

std::string shown_name(const std::string& path) {
    if (path == kStandardInputPath) return "standard input";
    return path == "-" ? "standard output" : path;
}

BatchRefusal layout_refusal(const std::string& path, const LayoutError& error) {
    return BatchRefusal(path + " line " + std::to_string(error.line()), with_full_stop(error.reason()));
}

std::string field_name(const BatchRequest& request, int row) {
    const std::string number = std::to_string(row);
    return request.layout_path.empty() ? "--field " + number : request.layout_path + " field " + number;
}

FieldTable batch_field_table(const BatchRequest& request, const MemoryProbe& memory) {
    std::vector<FieldTable::Row> rows;
    if (request.layout_path.empty() && !request.layout_record.empty())
        throw UsageError("--record goes with --layout", request.command);
    if (request.layout_path.empty() && !request.fields.empty()) {
        rows = request.fields;
        // Read as strictly as a file's numbers: a typing slip is pointed out, not cut as column 0.
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (int column : {FieldTable::kStart, FieldTable::kLength})
                if (!read_whole_number(rows[i][column]))
                    throw BatchRefusal(field_name(request, static_cast<int>(i) + 1),
                                       with_full_stop(NotAWholeNumber(rows[i][column]).what()));
    } else if (const LayoutForm form = layout_file_form(request.layout_path); form != LayoutForm::tab) {
        rows = imported_rows(request, form);
    } else {
        if (!request.layout_record.empty())
            throw BatchRefusal("--record",
                               request.layout_path + " is a field definition file, of one record.");
        try {
            rows = read_definition_file(request.layout_path, memory.available());
        } catch (const DefinitionNumberError& e) {
            throw BatchRefusal(request.layout_path + " line " + std::to_string(e.line()),
                               with_full_stop(e.what()));
        }
    }
    // The window keeps its former table then; here there is none to keep, and no default would be right.
    if (rows.empty()) throw BatchRefusal(request.layout_path, "the file holds no field definition.");
    FieldTable table;
    table.assign_rows(std::move(rows));
    return table;
}

void tell_bad_values(const BadValueTally& bad, const std::vector<std::string>& names,
                     const Console& console) {
    std::string report = bad.report(names);
    if (report.empty()) return;
    report.pop_back();
    tell(console, report);
}

}  // namespace qvr
