#include "batch/batch_layout.h"

#include "fields/definition_file.h"

namespace qvr {

FieldTable batch_field_table(const BatchRequest& request, const MemoryProbe& memory) {
    std::vector<FieldTable::Row> rows = request.layout_path.empty() && !request.fields.empty()
                                            ? request.fields
                                            : read_definition_file(request.layout_path, memory.available());
    // The window keeps its former table then; here there is none to keep, and no default would be right.
    if (rows.empty()) throw BatchRefusal("The file " + request.layout_path + " holds no field definition.");
    FieldTable table;
    table.assign_rows(std::move(rows));
    return table;
}

}  // namespace qvr
