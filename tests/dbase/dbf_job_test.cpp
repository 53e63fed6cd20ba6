#include "dbase/dbf_job.h"

#include <gtest/gtest.h>

namespace qvr {
namespace {

TEST(DbfJob, RefusalTexts) {
    const std::pair<DbfLimits, std::string> cases[] = {
        {{DbfRefusal::none, 0, {5}}, ""},
        {{DbfRefusal::too_many_records, 0, {}}, "DBF file: not more than 16,700,000 records"},
        {{DbfRefusal::length_below_one, 12, {}}, "DBF file: the length of row 12 must be at least 1."},
        {{DbfRefusal::fields_too_long, 0, {}}, "Total fields length: not more than 254"},
    };
    for (const auto& [limits, text] : cases) EXPECT_EQ(text, dbf_refusal_text(limits));
}

TEST(DbfJob, TakesTheTableAndTheSettings) {
    FieldTable table;
    table.assign_rows({{" code ", "1", "5", ""}, {"", "x", "20", ""}});
    JobSettings settings;
    settings.input_path = "/data/in.txt";
    settings.trim = true;
    settings.contains = "c";
    settings.lower_bound = "l";
    settings.upper_bound = "u";
    EXPECT_EQ((std::vector<std::int32_t>{5, 20}), check_dbf_table(16'700'000, table).lengths);
    EXPECT_EQ(DbfRefusal::too_many_records, check_dbf_table(16'700'001, table).refusal);

    DbfExportJob job = dbf_export_job(table, settings, {5, 20}, 1000, dbf_table_name(settings.input_path));
    EXPECT_EQ("/data/in.txt", job.input_path);
    EXPECT_EQ("/data/in.dbf", job.target);
    ASSERT_EQ(2u, job.columns.size());
    EXPECT_EQ("CODE", job.columns[0].field.name);
    EXPECT_EQ(5, job.columns[0].field.length);
    EXPECT_EQ("1", job.columns[0].start_text);
    EXPECT_EQ("FIELD 2", job.columns[1].field.name);
    EXPECT_EQ("x", job.columns[1].start_text);  // read strictly only when the first line is cut
    EXPECT_EQ(true, job.trim);
    EXPECT_EQ("c", job.filter.contains);
    EXPECT_EQ("l", job.filter.lower);
    EXPECT_EQ("u", job.filter.upper);
    EXPECT_EQ(1000u, job.record_count);
}

}  // namespace
}  // namespace qvr
