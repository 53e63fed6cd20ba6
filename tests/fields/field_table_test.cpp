#include "fields/field_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>

#include "fields/definition_file.h"
#include "fields/field_detection.h"
#include "fields/layout_check.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

using Rows = std::vector<FieldTable::Row>;

FieldTable table_of(Rows rows) {
    FieldTable table;
    table.assign_rows(std::move(rows));
    return table;
}

TEST(FieldTable, CommitDerivesTheRow) {
    using Cells = std::array<std::string, 3>;  // start, length, end
    const std::tuple<int, Cells, Cells> cases[] = {
        {FieldTable::kStart, {"5", "", ""}, {"5", "1", "5"}},
        {FieldTable::kLength, {"0012", "3", "99"}, {"12", "3", "14"}},
        {FieldTable::kEnd, {"5", "2", "20"}, {"5", "16", "20"}},
        {FieldTable::kEnd, {"5", "2", "3"}, {"5", "1", "5"}},
        {FieldTable::kEnd, {"", "4", ""}, {"1", "1", "1"}},
        {FieldTable::kStart, {"007", "abc", "x"}, {"7", "1", "7"}},
        {FieldTable::kStart, {"-3", "-2", ""}, {"-3", "-2", "-6"}},  // only 0 becomes 1
        {FieldTable::kName, {"x", "y", "z"}, {"x", "y", "z"}},
        // Near the 32-bit limits the derived number stays in range and the row stays consistent.
        {FieldTable::kLength, {"2147483647", "10", ""}, {"2147483647", "1", "2147483647"}},
        {FieldTable::kStart, {"2147483000", "2147483647", ""}, {"2147483000", "648", "2147483647"}},
        {FieldTable::kStart, {"-2147483648", "-5", ""}, {"-2147483648", "1", "-2147483648"}},
        {FieldTable::kEnd, {"-2147483648", "", "2147483647"}, {"-2147483648", "2147483647", "-2"}},
        {FieldTable::kLength, {"2147483648", "3", ""}, {"1", "3", "3"}},  // out of range reads as 0
    };
    for (const auto& [column, before, after] : cases) {
        FieldTable table = table_of({{"name", before[0], before[1], before[2]}});
        table.commit_row(1, column);
        EXPECT_EQ((FieldTable::Row{"name", after[0], after[1], after[2]}),
                  (FieldTable::Row{table.cell(0, 1), table.cell(1, 1), table.cell(2, 1), table.cell(3, 1)}))
            << column << " " << before[0] << "," << before[1] << "," << before[2];
    }
}

// The default row stands in for the fields to come until the user changes the table.
TEST(FieldTable, APointedFieldReplacesTheUntouchedDefaultRow) {
    const FieldTable::Row dflt = {"1st field", "1", "10", "10"}, pointed = {"FIELD1", "3", "4", "6"};
    const std::pair<std::function<void(FieldTable&)>, Rows> cases[] = {
        {[](FieldTable&) {}, {pointed}},
        {[](FieldTable& t) { t.set_cell(FieldTable::kName, 1, "Name"); },
         {{"Name", "1", "10", "10"}, {"FIELD2", "3", "4", "6"}}},
        {[](FieldTable& t) {
             t.set_cell(FieldTable::kName, 1, "Name");
             t.reset_to_default();
         },
         {pointed}},
        {[](FieldTable& t) { t.set_row_count(2); }, {dflt, {}, {"FIELD3", "3", "4", "6"}}},
        {[&](FieldTable& t) { t.assign_rows({dflt}); }, {dflt, {"FIELD2", "3", "4", "6"}}},
    };
    for (const auto& [change, expected] : cases) {
        FieldTable table;
        change(table);
        table.add_field(3, 4);
        Rows rows;
        for (int row = 1; row <= table.row_count(); ++row)
            rows.push_back({table.cell(0, row), table.cell(1, row), table.cell(2, row), table.cell(3, row)});
        EXPECT_EQ(expected, rows);
    }
}

TEST(FieldTable, CheckFindsTheFirstRowWithoutStartOrLength) {
    const std::pair<Rows, int> cases[] = {
        {{{"", "1", "10", "10"}}, 0},
        {{{"", "1", "10", ""}}, 0},  // the end position is not checked
        {{{"", "", "10", "10"}}, 1},
        {{{"", "1", "0", "10"}}, 1},
        {{{"", "1", "2", ""}, {"", "3", "", ""}, {"", "", "", ""}}, 2},
        {{{"", "-1", "-2", ""}}, 0},  // negative numbers pass; cutting gives empty fields
    };
    for (const auto& [rows, failing] : cases) EXPECT_EQ(failing, table_of(rows).first_unusable_row());
}

