// The record types on a bank payment file: one pass with a table per type and the batch number carried
// down puts every line in its type's table, and the entries of each batch add up to its control record.

#include <gtest/gtest.h>

#include <charconv>

#include "common/record_reader.h"
#include "engine/line_cutter.h"
#include "engine/record_types.h"
#include "fields/definition_file.h"
#include "fields/field_columns.h"
#include "support/nacha_file.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

struct TypeTable {
    std::string type;
    std::vector<FieldSlice> slices;
    std::vector<std::string> names;
    std::string_view field(std::string_view record, std::string_view name) const {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return field_slice(record, slices[i]);
        ADD_FAILURE() << "no field " << name << " in the table of type " << type;
        return {};
    }
};

std::uint64_t number(std::string_view digits) {
    std::uint64_t n = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    EXPECT_TRUE(error == std::errc() && end == digits.data() + digits.size()) << digits;
    return n;
}

TEST(NachaRecords, EveryBatchAddsUpThroughItsCarriedNumber) {
    std::vector<TypeTable> tables;
    for (const test::NachaLayout& layout : test::nacha_layouts()) {
        FieldTable table;
        table.assign_rows(read_definition_file(test::examples_dir() + "/nacha/" + layout.file, 1 << 20));
        std::vector<std::string> names;
        for (const std::string& name : table.names()) names.emplace_back(trim_blanks(name));
        tables.push_back({std::string(1, layout.type), table.slices(), names});
    }
    std::vector<std::string> types;
    for (const TypeTable& t : tables) types.push_back(t.type);
    const std::size_t kBatchHeader = 1, kEntry = 2, kAddenda = 3, kControl = 4;
    RecordRouter router({1, 1}, types, {{"5", tables[kBatchHeader].slices.back(), "BatchNum"}});

    test::TempDir dir;
    const std::string path = dir.write("pay.ach", test::nacha_file({100000, 900, 3, 7, "\r\n"}));
    const auto records = open_records(path, {}, TextEncoding::cp1252);
    std::vector<std::uint64_t> per_table(tables.size());
    std::uint64_t count = 0, debit = 0, credit = 0, batches = 0;
    for (std::string_view r; records->next(r);) {
        const std::size_t table = router.route(r);
        ASSERT_NE(table, RecordRouter::kNoTable) << r;
        ++per_table[table];
        const std::string_view batch = router.carried_value(0);
        if (table == kEntry || table == kAddenda) {
            EXPECT_EQ(number(batch), batches);
            ++count;
        }
        if (table == kEntry) {
            const std::uint64_t code = number(tables[kEntry].field(r, "TranCode"));
            (code % 10 == 7 ? debit : credit) += number(tables[kEntry].field(r, "Amount"));
        }
        if (table == kBatchHeader) ++batches;
        if (table == kControl) {
            EXPECT_EQ(tables[kControl].field(r, "BatchNum"), batch);
            EXPECT_EQ(number(tables[kControl].field(r, "EntryCount")), count) << "batch " << batch;
            EXPECT_EQ(number(tables[kControl].field(r, "TotalDebit")), debit) << "batch " << batch;
            EXPECT_EQ(number(tables[kControl].field(r, "TotalCredt")), credit) << "batch " << batch;
            count = debit = credit = 0;
        }
    }
    EXPECT_EQ(router.unknown_count(), 0u);
    EXPECT_EQ(per_table[kEntry], 100000u);
    EXPECT_EQ(per_table[kAddenda], 100000u / 3);
    EXPECT_EQ(per_table[kControl], batches);
    EXPECT_EQ(batches, (100000u + 899) / 900);
    const std::uint64_t lines =
        per_table[0] + per_table[1] + per_table[2] + per_table[3] + per_table[4] + per_table[5];
    EXPECT_EQ(lines % 10, 0u);  // padded to blocks of ten with lines of 9s, which read as type 9
}

}  // namespace
}  // namespace qvr
