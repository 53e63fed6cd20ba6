// Every reader of the input cuts the same lines from the same file, whatever its line ends.

#include <gtest/gtest.h>

#include <functional>

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

Lines extract_lines(const std::string& in, bool fast) {
    ExtractJob job;
    job.input_path = in;
    job.output_path = in + ".out";
    job.slices = {{1, 100}};
    job.line_end = "|";
    RunTally tally;
    fast ? fast_extract(job, {}, tally) : void(standard_extract(job, {}, tally));
    const std::string bytes = test::read_file(job.output_path);
    Lines out;
    for (std::size_t at = 0, end; (end = bytes.find('|', at)) != std::string::npos; at = end + 1)
        out.push_back(bytes.substr(at, end - at));
    return out;
}

Lines view_lines(const std::string& in) {
    LineList list;
    fill_first_lines(list, in, 100, UINT64_MAX / 4);
    Lines out;
    for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list[i]);
    return out;
}

Lines dbf_lines(const std::string& in) {
    DbfExportJob job;
    job.input_path = in;
    job.target = in + ".dbf";
    job.columns = {{{"LINE", 10}, "1"}};
    DbfExport(job).run({});
    Lines out;
    for (const auto& row : test::read_back_dbf(job.target).values) out.push_back(row[0]);
    return out;
}

TEST(LineEnds, EveryReaderCutsTheSameLines) {
    const std::vector<std::pair<const char*, std::function<Lines(const std::string&)>>> readers = {
        {"standard extract", [](const std::string& in) { return extract_lines(in, false); }},
        {"fast extract", [](const std::string& in) { return extract_lines(in, true); }},
        {"dBase export", dbf_lines},
        {"view, first lines", view_lines},
    };
    const std::pair<const char*, Lines> files[] = {
        {"ab\r\nab\r\n", {"ab", "ab"}}, {"ab\nab\n", {"ab", "ab"}},         {"ab\rab\r", {"ab", "ab"}},
        {"ab\n\rab", {"ab", "", "ab"}}, {"ab\r\n\nab\n", {"ab", "", "ab"}},
    };
    test::TempDir dir;
    for (const auto& [bytes, lines] : files) {
        const std::string in = dir.write("in.txt", bytes);
        for (const auto& [reader, read] : readers) EXPECT_EQ(lines, read(in)) << reader << " on " << bytes;
        EXPECT_EQ(static_cast<std::int64_t>(lines.size()), count_input_lines(in, 2)) << bytes;
    }
}

}  // namespace
}  // namespace qvr
