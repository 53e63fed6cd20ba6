#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fields/definition_file.h"
#include "fields/imported_layout.h"
#include "fields/layout_writers.h"

namespace qvr {
namespace {

using ::testing::ElementsAreArray;
using ::testing::StartsWith;

/// A copybook in fixed format: each line's first character is its column-7 indicator, the rest its text.
std::string copybook(std::initializer_list<const char*> lines) {
    std::string text;
    int n = 0;
    for (const char* line : lines) {
        const std::string seq = std::to_string(100000 + ++n * 10).substr(0, 6);
        text += seq + line + "\n";
    }
    return text;
}

/// "NAME start length type" per field of every record, the record's name and length first.
std::vector<std::string> described(const ImportedLayout& layout) {
    std::vector<std::string> out;
    for (const ImportedRecord& r : layout.records) {
        out.push_back("[" + r.name + " " + std::to_string(r.length) + "]");
        for (const ImportedField& f : r.fields)
            out.push_back(f.name + " " + std::to_string(f.start) + " " + std::to_string(f.length) + " " +
                          f.type);
    }
    return out;
}

struct CopybookCase {
    const char* what;
    std::string text;
    std::vector<std::string> fields;
};

TEST(Copybook, EachConstructGivesTheColumnsCountedByHand) {
    const CopybookCase cases[] = {
        {"groups, FILLER, X A 9",
         copybook({" 01  REC.", "     05  A-ID     PIC 9(4).", "     05  FILLER   PIC X(3).", "     05  GRP.",
                   "         10  NAME PIC A(5).", "         10  CODE PIC XX."}),
         {"[REC 14]", "A-ID 1 4 int", "NAME 8 5 text", "CODE 13 2 text"}},
        {"sign, implied and explicit points, P",
         copybook({" 01  R.", "     05  AMT  PIC S9(5)V99.", "     05  RATE PIC PP99.",
                   "     05  U    PIC 9(3)V9.", "     05  E    PIC 9(3).99.", "     05  T    PIC 9,999.",
                   "     05  Z    PIC ZZ9.9-."}),
         {"[R 30]", "AMT 1 7 zoned(2)", "RATE 8 2 dec(4)", "U 10 4 dec(1)", "E 14 6 num", "T 20 5 num",
          "Z 25 6 num"}},
        {"binary sizes by digits",
         copybook({" 01  R.", "     05  B1 PIC S9(4) COMP.", "     05  B2 PIC 9(5) BINARY.",
                   "     05  B3 PIC S9(9) COMP-4.", "     05  B4 PIC S9(10) COMP-5.",
                   "     05  B5 PIC 9(18) COMPUTATIONAL.", "     05  B6 PIC S9(7)V99 USAGE IS COMP."}),
         {"[R 30]", "B1 1 2 binary(0)", "B2 3 4 binary(0)", "B3 7 4 binary(0)", "B4 11 8 binary(0)",
          "B5 19 8 binary(0)", "B6 27 4 binary(2)"}},
        {"packed: two digits a byte and the sign's half byte",
         copybook({" 01  R.", "     05  P1 PIC S9(7)V99 COMP-3.", "     05  P2 PIC 9(4) PACKED-DECIMAL.",
                   "     05  P3 PIC S9 COMP-3.", "     05  P4 PIC 9(18) COMP-3.", "     05  G  COMP-3.",
                   "         10  P5 PIC S9(3)."}),
         {"[R 21]", "P1 1 5 packed(2)", "P2 6 3 packed(0)", "P3 9 1 packed(0)", "P4 10 10 packed(0)",
          "P5 20 2 packed(0)"}},
        {"SIGN clauses",
         copybook({" 01  R.", "     05  L  PIC S9(3) SIGN LEADING SEPARATE.",
                   "     05  T  PIC S9(3)V9 SIGN IS TRAILING SEPARATE CHARACTER.",
                   "     05  O  PIC S9(3) SIGN TRAILING.", "     05  G  SIGN LEADING SEPARATE.",
                   "         10  I PIC S99."}),
         {"[R 15]", "L 1 4 int", "T 5 5 dec(1)", "O 10 3 zoned(0)", "I 13 3 int"}},
        {"REDEFINES: overlapping, the longest sizes the area",
         copybook({" 01  R.", "     05  A PIC X(4).", "     05  B REDEFINES A PIC 9(6).",
                   "     05  C REDEFINES A.", "         10  C1 PIC XX.", "         10  C2 PIC XX.",
                   "     05  D PIC X."}),
         {"[R 7]", "A 1 4 text", "B 1 6 int", "C1 1 2 text", "C2 3 2 text", "D 7 1 text"}},
        {"OCCURS, nested",
         copybook({" 01  R.", "     05  T OCCURS 2.", "         10  K PIC X.",
                   "         10  V OCCURS 3 TIMES PIC 9.", "     05  Z PIC X."}),
         {"[R 9]", "K_1 1 1 text", "V_1_1 2 1 int", "V_1_2 3 1 int", "V_1_3 4 1 int", "K_2 5 1 text",
          "V_2_1 6 1 int", "V_2_2 7 1 int", "V_2_3 8 1 int", "Z 9 1 text"}},
        {"VALUE, 88, comments, duplicates, several 01 levels",
         copybook({"*    05  NOT-A-FIELD PIC X(9).", "/", " 01  R1.",
                   "     05  X PIC X(2) VALUE 'A. B'. *> 05 Y PIC X.", "         88  IS-A VALUE 'A' 'B'.",
                   "     05  X PIC 9 VALUE ZERO.", "     05  X_2 PIC X.", " 01  R2 REDEFINES R1.",
                   "     05  X PIC X."}),
         {"[R1 4]", "X 1 2 text", "X_3 3 1 int", "X_2 4 1 text", "[R2 1]", "X 1 1 text"}},
        {"items under no 01 level make one record",
         copybook({"     05  A PIC X.", "     05  B PIC 99."}),
         {"[RECORD 3]", "A 1 1 text", "B 2 2 int"}},
    };
    for (const CopybookCase& c : cases)
        EXPECT_THAT(described(parse_copybook(c.text, "t.cpy")), ElementsAreArray(c.fields)) << c.what;
}

TEST(Copybook, SequenceNumbersAndTextPastColumn72AreIgnored) {
    std::string line = "ABCDEF     05  A PIC X(3).";
    line.resize(72, ' ');
    line += "05 B PIC X(9).";
    const std::string text = "000100 01  R.\n" + line + "\r\n";
    EXPECT_THAT(described(parse_copybook(text, "t.cpy")), ElementsAreArray({"[R 3]", "A 1 3 text"}));
}

TEST(Copybook, WhatCannotBeReadIsRefusedWithFileAndLine) {
    const std::pair<std::string, std::string> cases[] = {
        {copybook({" 01 R.", "     05 N PIC 9.", "     05 T OCCURS 1 TO 5 DEPENDING ON N PIC X."}),
         "line 3: OCCURS DEPENDING"},
        {copybook({" 01 R.", "     05 T PIC X OCCURS 5", "        DEPENDING ON N."}),
         "line 2: OCCURS DEPENDING"},
        {copybook({" 01 R.", "     05 B PIC S9(19) COMP."}), "line 2: a binary number of more than 18"},
        {copybook({" 01 R.", "     05 F COMP-1."}), "line 2: COMP-1"},
        {copybook({" 01 R.", "     05 F USAGE COMP-2."}), "line 2: COMP-2"},
        {copybook({" 01 R.", "     05 S PIC S9(3) SIGN LEADING."}), "line 2: SIGN LEADING without SEPARATE"},
        {copybook({" 01 R.", "     05 S PIC 9(3)PP."}), "line 2: PIC 9(3)PP: P after"},
        {copybook({" 01 R.", "     05 S PIC X(3) SYNC."}), "line 2: SYNC"},
        {copybook({" 01 R.", "     05 S PIC X(3) WHATEVER."}), "line 2: 'WHATEVER' is not understood"},
        {copybook({" 01 R.", "     05 S PIC X(3)"}), "line 2: the entry is not ended"},
        {copybook({" 01 R.", "     05 S PIC X.", "     05 T REDEFINES Q PIC X."}), "line 3: T redefines Q"},
        {copybook({" 01 R.", "     05 S.", "     05 T PIC X."}), "line 2: S has neither"},
        {copybook({" 01 R.", "X    05 S PIC X."}), "line 2: column 7 holds 'X'"},
        {copybook({" 01 R.", "     05 S PIC N(3)."}), "line 2: PIC N(3)"},
    };
    for (const auto& [text, message] : cases) {
        try {
            parse_copybook(text, "t.cpy");
            ADD_FAILURE() << "read: " << message;
        } catch (const LayoutError& e) {
            EXPECT_THAT(e.what(), StartsWith("t.cpy, " + message)) << text;
        }
    }
}

TEST(SurveySetups, SasSpssAndStataOfTheSameFieldsGiveOneLayout) {
    const std::string sas =
        "DATA survey; INFILE 'x.dat' LRECL=40;\n* the variables;\nINPUT id $ 1-5 @6 age 3.\n"
        "      income 9-15 .2 /* in cents */\n      @16 name $CHAR20. born YYMMDD8. ;\nLABEL "
        "id='Id';\nRUN;\n";
    const std::string spss =
        "FILE HANDLE x /NAME='x.dat'.\nDATA LIST FIXED FILE=x RECORDS=1\n /1 id 1-5 (A) age 6-8\n"
        "   income 9-15 (2) name (A20) born 36-43 (A).\nEXECUTE.\n";
    const std::string stata =
        "* survey\ninfile dictionary using x.dat\n{\n  _column(1) str5 id %5s \"Identifier\"\n  _column(6) "
        "int age %3f\n"
        "  float income %7.2f\n  _column(16) str20 name %20s // name\n  str8 born %8s\n}\n12345...\n";
    const std::vector<std::string> fields = {"[RECORD 43]",       "id 1 5 text",     "age 6 3 num",
                                             "income 9 7 dec(2)", "name 16 20 text", "born 36 8 "};
    auto without_born_type = [](std::vector<std::string> d) {
        d.back() = d.back().substr(0, d.back().rfind(' ') + 1);
        return d;
    };
    EXPECT_THAT(without_born_type(described(parse_layout(sas, LayoutForm::sas, "s.sas"))),
                ElementsAreArray(fields));
    EXPECT_EQ(described(parse_layout(sas, LayoutForm::sas, "s.sas")).back(), "born 36 8 date(YYYYMMDD)");
    EXPECT_THAT(without_born_type(described(parse_layout(spss, LayoutForm::spss, "s.sps"))),
                ElementsAreArray(fields));
    EXPECT_THAT(without_born_type(described(parse_layout(stata, LayoutForm::stata, "s.dct"))),
                ElementsAreArray(fields));
    EXPECT_THAT(
        described(parse_layout("DATA LIST / q8 TO q12 1-10 (A) r07 TO r08 (N2).", LayoutForm::spss, "s")),
        ElementsAreArray({"[RECORD 14]", "q8 1 2 text", "q9 3 2 text", "q10 5 2 text", "q11 7 2 text",
                          "q12 9 2 text", "r07 11 2 int", "r08 13 2 int"}));
    EXPECT_EQ(guess_layout_form("setup.txt", sas), LayoutForm::sas);
    EXPECT_EQ(guess_layout_form("setup.txt", spss), LayoutForm::spss);
    EXPECT_EQ(guess_layout_form("setup.txt", stata), LayoutForm::stata);
    EXPECT_EQ(guess_layout_form("setup.txt", copybook({" 01 R.", "     05 A PIC X."})), LayoutForm::cobol);
    EXPECT_EQ(guess_layout_form("s.txt", "column,start,length\na,0,1\n"), LayoutForm::csvkit);
    // A field definition file is told by its text before the words a name of it may hold.
    const std::string tab = "INPUT     1    5    5    int\r\n$AMOUNT   6    3    8    \r\n";
    EXPECT_EQ(guess_layout_form("fields.txt", tab), LayoutForm::tab);
    EXPECT_THAT(described(parse_layout(tab, LayoutForm::tab, "t")),
                ElementsAreArray({"[RECORD 8]", "INPUT 1 5 int", "$AMOUNT 6 3 text"}));
}

TEST(SurveySetups, WhatCannotBeReadIsRefusedWithFileAndLine) {
    const std::pair<std::pair<LayoutForm, const char*>, const char*> cases[] = {
        {{LayoutForm::sas, "data x;\ninput a $ 1-5\n  b c;\n"}, "s, line 3: b: no columns"},
        {{LayoutForm::sas, "input a $ 1-5 #2 b 1-3;"}, "s, line 1: reading several lines"},
        {{LayoutForm::sas, "input a 1-3;\ninput b 1-3;"}, "s, line 2: a second INPUT"},
        {{LayoutForm::spss, "DATA LIST FREE / a b."}, "s, line 1: DATA LIST FREE"},
        {{LayoutForm::spss, "DATA LIST /\n a b 1-5."}, "s, line 2: 5 columns do not divide"},
        {{LayoutForm::spss, "DATA LIST / a 1-5 (DATE)."}, "s, line 1: format (DATE)"},
        {{LayoutForm::stata, "dictionary {\n _column(1) str5 id %5s\n _line(2) x %3f\n}"},
         "s, line 3: reading several"},
        {{LayoutForm::stata, "dictionary {\n str5 id\n}"}, "s, line 2: id: no %format"},
        {{LayoutForm::csvkit, "column,start,length\na,1,5\nb,x,3\n"}, "s, line 3: start 'x'"},
        {{LayoutForm::csvkit, "name,start,length\n"}, "s, line 1: the header names no 'column'"},
    };
    for (const auto& [input, message] : cases) {
        try {
            parse_layout(input.second, input.first, "s");
            ADD_FAILURE() << "read: " << message;
        } catch (const LayoutError& e) {
            EXPECT_THAT(e.what(), StartsWith(message));
        }
    }
}

TEST(LayoutWriters, TabFileCutsLongNamesApartAndCarriesTypes) {
    ImportedRecord r{"R",
                     1,
                     30,
                     {{"CUSTOMER-NUMBER", 1, 6, "int", 1},
                      {"CUSTOMER-NAME", 7, 20, "text", 2},
                      {"CUSTOMER-N", 27, 4, "zoned(2)", 3}}};
    const std::string text = layout_tab_text(r, "t.cpy");
    const auto rows = parse_definition_text(text);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "CUSTOMER-N");
    EXPECT_EQ(rows[1][0], "CUSTOMER~2");
    EXPECT_EQ(rows[2][0], "CUSTOMER~3");
    EXPECT_EQ(rows[2][1] + " " + rows[2][2] + " " + rows[2][3], "27 4 30");
    EXPECT_THAT(text, StartsWith("CUSTOMER-N1    6    6    int\r\nCUSTOMER~27    20   26   \r\n"));
}

}  // namespace
}  // namespace qvr