TEST(DefinitionFile, SavesAndRecallsTheSameTable) {
    const std::tuple<const char*, Rows, std::string, Rows> cases[] = {
        {"names cut at 10 and padded to 10; a carriage return or Ctrl+Z in a name does not break the file",
         {{"Customer code", "1", "6", "6"}, {"a\rb\032c", "1", "2", "2"}, {"tab\tin", "3", "1", "3"}},
         "Customer c1    6    6    \r\na b c     1    2    2    \r\ntab\tin    3    1    3    \r\n",
         {{"Customer c", "1", "6", "6"}, {"a b c     ", "1", "2", "2"}, {"tab\tin    ", "3", "1", "3"}}},
        {"numbers of 5 and more digits are written whole with one blank after",
         {{"big", "12345", "123456", "135800"}, {"x", "-2147483648", "2147483647", "-2"}},
         "big       12345 123456 135800 \r\nx         -2147483648 2147483647 -2   \r\n",
         {{"big       ", "12345", "123456", "135800"}, {"x         ", "-2147483648", "2147483647", "-2"}}},
        {"cells without a whole number are saved as 0; uncommitted digits stand as typed",
         {{"", "", "3", ""}, {"n", "abc", "1 2", "99999999999"}, {"z", "007", "0012", "-5"}},
         "          0    3    0    \r\nn         0    0    0    \r\nz         007  0012 -5   \r\n",
         {{"          ", "0", "3", "0"}, {"n         ", "0", "0", "0"}, {"z         ", "7", "12", "-5"}}}};
    for (const auto& [what, rows, bytes, recalled] : cases) {
        EXPECT_EQ(bytes, definition_file_text(table_of(rows))) << what;
        EXPECT_EQ(recalled, parse_definition_text(bytes)) << what;
    }
}

TEST(DefinitionFile, ReadsHandWrittenFiles) {
    const std::tuple<const char*, std::string, Rows> cases[] = {
        {"tabs", "Code      1\t6\t\t6\r\n", {{"Code      ", "1", "6", "6"}}},
        {"numbers right after the name", "0123456789 1 2 3\r\n", {{"0123456789", "1", "2", "3"}}},
        {"text after the third number",
         "City      27 15 41 a note 12\r\nX 1 1 1\r\n",
         {{"City      ", "27", "15", "41"}, {"X 1 1 1", "0", "0", "0"}}},
        {"Ctrl+Z ends it", "A         1 2 3\r\n\032B         4 5 8\r\n", {{"A         ", "1", "2", "3"}}},
        {"a lone line feed and a lone carriage return end a line",
         "A         1 2 3\nB\n4 5 6\rC         7 8 9\n",
         {{"A         ", "1", "2", "3"}, {"B", "4", "5", "6"}, {"C         ", "7", "8", "9"}}},
        {"numbers missing at the end read 0", "short", {{"short", "0", "0", "0"}}},
        {"numbers past a line end", "A         1\r\n2 3\r\n", {{"A         ", "1", "2", "3"}}},
        {"empty line: a row",
         "A         1 2 3\r\n\r\n",
         {{"A         ", "1", "2", "3"}, {"", "0", "0", "0"}}}};
    for (const auto& [what, bytes, rows] : cases) EXPECT_EQ(rows, parse_definition_text(bytes)) << what;
}

TEST(DefinitionFile, NumbersThatAreNotWholeNumbersAreRefused) {
    const std::pair<std::string, std::string> cases[] = {
        {"A         1 2 3\r\nB         1.5 2 3\r\n", "1.5"},
        {"A         1 2 2147483648\r\n", "2147483648"},
        {"A         +1 2 3\r\n", "+1"},
        {"A         " + std::string(40, '7') + "\r\n", std::string(32, '7')}};
    for (const auto& [bytes, number] : cases)
        EXPECT_THAT([&] { parse_definition_text(bytes); },
                    testing::ThrowsMessage<NotAWholeNumber>("'" + number + "' is not a valid integer value"));
}

