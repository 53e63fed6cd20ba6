// The layout-set file: the tables of several record types in one text, each in the .tab lines' form.

#include "fields/layout_set.h"

#include <gtest/gtest.h>

#include "fields/definition_file.h"
#include "fields/field_type.h"
#include "fields/imported_layout.h"

namespace qvr {
namespace {

LayoutSet two_types() {
    LayoutSet set;
    set.type_columns = {3, 2};
    // A name that reads like a table's line stays a field: the count, not the text, ends a table.
    set.tables = {{"H", {{"TYPE 5 FIE", "1", "2", "2"}, {"Id", "3", "12345", "12347"}}},
                  {"*", {{"Amount    ", "5", "4", "8", parse_field_type("dec(2)")}}}};
    set.carries = {{"H", "Id"}, {"H", "TYPE 5 FIE"}};
    return set;
}

TEST(LayoutSet, WritesItsLinesAndReadsThemBack) {
    const LayoutSet set = two_types();
    const std::string text = layout_set_text(set);
    EXPECT_EQ(
        "QUARVEL LAYOUT SET 1\r\nRECORDS 3:2\r\nCARRY H:Id\r\nCARRY H:TYPE 5 FIE\r\nTYPE H FIELDS 2\r\n"
        "TYPE 5 FIE1    2    2    \r\nId        3    12345 12347 \r\nTYPE * FIELDS 1\r\n"
        "Amount    5    4    8    dec(2)\r\n",
        text);
    const LayoutSet back = parse_layout_set(text, "s.tabs");
    EXPECT_EQ(set.type_columns.start, back.type_columns.start);
    EXPECT_EQ(set.type_columns.length, back.type_columns.length);
    EXPECT_EQ(set.carries, back.carries);
    ASSERT_EQ(2u, back.tables.size());
    EXPECT_EQ("TYPE 5 FIE", back.tables[0].rows[0].name);
    EXPECT_EQ("Id        ", back.tables[0].rows[1].name);  // padded, as a recalled .tab's names
    EXPECT_EQ("12345", back.tables[0].rows[1].length);
    EXPECT_EQ(set.tables[1], back.tables[1]);
    EXPECT_EQ(text, layout_set_text(back));
    // A plain .tab is none, and a reader of .tab files refuses a set instead of taking its first line.
    EXPECT_TRUE(is_layout_set_text(text));
    EXPECT_FALSE(is_layout_set_text("1st field 1    10   10   \r\n"));
    EXPECT_THROW(parse_definition_text(text), NotAWholeNumber);
}

TEST(LayoutSet, RefusesWhatItCannotReadNamingTheLine) {
    struct Case {
        std::string text;
        int line;
        std::string reason;
    };
    const std::string head = "QUARVEL LAYOUT SET 1\r\n";
    const Case cases[] = {
        {"1st field 1 10 10\r\n", 1, "the first line is not QUARVEL LAYOUT SET 1"},
        {head + "TYPE 1 FIELDS 1\r\nA 1 1 1\r\n", 1, "no RECORDS line gives the type columns"},
        {head + "RECORDS 0:1\r\n", 2, "the type columns are not START:LENGTH"},
        {head + "RECORDS 1:1\r\nCARRY 5\r\n", 3, "The carry '5' is not TYPE:FIELD"},
        {head + "RECORDS 1:1\r\nTYPE 1 FIELDS 3\r\nA 1 1 1\r\n", 3,
         "the file ends before the 3 fields of type '1'"},
        {head + "RECORDS 1:1\r\nTYPE 1 FIELDS x\r\n", 3, "the count of fields is no whole number"},
        {head + "RECORDS 1:1\r\nTYPE 1 FIELDS 2\r\nA         1 1 1\r\nB         1 z 1\r\n", 5,
         "'z' is not a valid integer value"},
        {head + "RECORDS 1:1\r\nTABLE 1\r\n", 3, "expected RECORDS, CARRY or TYPE VALUE FIELDS N"},
    };
    for (const Case& c : cases) {
        try {
            parse_layout_set(c.text, "s.tabs");
            ADD_FAILURE() << c.text;
        } catch (const LayoutError& e) {
            EXPECT_EQ(c.line, e.line()) << c.text;
            EXPECT_EQ(c.reason, e.reason()) << c.text;
        }
    }
}

}  // namespace
}  // namespace qvr
