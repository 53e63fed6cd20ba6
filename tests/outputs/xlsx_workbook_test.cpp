#include "outputs/xlsx_workbook.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "outputs/read_back.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::cells;
using test::TempDir;
using testing::ElementsAre;

void write(XlsxWorkbookJob job, const std::vector<std::vector<std::string_view>>& rows) {
    XlsxWorkbookWriter writer(std::move(job));
    writer.begin();
    for (const auto& row : rows) writer.add_row(row);
    writer.commit();
}

const std::vector<OutputColumn> kColumns = {{"Id", ColumnKind::integer, 8, 0, 8},
                                            {"Code", ColumnKind::text, 0, 0, 5},
                                            {"Amount", ColumnKind::decimal, 20, 2, 21},
                                            {"Day", ColumnKind::date, 0, 0, 8}};

TEST(XlsxWorkbook, NumbersDatesAndTextsAreCellsOfTheirKind) {
    TempDir dir;
    const std::string path = dir.file("out.xlsx");
    write({path, "Données", kColumns, TextEncoding::cp1252},
          {{"-00012", "00123", "-1234.50", "2026-12-07"},
           {"", "Zo\xeb <&>\x01", "12345678901234567.89", "1899-12-31"},
           {"99999999", "_x0041_ _x41_", "0.05", "2024-02-29"},
           // past the sixteen bytes looked at together, with what needs care in both parts
           {"", "first sixteen <&\x02_x0041_\ttab, then <&\x1f_x00e9_\tbeyond", "", ""}});
    EXPECT_THAT(
        cells(path),
        ElementsAre("sheet Données frozen=A2 widths=9.7109375,6.7109375,22.7109375,11.7109375",  //
                    "A1 s bold Id", "B1 s bold Code", "C1 s bold Amount", "D1 s bold Day", "A2 n -12",
                    "B2 s 00123", "C2 n -1234.5", "D2 d 2026-12-07",
                    // a control as the workbook escapes it; beyond what a number holds; before the first date
                    "B3 s Zoë <&>_x0001_", "C3 s 12345678901234567.89", "D3 s 1899-12-31", "A4 n 99999999",
                    "B4 s _x005F_x0041_ _x41_", "C4 n 0.05", "D4 d 2024-02-29",
                    "B5 s first sixteen <&_x0002__x005F_x0041_\ttab, then <&_x001F__x005F_x00e9_\tbeyond"));
    EXPECT_EQ("out.xlsx", test::list_folder(dir.path()));
}

TEST(XlsxWorkbook, AFullSheetGoesOnInTheNextWithTheSameHeader) {
    TempDir dir;
    const std::string path = dir.file("out.xlsx");
    const std::vector<OutputColumn> one = {{"N", ColumnKind::integer, 2, 0, 2}};
    XlsxWorkbookJob job{path, std::string(30, 'x'), one, TextEncoding::utf8, 2};
    XlsxWorkbookWriter writer(job);
    writer.begin();
    for (const std::string_view n : {"1", "2", "3", "4", "5"}) writer.add_row({n});
    writer.commit();
    const std::string x27(27, 'x');
    EXPECT_EQ("The rows fill 3 sheets of 2 rows: " + std::string(30, 'x') + " to " + x27 + " (3)",
              xlsx_sheets_text(writer, job.sheet, 2));
    EXPECT_THAT(
        cells(path),
        ElementsAre("sheet " + std::string(30, 'x') + " frozen=A2 widths=3.7109375", "A1 s bold N", "A2 n 1",
                    "A3 n 2", "sheet " + x27 + " (2) frozen=A2 widths=3.7109375", "A1 s bold N", "A2 n 3",
                    "A3 n 4", "sheet " + x27 + " (3) frozen=A2 widths=3.7109375", "A1 s bold N", "A2 n 5"));
}