// A type follows the end position; a text field's line is as it always was.
TEST(DefinitionFile, KeepsEachFieldsType) {
    const Rows rows = {{"Amount    ", "1", "8", "8", parse_field_type("dec(2)")},
                       {"Name      ", "9", "20", "28"},
                       {"Born      ", "29", "10", "38", parse_field_type("date(DD MM YYYY)")},
                       {"Big       ", "12345", "4", "12348", parse_field_type("packed(0)")}};
    const std::string bytes =
        "Amount    1    8    8    dec(2)\r\nName      9    20   28   \r\n"
        "Born      29   10   38   date(DD MM YYYY)\r\nBig       12345 4    12348 packed(0)\r\n";
    EXPECT_EQ(bytes, definition_file_text(table_of(rows)));
    EXPECT_EQ(rows, parse_definition_text(bytes));
    EXPECT_EQ(rows[0], parse_definition_text("Amount    1 8 8 dec(2) a note\r\n").at(0));
    EXPECT_EQ((Rows{{"A         ", "1", "8", "8"}}), parse_definition_text("A         1 8 8 decimals\r\n"));
    EXPECT_THAT([] { parse_definition_text("A         1 8 8 dec(x)\r\n"); },
                testing::ThrowsMessage<NotAFieldType>(
                    "'dec(x)' is not a field type: the implied decimals are a number from 0 to 38"));
}

TEST(LayoutCheck, ReportsEveryKindOfMisfit) {
    TempDir dir;
    const std::string input = dir.write("in.txt", "AB 12  X\r\nAB 12  X\r\nAB 12\r\nABC12 YX  Z\r\n");
    const std::string lines =
        "Lines: 4\nLine length: shortest 5 (1 line), longest 11 (1 line), most common 8 (2 lines)\n";
    const std::pair<Rows, std::string> cases[] = {
        {{{"CODE", "1", "3", "3"}, {"NUM", "4", "4", "7"}, {"FLAG", "8", "4", "11"}},
         "Lines shorter than the end of the last field (column 11): 3, the first at line 1\n"},
        {{{"CODE", "1", "2", "2"},
          {"NUM", "4", "3", "6"},
          {"B", "6", "1", "6"},
          {"FLAG", "8", "1", "8"},
          {"", "0", "3", "2"}},
         "Field 5 has no usable start position and length\n"
         "Lines shorter than the end of the last field (column 8): 1, the first at line 3\n"
         "Lines with text past the last field: 1, the first at line 4\n"
         "Field 2 (NUM) and Field 3 (B) overlap in column 6\n"
         "Text in column 3, which no field covers, the first at line 4\n"
         "Text in column 7, which no field covers, the first at line 4\n"
         "Field 3 (B) is blank on every line\n"},
        {{{"ALL", "1", "5", "5"}}, "Lines with text past the last field: 3, the first at line 1\n"}};
    for (const auto& [rows, misfits] : cases) {
        const LayoutCheck check = check_layout(input, TextEncoding::cp1252, table_of(rows));
        EXPECT_EQ(lines + misfits, check.report);
        EXPECT_TRUE(check.problems) << misfits;
    }
}

TEST(LayoutCheck, AFewDamagedLinesAreToldButFitTheLayout) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 18; ++i) text += "AB 12\r\n";
    const std::string input = dir.write("in.txt", text + "AB\r\nAB 12 EXTRA\r\n");
    const LayoutCheck check = check_layout(input, TextEncoding::cp1252,
                                           table_of({{"CODE", "1", "3", "3"}, {"NUM", "4", "2", "5"}}));
    EXPECT_EQ(
        "Lines: 20\nLine length: shortest 2 (1 line), longest 11 (1 line), most common 5 (18 lines)\n"
        "Lines shorter than the end of the last field (column 5): 1, the first at line 19\n"
        "Lines with text past the last field: 1, the first at line 20\n"
        "The layout fits every other line.\n",
        check.report);
    EXPECT_FALSE(check.problems);
}

// Typed fields are cut as the extract cuts them (by characters in UTF-8) and their bad values told in its
// words; a value that reads is no problem.
TEST(LayoutCheck, TellsTheValuesATypeCannotReadPerField) {
    TempDir dir;
    const std::string input =
        dir.write("in.txt", "12  20261207\r\n1\xC3\xA9  20261307\r\n  5 00000000\r\n-3  2026020X\r\n");
    const Rows typed = {{"Amount    ", "1", "4", "4", parse_field_type("int")},
                        {"", "5", "8", "12", parse_field_type("date(YYYYMMDD)")}};
    const LayoutCheck check = check_layout(input, TextEncoding::utf8, table_of(typed));
    EXPECT_THAT(check.report, testing::EndsWith("\nAmount: 1 value could not be read (line 2).\n"
                                                "Field 2: 2 values could not be read (lines 2, 4).\n"));
    EXPECT_TRUE(check.problems);
    const Rows text = {{"Amount", "1", "4", "4"}, {"Born", "5", "8", "12"}};
    EXPECT_FALSE(check_layout(input, TextEncoding::utf8, table_of(text)).problems);
}

