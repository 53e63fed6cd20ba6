#include <gtest/gtest.h>

#include <string>

#include "dbase/dbf_export.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::bytes;
using test::TempDir;

/// The records part of the table written from `input` (one column of `length` bytes from column `start`):
/// everything after the header, end-of-file marker included.
std::string records_of(const TempDir& dir, const std::string& input, std::int32_t start,
                       std::int32_t length) {
    DbfExportJob job;
    job.input_path = input;
    job.target = dir.file("t.dbf");
    job.columns = {{{"F", length}, std::to_string(start)}};
    DbfExport(job).run({});
    return test::read_file(job.target).substr(32 * 2 + 1);
}

TEST(DbfFaults, BinaryAndLineEndOnlyInputsGiveExactRecords) {
    const struct {
        const char* what;
        std::string input;
        std::int32_t start;
        std::int32_t length;
        std::string records;
    } cases[] = {
        // CR, LF and CR LF end a line, Ctrl+Z (26) the input; NUL is a byte of a line.
        {"every byte value", "x\r\n" + bytes(1, 255) + std::string(1000, '\0'), 1, 20,
         " x                   " + (" " + bytes(1, 9) + std::string(11, ' ')) +
             (" " + bytes(11, 12) + std::string(18, ' ')) + (" " + bytes(14, 25) + "        ") + "\x1a"},
        {"NUL runs", std::string(30, '\0') + "\r\n", 1, 20, " " + std::string(20, '\0') + "\x1a"},
        {"only line feeds", std::string(100000, '\n'), 1, 20,
         test::repeated(std::string(21, ' '), 100000) + "\x1a"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        EXPECT_EQ(c.records, records_of(dir, dir.write("in.txt", c.input), c.start, c.length)) << c.what;
    }
}

TEST(DbfFaults, ALongLineIsReadPastAsFarAsTheColumnsGo) {
    TempDir dir;
    const std::string input =
        test::make_sparse_file(dir.file("in.txt"), 100'000'000, "0001Alice", "tail\r\nnext\r\n");
    const std::int64_t memory_before = test::peak_memory();
    EXPECT_EQ(" 0001Alice next     \x1a", records_of(dir, input, 1, 9));
    EXPECT_GT(32 << 20, test::peak_memory() - memory_before);
}

}  // namespace
}  // namespace qvr
