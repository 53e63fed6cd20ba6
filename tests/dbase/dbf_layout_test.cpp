#include "dbase/dbf_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace qvr {
namespace {

using namespace std::string_literals;

TEST(DbfLayout, DefaultTableHeaderBytes) {
    const std::string expected =
        "\x03\x02\x02\x0E"s
        "\x00\x00\x00\x00"s
        "\x41\x00"s
        "\x0B\x00"s +
        std::string(20, '\0') +
        "1ST FIELD\0\0"s
        "C"s
        "\x09\x00\xD1\x4E"s
        "\x0A\x00"s
        "\x00\x00"s
        "\x01"s +
        std::string(11, '\0') + "\x0D"s;
    EXPECT_EQ(expected, dbf_header({{dbf_field_name("1st field", 1), 10}}, 0));
}

TEST(DbfLayout, ThreeRowsNamesAndLengths) {
    const std::vector<DbfField> fields = {{dbf_field_name("Code", 1), 5},
                                          {dbf_field_name("", 2), 20},
                                          {dbf_field_name("customer_name", 3), 30}};
    const std::string header = dbf_header(fields, 1000);
    EXPECT_EQ(129u, header.size());
    EXPECT_EQ("\xE8\x03\x00\x00"s, header.substr(4, 4));
    EXPECT_EQ("\x81\x00"s, header.substr(8, 2));
    EXPECT_EQ("\x38\x00"s, header.substr(10, 2));
    EXPECT_EQ("CODE\0\0\0\0\0\0\0C"s, header.substr(32, 12));
    EXPECT_EQ("FIELD 2\0\0\0\0C"s, header.substr(64, 12));
    EXPECT_EQ("CUSTOMER_N\0C"s, header.substr(96, 12));
    EXPECT_EQ("\x05\x14\x1E"s, header.substr(48, 1) + header.substr(80, 1) + header.substr(112, 1));
    EXPECT_EQ('\x0D', header.back());
    // Seven fields put the header past 255 bytes, seven of 40 the record: both high bytes count.
    const std::string wide = dbf_header(std::vector<DbfField>(7, {dbf_field_name("", 1), 40}), 0);
    EXPECT_EQ(257u, wide.size());
    EXPECT_EQ("\x01\x01\x19\x01"s, wide.substr(8, 4));
}

TEST(DbfLayout, FieldNames) {
    struct Case {
        std::string cell;
        int row;
        std::string name;
    };
    const Case cases[] = {
        {"  name \t", 1, "NAME"},
        {"abcdefghijkl", 1, "ABCDEFGHIJ"},
        {"", 2, "FIELD 2"},
        {" \x01\x1f ", 12345, "FIELD 1234"},  // the generated name is cut at 10 too
        {"\xe9t\xe9", 1, "\xe9T\xe9"},        // only a to z change
        {"Nom;du_x", 1, "NOM;DU_X"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.name, dbf_field_name(c.cell, c.row)) << "'" << c.cell << "'";
}

TEST(DbfLayout, RecordCountBytesAreLittleEndian) {
    EXPECT_EQ("\x60\xD2\xFE\x00"s, dbf_record_count_bytes(16'700'000));
}

}  // namespace
}  // namespace qvr