// A line of any length is read in bounded memory (a sparse line of 200 MB, its NUL bytes text): its length
// is told, and text past the last field found; a field reaching past the columns looked at is said to be.
TEST(LayoutCheck, ALineOfAnyLengthIsMeasuredAndLookedAtAsFarAsTheFieldsReach) {
    TempDir dir;
    const std::string input = dir.write("in.txt", "AB\r\n");
    ASSERT_EQ(0, ::truncate(input.c_str(), 200'000'004));
    const std::string lines =
        "Lines: 2\nLine length: shortest 2 (1 line), longest 200000000 (1 line), most common 2 (1 line)\n";
    const std::pair<Rows, std::string> cases[] = {
        {{{"A", "1", "2", "2"}}, "Lines with text past the last field: 1, the first at line 2\n"},
        {{{"A", "1", "2", "2"}, {"B", "100000000", "2", "100000001"}},
         "Lines shorter than the end of the last field (column 100000001): 1, the first at line 1\n"
         "Text in columns 3 to 1048576, which no field covers, the first at line 2\n"
         "Columns past 67108864 were not looked at: what is told of the fields reaching past them covers "
         "their first columns only.\n"}};
    for (const auto& [rows, misfits] : cases) {
        const LayoutCheck check = check_layout(input, TextEncoding::cp1252, table_of(rows));
        EXPECT_EQ(lines + misfits, check.report);
    }
}

// `count` lines made by `line` from their index, each ending in CR LF.
std::string lines(int count, const std::function<std::string(int)>& line) {
    std::string out;
    for (int i = 0; i < count; ++i) out += line(i) + "\r\n";
    return out;
}
template <class... Texts>
std::string pick(int i, Texts... texts) {
    const char* all[] = {texts...};
    return all[i % sizeof...(texts)];
}
// Names and streets whose blanks fall in different columns, as in real data.
std::string name(int i) {
    return pick(i, "Van der Berg", "Martin", "de la Fontaine", "Le Goff Yann", "O'Brien", "Da Silva Joao",
                "Li Wei");
}
std::string street(int i) {
    return pick(i, "rue de la Paix", "quai Voltaire", "Main Street", "avenue Victor Hugo", "impasse Verte");
}
std::string left(const std::string& s, std::size_t width) { return s + std::string(width - s.size(), ' '); }
std::string right(const std::string& s, std::size_t width) { return std::string(width - s.size(), ' ') + s; }
std::string num(int n) { return std::to_string(n); }
std::string amount(int i) { return num(i * 3701 % 90000 + 5) + "." + num(10 + i % 90); }

