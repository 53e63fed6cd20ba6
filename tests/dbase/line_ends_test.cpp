// Every reader of the input cuts the same lines from the same file, whatever its line ends.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/line_list.h"
#include "common/line_reader.h"
#include "common/whole_text.h"
#include "dbase/dbf_export.h"
#include "dbase/dbf_read_back.h"
#include "engine/fast_extract.h"
#include "engine/standard_extract.h"
#include "input/input_analysis.h"
#include "input/view_fill.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using Lines = std::vector<std::string>;

Lines result_lines(const std::string& bytes) {
    Lines out;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", at);
        out.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

Lines extract_lines(const test::TempDir& dir, bool fast) {
    ExtractJob job;
    job.input_path = dir.file("in.txt");
    job.output_path = dir.file("out.txt");
    job.slices = {{1, 100}};
    job.separator = ";";
    ExtractHooks hooks;
    RunTally tally;
    if (fast)
        fast_extract(job, hooks, tally);
    else
        standard_extract(job, hooks, tally);
    return result_lines(test::read_file(job.output_path));
}

Lines view_lines(const LineList& list) {
    Lines out;
    for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list[i]);
    return out;
}

const std::vector<std::pair<std::string, std::function<Lines(const test::TempDir&)>>> kReaders = {
    {"line reader, 1-byte blocks",
     [](const test::TempDir& d) {
         LineReader reader(d.file("in.txt"), 1);
         Lines out;
         std::string_view line;
         while (reader.next(line)) out.emplace_back(line);
         return out;
     }},
    {"whole text",
     [](const test::TempDir& d) {
         const std::string text = test::read_file(d.file("in.txt"));
         WholeTextLines lines(text);
         Lines out;
         std::string_view line;
         while (lines.next(line)) out.emplace_back(line);
         return out;
     }},
    {"standard extract", [](const test::TempDir& d) { return extract_lines(d, false); }},
    {"fast extract", [](const test::TempDir& d) { return extract_lines(d, true); }},
    {"dBase export",
     [](const test::TempDir& d) {
         DbfExportJob job;
         job.input_path = d.file("in.txt");
         job.target = d.file("out.dbf");
         job.columns = {{{"LINE", 10}, "1"}};
         DbfExport(job).run({});
         Lines out;
         for (const auto& row : test::read_back_dbf(job.target).values) out.push_back(row[0]);
         return out;
     }},
    {"view, first lines",
     [](const test::TempDir& d) {
         LineList list;
         fill_first_lines(list, d.file("in.txt"), 100, UINT64_MAX / 4);
         return view_lines(list);
     }},
    {"view, whole file",
     [](const test::TempDir& d) {
         LineList list;
         fill_whole_file(list, d.file("in.txt"), UINT64_MAX / 4);
         return view_lines(list);
     }},
    {"analysis count",
     [](const test::TempDir& d) {
         return Lines(static_cast<std::size_t>(count_input_lines(d.file("in.txt"), 2)), "?");
     }},
};

TEST(LineEnds, EveryReaderCutsTheSameLines) {
    const std::pair<std::string, Lines> files[] = {
        {"ab\r\n\r\ncd\r\n", {"ab", "", "cd"}}, {"ab\n\ncd\n", {"ab", "", "cd"}},
        {"ab\r\rcd\r", {"ab", "", "cd"}},       {"ab\n\r\ncd", {"ab", "", "cd"}},
        {"ab\r\n\rcd\n", {"ab", "", "cd"}},
    };
    test::TempDir dir;
    for (const auto& [bytes, lines] : files) {
        dir.write("in.txt", bytes);
        for (const auto& [reader, read] : kReaders) {
            const Lines expected = reader == "analysis count" ? Lines(lines.size(), "?") : lines;
            EXPECT_EQ(expected, read(dir)) << reader << " on '" << bytes << "'";
        }
    }
}

}  // namespace
}  // namespace qvr