TEST(XlsxWorkbook, WritersOfOneWorkbookWriteTheirSheetsInTurns) {
    TempDir dir;
    const std::string path = dir.write("out.xlsx", "former");
    const std::vector<OutputColumn> one = {{"N", ColumnKind::integer, 2, 0, 2}};
    const std::vector<OutputColumn> two = {{"T", ColumnKind::text, 0, 0, 1},
                                           {"D", ColumnKind::decimal, 5, 3, 7}};
    // The first time the second writer gives up: nothing is written, though the first committed.
    for (const bool both : {false, true}) {
        XlsxWorkbookWriter a({path, "A", one, TextEncoding::utf8, 2});
        XlsxWorkbookWriter b({"", "B", two}, a);
        a.begin();
        b.begin();
        a.add_row({"1"});
        b.add_row({"x", "1.5"});
        a.add_row({"2"});
        a.add_row({"3"});
        b.add_row({"", "-0.125"});
        a.commit();
        if (both) {
            b.commit();
        } else {
            EXPECT_EQ("former", test::read_file(path));
        }
    }
    EXPECT_THAT(cells(path), ElementsAre("sheet A frozen=A2 widths=3.7109375", "A1 s bold N", "A2 n 1",
                                         "A3 n 2", "sheet B frozen=A2 widths=2.7109375,8.7109375",
                                         "A1 s bold T", "B1 s bold D", "A2 s x", "B2 n 1.5", "B3 n -0.125",
                                         "sheet A (2) frozen=A2 widths=3.7109375", "A1 s bold N", "A2 n 3"));
    EXPECT_EQ("out.xlsx", test::list_folder(dir.path()));
}

TEST(XlsxWorkbook, AFailedOrAbandonedWorkbookLeavesTheFormerFile) {
    TempDir dir;
    const std::string path = dir.write("out.xlsx", "former");
    EXPECT_THAT(
        [&] {
            write({path, "S", kColumns}, {{"1", "a", "2.5", "2026-12-07"}, {"1", "a", "2.5", "2026-02-30"}});
        },
        testing::ThrowsMessage<UserError>("Day (row 2): '2026-02-30' is not a date (YYYY-MM-DD)"));
    EXPECT_THAT(
        [&] {
            write({path, "S", kColumns}, {{"1.5", "a", "", ""}});
        },
        testing::ThrowsMessage<UserError>("Id (row 1): '1.5' is not an integer"));
    EXPECT_THAT(
        [&] {
            write({path, "a:b", kColumns}, {});
        },
        testing::ThrowsMessage<UserError>(testing::StartsWith("'a:b' cannot name a sheet")));
    EXPECT_EQ("_a_b_c_'" + std::string(23, 'x'),
              XlsxWorkbookWriter::sheet_name_from("'a/b[c]'" + std::string(30, 'x')));
    {
        XlsxWorkbookWriter writer({path, "S", kColumns});
        writer.begin();
        writer.add_row({"1", "a", "2.5", "2026-12-07"});
    }
    // A sheet's markup that fills the disk, deflated on the other thread: its failure reaches the writer.
    std::vector<std::string> texts;
    for (std::uint64_t x = 1; texts.size() < 20'000;) {
        std::string text;
        for (int i = 0; i < 24; ++i, x = x * 6364136223846793005u + 1442695040888963407u)
            text += static_cast<char>('a' + (x >> 59));
        texts.push_back(text);
    }
    EXPECT_THAT(
        [&] {
            const test::FileSizeLimit limit(1 << 16);
            XlsxWorkbookWriter writer({path, "S", kColumns});
            writer.begin();
            for (const std::string& text : texts) writer.add_row({"1", text, "2.5", "2026-12-07"});
            writer.commit();
        },
        testing::ThrowsMessage<FileError>(testing::EndsWith("(a sheet's temporary file). File too large")));
    EXPECT_EQ("former", test::read_file(path));
    EXPECT_EQ("out.xlsx", test::list_folder(dir.path()));
}

}  // namespace
}  // namespace qvr
