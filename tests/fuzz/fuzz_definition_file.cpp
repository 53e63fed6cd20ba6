// The field definition file reader on any bytes: it reads rows or refuses a number with the message the
// user sees, never anything else; what it reads, saved and read again, is the same table; the file
// reader and the file writer agree with the text functions.

#include <cstdint>

#include "common/whole_number.h"
#include "common/whole_text.h"
#include "fields/definition_file.h"
#include "fuzz_support.h"

using namespace qvr;
using namespace qvr::fuzz;

namespace {

constexpr std::string_view kNotANumber = "' is not a valid integer value";

void check_refusal(std::string_view message) {
    QVR_FUZZ_CHECK(message.size() > kNotANumber.size() + 1 && message.front() == '\'' &&
                   message.ends_with(kNotANumber));
    const std::string_view text = message.substr(1, message.size() - 1 - kNotANumber.size());
    QVR_FUZZ_CHECK(text.size() <= 32 && !read_whole_number(text));
    for (char c : text) QVR_FUZZ_CHECK(static_cast<unsigned char>(c) > 32 && c != '\x1a');
}

void check_rows(const std::vector<FieldTable::Row>& rows) {
    for (const FieldTable::Row& row : rows) {
        const std::string& name = row[FieldTable::kName];
        QVR_FUZZ_CHECK(name.size() <= 10 && name.find_first_of("\r\n\x1a") == std::string::npos);
        for (int column : {FieldTable::kStart, FieldTable::kLength, FieldTable::kEnd}) {
            const auto value = read_whole_number(row[column]);
            QVR_FUZZ_CHECK(value && decimal_text(*value) == row[column]);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MemoryFile file(text);
    std::vector<FieldTable::Row> rows;
    try {
        rows = parse_definition_text(text);
    } catch (const NotAWholeNumber& e) {
        check_refusal(e.what());
        try {
            read_definition_file(file.path(), UINT64_MAX);
            QVR_FUZZ_CHECK(!"the file reader accepted what the text reader refused");
        } catch (const NotAWholeNumber& again) {
            QVR_FUZZ_CHECK(std::string_view(again.what()) == e.what());
        }
        return 0;
    } catch (const NotAFieldType&) {
        return 0;  // a line with a type's word after its numbers that spells no type
    }
    check_rows(rows);
    QVR_FUZZ_CHECK(read_definition_file(file.path(), UINT64_MAX) == rows);

    // Saved and recalled, the table comes back with its names filled to their 10 columns.
    FieldTable table;
    table.assign_rows(rows);
    const std::string saved = definition_file_text(table);
    std::vector<FieldTable::Row> expected = rows;
    for (FieldTable::Row& row : expected) row[FieldTable::kName].resize(10, ' ');
    QVR_FUZZ_CHECK(parse_definition_text(saved) == expected);

    const ScratchFolder scratch;
    const std::string path = scratch.path + "fuzz.tab";
    write_definition_file(path, table);
    QVR_FUZZ_CHECK(load_whole_file(path) == saved);
    return 0;
}
