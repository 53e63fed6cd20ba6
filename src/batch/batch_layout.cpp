#include "batch/batch_layout.h"

#include "common/regular_file.h"
#include "fields/definition_file.h"

namespace qvr {

std::string shown_name(const std::string& path) {
    if (path == kStandardInputPath) return "standard input";
    return path == "-" ? "standard output" : path;
}

std::string field_name(const BatchRequest& request, int row) {
    const std::string number = std::to_string(row);
    return request.layout_path.empty() ? "--field " + number : request.layout_path + " field " + number;
}

FieldTable batch_field_table(const BatchRequest& request, const MemoryProbe& memory) {
    std::vector<FieldTable::Row> rows;
    if (request.layout_path.empty() && !request.fields.empty()) {
        rows = request.fields;
        // Read as strictly as a file's numbers: a typing slip is pointed out, not cut as column 0.
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (int column : {FieldTable::kStart, FieldTable::kLength})
                if (!read_whole_number(rows[i][column]))
                    throw BatchRefusal(field_name(request, static_cast<int>(i) + 1),
                                       with_full_stop(NotAWholeNumber(rows[i][column]).what()));
    } else {
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

}  // namespace qvr
