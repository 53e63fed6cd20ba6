#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/whole_text.h"
#include "dbase/dbf_export.h"
#include "engine/fast_extract.h"
#include "engine/standard_extract.h"
#include "fields/definition_file.h"
#include "fields/field_detection.h"
#include "fields/layout_check.h"
#include "input/cut_preview.h"
#include "input/input_analysis.h"
#include "input/view_fill.h"
#include "shell/config_file.h"
#include "shell/job_log_file.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

// Every reader of the program, from the line reader to the job log, meets the same places that are no
// file on disk the same way.
namespace qvr {
namespace {

TEST(ReaderFaults, EveryReaderRefusesWhatIsNotAFileOnDiskWithoutWaiting) {
    test::TempDir dir;
    const std::string unreadable = dir.write("unreadable.txt", "a\r\n");
    ::chmod(unreadable.c_str(), 0);
    const std::pair<std::string, std::string> cases[] = {
        {test::make_fifo(dir.file("pipe.txt")), "It is not a regular file"},
        {test::make_link(dir.file("zero.txt"), "/dev/zero"), "It is not a regular file"},
        {test::make_link(dir.file("null.txt"), "/dev/null"), "It is not a regular file"},
        {test::make_folder(dir.file("folder.txt")), "Is a directory"},
        {unreadable, "Permission denied"},
    };
    LinkTexts links;
    const std::pair<const char*, std::function<void(const std::string&)>> readers[] = {
        {"line by line", [](const std::string& path) { LineReader{path}; }},
        {"whole file", [](const std::string& path) { load_whole_file(path); }},
        {"analysis size", [](const std::string& path) { input_file_size(path); }},
        {"analysis lines", [](const std::string& path) { count_input_lines(path); }},
        // With little memory to spare, so its size check must not speak first for what is no file.
        {"definition file", [](const std::string& path) { read_definition_file(path, 16); }},
        {"configuration", [&links](const std::string& path) { apply_config_file(path, links); }},
        {"job log", [](const std::string& path) { JobLogFile(path).load([](std::string_view) {}); }},
    };
    const test::HangGuard guard(30);
    const test::PermissionsHold permissions;
    for (const auto& [name, read] : readers)
        for (const auto& [path, reason] : cases)
            EXPECT_THAT([&] { read(path); },
                        testing::ThrowsMessage<FileError>("Cannot open file " + path + ". " + reason))
                << name;
}

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

}  // namespace
}  // namespace qvr
