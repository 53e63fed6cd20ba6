#include "common/text_encoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "common/file_error.h"
#include "common/stop_request.h"
#include "dbase/dbf_export.h"
#include "engine/fast_extract.h"
#include "engine/standard_extract.h"
#include "fields/definition_file.h"
#include "fields/field_detection.h"
#include "fields/layout_check.h"
#include "input/cut_preview.h"
#include "input/input_analysis.h"
#include "input/view_fill.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using namespace std::string_literals;
using test::TempDir;

/// What one reader of the input makes of the file at `path` read in `encoding`.
using Reader = std::function<std::string(const std::string& path, TextEncoding encoding)>;

std::string extract(const std::string& path, TextEncoding encoding, bool fast, bool sorted) {
    ExtractJob job;
    std::tie(job.input_path, job.output_path, job.encoding, job.sorted) =
        std::tuple(path, path + ".out", encoding, sorted);
    job.slices = {{1, 5}, {6, 4}};
    job.separator = ";";
    RunTally tally;
    fast ? fast_extract(job, ExtractHooks(), tally) : void(standard_extract(job, ExtractHooks(), tally));
    return test::read_file(job.output_path);
}

FieldTable name_and_quantity() {
    FieldTable table;
    table.assign_rows({{"NAME", "1", "5", "5"}, {"QTY", "6", "4", "9"}});
    return table;
}

// A byte order mark in front: in UTF-8 every reader sees the file as if it were not there, in
// Windows-1252 as three characters of the first line; a UTF-16 mark is refused by each.
TEST(TextStart, EveryReaderOfTheInputSkipsAUtf8MarkAndRefusesAUtf16One) {
    TempDir dir;
    const std::string text = "Name  Qty\r\napple  12\r\npear   34\r\nplum  567\r\n";
    const std::string plain = dir.write("plain.txt", text);
    const std::string marked = dir.write("marked.txt", "\xEF\xBB\xBF" + text);
    const std::string utf16 = dir.write("utf16.txt", "\xFF\xFEN\0a\0m\0e\0\r\0\n\0"s);
    const std::string utf16be = dir.write("utf16be.txt", "\xFE\xFF\0N\0a"s);
    const std::pair<const char*, Reader> readers[] = {
        {"standard extract", [](auto& p, auto e) { return extract(p, e, false, false); }},
        {"sorted extract", [](auto& p, auto e) { return extract(p, e, false, true); }},
        {"fast extract", [](auto& p, auto e) { return extract(p, e, true, false); }},
        {"dBase export",
         [](auto& p, auto e) {
             DbfExportJob job;
             std::tie(job.input_path, job.target, job.encoding) = std::tuple(p, p + ".dbf", e);
             job.columns = {{{"NAME", 5}, "1"}, {{"QTY", 4}, "6"}};
             DbfExport(job).run({});
             return test::read_file(p + ".dbf");
         }},
        {"analysis", [](auto& p, auto e) { return measure_input_lines(p, 1 << 17, e).lengths.text(); }},
        {"analysis in blocks of a byte",
         [](auto& p, auto e) { return measure_input_lines(p, 1, e).lengths.text(); }},
        {"preview",
         [](auto& p, auto e) { return cut_preview(p, name_and_quantity(), false, 2, e).rows.at(0).at(0); }},
        {"check", [](auto& p, auto e) { return check_layout(p, e, name_and_quantity()).report; }},
        {"detect", [](auto& p, auto e) { return definition_file_text(detect_fields(p, e).table); }},
        {"input view, first lines",
         [](auto& p, auto e) {
             LineList lines;
             fill_first_lines(lines, p, 2, 1 << 20, e);
             return std::string(lines[0]);
         }},
        {"input view, whole file",
         [](auto& p, auto e) {
             LineList lines;
             fill_whole_file(lines, p, 1 << 20, e);
             return std::string(lines[0]);
         }},
    };
    for (const auto& [name, read] : readers) {
        EXPECT_EQ(read(plain, TextEncoding::utf8), read(marked, TextEncoding::utf8)) << name;
        EXPECT_NE(read(plain, TextEncoding::cp1252), read(marked, TextEncoding::cp1252)) << name;
        for (const std::string& path : {utf16, utf16be})
            for (TextEncoding encoding : {TextEncoding::utf8, TextEncoding::cp1252})
                EXPECT_THAT(
                    [&] { read(path, encoding); },
                    testing::ThrowsMessage<FileError>(
                        "Cannot read file " + path +
                        ". It is UTF-16 text (it begins with a UTF-16 byte order mark); convert it to "
                        "UTF-8 first (iconv -f UTF-16 -t UTF-8)"))
                    << name;
    }
}

// Fed whole or in pieces of any size, a text gives the same counts: a character cut by a piece's end
// is judged with the next piece, and one cut by the text's end is invalid.
TEST(Utf8Tally, CountsCharactersAndInvalidBytesWhateverThePieces) {
    const std::tuple<std::string, std::uint64_t, std::uint64_t> cases[] = {
        {"plain ascii text", 0, 0},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", 3, 0},
        {"caf\xE9 na\xEFve", 0, 2},
        {"\xE2\x82", 0, 2},
        {"\xED\xA0\x80 \xC0\xAF \xF4\x90\x80\x80", 0, 9},
        {"\xE2\xE2\x82\xAC\xC3", 1, 2},
    };
    for (const auto& [text, characters, invalid] : cases)
        for (std::size_t piece = 1; piece <= 8; ++piece) {
            Utf8Tally tally;
            for (std::size_t at = 0; at < text.size(); at += piece)
                tally.feed(std::string_view(text).substr(at, piece));
            tally.finish();
            EXPECT_EQ(std::pair(characters, invalid), std::pair(tally.characters(), tally.invalid_bytes()))
                << text << " in pieces of " << piece;
        }
}

TEST(Utf8Tally, RunsNameTheirEncodingAndWhatTheyMet) {
    Utf8Tally clean, rare, cp1252_text;
    for (int i = 0; i < 2000; ++i) clean.feed("\xC3\xA9");
    rare = clean;
    rare.feed("\xFF\xFF");
    for (int i = 0; i < 2000; ++i) cp1252_text.feed("\xE9 ");
    const std::tuple<TextEncoding, Utf8Tally, std::string> cases[] = {
        {TextEncoding::utf8, clean, "Encoding: UTF-8"},
        {TextEncoding::utf8, rare, "Encoding: UTF-8 (2 invalid bytes kept as they are)"},
        {TextEncoding::cp1252, cp1252_text, "Encoding: Windows-1252"},
        {TextEncoding::cp1252, rare,
         "Encoding: Windows-1252, but the input holds 2000 UTF-8 characters beyond ASCII, each cut as 2 to 4 "
         "columns: in UTF-8 they are one each"},
    };
    for (const auto& [used, met, line] : cases) EXPECT_EQ(line, encoding_line(used, met));
}

}  // namespace
}  // namespace qvr