TEST(FieldDetection, FindsTheFieldsOfEachTrap) {
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"a code touching a date, digits both",
         lines(40, [](int i) { return num(i * 7 % 9000 + 1000) + pick(i, "15/01/2023", "03/11/1999"); }),
         "FIELD1 1-4 | FIELD2 5-14"},
        {"a code touching a time of hours and minutes",
         lines(40,
               [](int i) {
                   return "N0" + num(100 + i * 7 % 900) + pick(i, "06:49", "23:05", "12:30", "00:15");
               }),
         "FIELD1 1-5 | FIELD2 6-10"},
        {"a zero-padded number touching a time without separators",
         lines(60,
               [](int i) {
                   auto two = [](int n) { return (n < 10 ? "0" : "") + num(n); };
                   return "000" + num(100 + i * 7 % 900) + two(i % 24) + two(i * 7 % 60) + two(i * 13 % 60);
               }),
         "FIELD1 1-6 | FIELD2 7-12"},
        {"amounts with thousands grouped and a minus behind are one field",
         lines(60,
               [](int i) {
                   const std::string whole = num(i * 37013 % 900000 + 1000);
                   const std::string grouped =
                       whole.substr(0, whole.size() - 3) + "," + whole.substr(whole.size() - 3);
                   return left(name(i), 16) +
                          right(grouped + "." + num(10 + i % 90) + (i % 5 ? " " : "-"), 14) + "  " +
                          pick(i, "15/01/2023", "03/11/1999");
               }),
         "FIELD1 1-14 | FIELD2 15-32 | FIELD3 33-42"},
        {"a right-aligned amount touching the name after it takes the blanks in front",
         lines(40, [](int i) { return "ABCD" + right(amount(i), 12) + name(i); }),
         "FIELD1 1-4 | FIELD2 5-16 | FIELD3 17-30"},
        {"letters touching a right-aligned amount, then letters",
         lines(40, [](int i) { return name(i) + right(amount(i), 22 - name(i).size()) + pick(i, "N", "Y"); }),
         "FIELD1 1-14 | FIELD2 15-22 | FIELD3 23-23"},
        {"addresses and names with blanks inside stay whole",
         lines(60, [](int i) { return left(num(i * 13 % 250 + 1) + " " + street(i), 24) + name(i); }),
         "FIELD1 1-24 | FIELD2 25-38"},
        {"a field blank in the first 500 lines still found",
         lines(800, [](int i) { return "ABCD " + (i < 500 ? "   " : pick(i, "XY ", "ZZZ")) + "  1234"; }),
         "FIELD1 1-5 | FIELD2 6-10 | FIELD3 11-14"},
        {"a trailer and cut-off lines move nothing",
         lines(50,
               [](int i) {
                   return i == 7 ? "ABCD  12"
                                 : "ABCD  " + num(1000 + i) + "  " + left(name(i), 16) +
                                       num(i * 7919 % 100000 + 100000);
               }) +
             "TOTAL 50 LINES\r\n",
         "FIELD1 1-6 | FIELD2 7-12 | FIELD3 13-28 | FIELD4 29-34"},
        {"a heading names the fields and is no data",
         "NAME                AMOUNT\r\n" +
             lines(30, [](int i) { return left(name(i), 18) + right(amount(i), 8); }),
         "NAME 1-14 | AMOUNT 15-26"},
        {"a code of letters then digits is one field, a flag before digits is not",
         lines(60,
               [](int i) {
                   return std::string{static_cast<char>('A' + i * 7 % 26),
                                      static_cast<char>('A' + i * 11 % 26)} +
                          num(1000 + i * 37 % 9000) + " " + pick(i, "Y", "N", "N") +
                          num(10000 + i * 7919 % 90000);
               }),
         "FIELD1 1-7 | FIELD2 8-8 | FIELD3 9-13"},
        {"a flag touching a code of a fixed letter",
         lines(60, [](int i) { return pick(i, "Y", "N", "A") + "C00" + num(10000 + i * 37 % 90000); }),
         "FIELD1 1-1 | FIELD2 2-9"},
        {"a code whose letter comes in both cases, and a reference of a prefix, a dash and digits, stay "
         "whole",
         lines(100,
               [](int i) {
                   return std::string{static_cast<char>('A' + i * 7 % 26), i % 10 ? 'X' : 'x'} + num(i % 10) +
                          left(pick(i, "Retour note", "Paid", "Late order"), 14) + "REF-" +
                          num(1000000 + i * 7919 % 9000000) + (i % 3 ? "" : "12");
               }),
         "FIELD1 1-3 | FIELD2 4-17 | FIELD3 18-30"},
        {"the blanks in front of a right-aligned number are its own",
         lines(40, [](int i) { return left(name(i), 16) + right(amount(i), 10); }),
         "FIELD1 1-14 | FIELD2 15-26"},
        {"names of several words that often share a blank stay whole",
         lines(60,
               [](int i) {
                   return left(pick(i, "Le Gall Ana Maria", "Le Goff Yann", "Bernard Louis",
                                    "Le Bris Jean Paul", "Dos Santos Ana", "Martin"),
                               20) +
                          num(10000 + i);
               }),
         "FIELD1 1-20 | FIELD2 21-25"},
        {"an overlong line and one with a character lost add no field and move nothing",
         lines(60,
               [](int i) {
                   const std::string record =
                       "ABCD  " + num(1000 + i) + "  " + left(name(i), 16) + num(i * 7919 % 100000 + 100000);
                   return i == 20 ? record + "   EXTRA TEXT 42" : i == 30 ? record.substr(1) : record;
               }),
         "FIELD1 1-6 | FIELD2 7-12 | FIELD3 13-28 | FIELD4 29-34"},
        {"a few lines with a character too many move nothing",
         lines(1000,
               [](int i) {
                   const std::string record =
                       num(1000 + i * 7 % 9000) + pick(i, "15/01/2023", "03/11/1999") + right(amount(i), 12);
                   return i % 200 == 7 ? record.substr(0, 2) + "X" + record.substr(2) : record;
               }),
         "FIELD1 1-4 | FIELD2 5-14 | FIELD3 15-26"},
        {"one field", lines(10, [](int i) { return pick(i, "abc", "defgh"); }), "FIELD1 1-5"},
        {"an empty file", "", ""},
        {"binary bytes", std::string("\177ELF\2\1\1\0\0\0\r\n\0\0\0\0\3\0>\0\1\0\0\0", 24), "binary"}};
    TempDir dir;
    for (const auto& [trap, bytes, fields] : cases) {
        const FieldDetection d = detect_fields(dir.write("in.txt", bytes), TextEncoding::cp1252);
        std::string shown = d.binary ? "binary" : "";
        for (int row = 1; row <= d.table.row_count(); ++row)
            shown += (row > 1 ? " | " : "") + d.table.cell(FieldTable::kName, row) + " " +
                     d.table.cell(FieldTable::kStart, row) + "-" + d.table.cell(FieldTable::kEnd, row);
        EXPECT_EQ(fields, shown) << trap;
    }
}

