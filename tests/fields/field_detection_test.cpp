#include "fields/field_detection.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/temp_dir.h"

namespace qvr::test {
namespace {

// `count` lines made by `line` from their index, each ending in CR LF.
std::string lines(int count, const std::function<std::string(int)>& line) {
    std::string out;
    for (int i = 0; i < count; ++i) out += line(i) + "\r\n";
    return out;
}

std::string pick(int i, std::initializer_list<const char*> texts) { return texts.begin()[i % texts.size()]; }

// Names and streets whose blanks fall in different columns, as in real data.
std::string name(int i) {
    return pick(i, {"Van der Berg", "Martin", "de la Fontaine", "Le Goff Yann", "O'Brien", "Da Silva Joao",
                    "Li Wei"});
}
std::string street(int i) {
    return pick(i, {"rue de la Paix", "quai Voltaire", "Main Street", "avenue Victor Hugo", "impasse Verte"});
}
std::string left(const std::string& s, std::size_t width) { return s + std::string(width - s.size(), ' '); }

std::string amount(int i) { return std::to_string(i * 3701 % 90000 + 5) + "." + std::to_string(10 + i % 90); }
std::string right(const std::string& s, std::size_t width) { return std::string(width - s.size(), ' ') + s; }

// "NAME start-end" for every field, the rows apart by " | ".
std::string shown(const FieldDetection& d) {
    std::string out = d.binary ? "binary" : "";
    for (int row = 1; row <= d.table.row_count(); ++row)
        out += (row > 1 ? " | " : "") + d.table.cell(FieldTable::kName, row) + " " +
               d.table.cell(FieldTable::kStart, row) + "-" + d.table.cell(FieldTable::kEnd, row);
    return out;
}

TEST(FieldDetection, FindsTheFieldsOfEachTrap) {
    struct Case {
        const char* trap;
        std::string bytes;
        std::string fields;
    };
    const Case cases[] = {
        {"a code touching a date, digits both",
         lines(40,
               [](int i) {
                   return std::to_string(i * 7 % 9000 + 1000) + pick(i, {"15/01/2023", "03/11/1999"});
               }),
         "FIELD1 1-4 | FIELD2 5-14"},
        {"letters touching a right-aligned amount, then letters",
         lines(40,
               [](int i) {
                   return name(i) + right(amount(i), 22 - name(i).size()) + pick(i, {"N", "Y"});
               }),
         "FIELD1 1-14 | FIELD2 15-22 | FIELD3 23-23"},
        {"addresses and names with blanks inside stay whole",
         lines(60,
               [](int i) { return left(std::to_string(i * 13 % 250 + 1) + " " + street(i), 24) + name(i); }),
         "FIELD1 1-24 | FIELD2 25-38"},
        {"a field blank in the first 500 lines still found",
         lines(800,
               [](int i) {
                   return std::string("ABCD ") + (i < 500 ? "   " : pick(i, {"XY ", "ZZZ"})) + "  1234";
               }),
         "FIELD1 1-5 | FIELD2 6-10 | FIELD3 11-14"},
        {"a trailer and cut-off lines move nothing",
         lines(50,
               [](int i) {
                   return i == 7 ? "ABCD  12"
                                 : "ABCD  " + std::to_string(1000 + i) + "  " + left(name(i), 16) +
                                       std::to_string(i * 7919 % 100000 + 100000);
               }) +
             "TOTAL 50 LINES\r\n",
         "FIELD1 1-6 | FIELD2 7-12 | FIELD3 13-28 | FIELD4 29-34"},
        {"a heading names the fields and is no data",
         "NAME                AMOUNT\r\n" +
             lines(30, [](int i) { return left(name(i), 18) + right(amount(i), 8); }),
         "NAME 1-18 | AMOUNT 19-26"},
        {"one field",
         lines(10,
               [](int i) {
                   return pick(i, {"abc", "defgh"});
               }),
         "FIELD1 1-5"},
        {"an empty file", "", ""},
        {"binary bytes",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0\r\n\0\0\0\0\x03\0>\0\x01\0\0\0",
                     24),
         "binary"},
    };
    TempDir dir;
    for (const Case& c : cases)
        EXPECT_EQ(c.fields, shown(detect_fields(dir.write("in.txt", c.bytes)))) << c.trap;
}

}  // namespace
}  // namespace qvr::test