// Detect proposes the type that reads every value of a field; codes with leading zeros stay text.
TEST(FieldDetection, ProposesTheTypeThatReadsEveryValue) {
    TempDir dir;
    const std::string path = dir.write(
        "in.txt", "ID   CODE  AMOUNT     BORN       NOTE\r\n" + lines(40, [](int i) {
                      return left(num(i * 37 - 200), 5) + "00" + num(100 + i) + " " + right(amount(i), 10) +
                             " " + pick(i, "15/01/2023", "29/02/2024", "31/12/1999") + " " +
                             pick(i, "12", "x");
                  }));
    const FieldDetection d = detect_fields(path, TextEncoding::cp1252);
    std::string types;
    for (int row = 1; row <= d.table.row_count(); ++row)
        types += d.table.cell(FieldTable::kName, row) + ":" +
                 field_type_spelling(d.types.at(static_cast<std::size_t>(row) - 1)) + " ";
    EXPECT_EQ("ID:int CODE:text AMOUNT:num BORN:date(DD/MM/YYYY) NOTE:text ", types);
}

// In UTF-8 a column is a character: an accent of two bytes moves no field, nor cuts a heading's word.
TEST(FieldDetection, CountsTheColumnsOfAUtf8FileInCharacters) {
    TempDir dir;
    const std::string path =
        dir.write("in.txt",
                  "Pr\xC3\xA9nom       R\xC3\xA9"
                  "f\r\n" +
                      lines(30, [](int i) {
                          return pick(i, "\xC3\x89lodie       ", "H\xC3\xA9l\xC3\xA8ne       ",
                                      "Luc          ", "Zo\xC3\xA9          ") +
                                 num(1000 + i * 7);
                      }));
    const FieldDetection d = detect_fields(path, TextEncoding::utf8);
    ASSERT_EQ(2, d.table.row_count());
    EXPECT_EQ(
        "Pr\xC3\xA9nom 1-13 | R\xC3\xA9"
        "f 14-17",
        d.table.cell(FieldTable::kName, 1) + " " + d.table.cell(FieldTable::kStart, 1) + "-" +
            d.table.cell(FieldTable::kEnd, 1) + " | " + d.table.cell(FieldTable::kName, 2) + " " +
            d.table.cell(FieldTable::kStart, 2) + "-" + d.table.cell(FieldTable::kEnd, 2));
}

// Detection looks at the first 4,096 columns; lines longer than that are said to be, one column more is
// enough.
TEST(FieldDetection, SaysWhenLinesAreWiderThanTheColumnsItLooksAt) {
    TempDir dir;
    for (const std::size_t width : {std::size_t{4096}, std::size_t{4097}, std::size_t{10000}}) {
        std::string line;
        while (line.size() < width) line += line.size() % 5 == 4 ? ' ' : 'x';
        const FieldDetection d =
            detect_fields(dir.write("in.txt", lines(5, [&](int) { return line; })), TextEncoding::cp1252);
        EXPECT_EQ(width > 4096 ? "Lines are longer than 4096 columns: fields were looked for in the first "
                                 "4096 columns only."
                               : "",
                  wider_than_looked_at_text(d))
            << width;
    }
}

}  // namespace
}  // namespace qvr::test
