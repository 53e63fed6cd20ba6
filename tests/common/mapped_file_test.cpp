#include <unistd.h>

#include <gtest/gtest.h>

#include "common/line_list.h"
#include "common/mapped_file.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using Lines = std::vector<std::string>;

Lines lines_of(const LineList& list) {
    Lines out;
    for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list[i]);
    return out;
}

// A mapped file cuts into the lines its copy does, up to the lines asked for, and changes as a copy.
TEST(MappedLines, AFileMappedCutsAsItsTextTakenWhole) {
    const std::string big(3 * 4096, 'x');
    const struct {
        std::string text;
        std::size_t max_lines;
    } rows[] = {{"", 9},          {"a", 9},           {"a\r\nb\rc\nd\r\n", 9},
                {"a\r\nb\rc", 2}, {std::string("x\0y\r\nz", 6), 9}, {big + "\r\n" + big, 9}};
    test::TempDir dir;
    for (const auto& row : rows) {
        LineList copied, mapped;
        copied.assign_text(row.text, LineList::Ends::whole_text);
        const bool whole = mapped.assign_file(dir.write("f", row.text), row.max_lines);
        const Lines all = lines_of(copied);
        EXPECT_EQ(Lines(all.begin(), all.begin() + std::min(all.size(), row.max_lines)), lines_of(mapped));
        EXPECT_EQ(all.size() <= row.max_lines, whole) << row.text.size();
        if (whole) {
            EXPECT_EQ(copied.longest(), mapped.longest());
        }
    }
    LineList mapped;
    mapped.assign_file(dir.write("g", "a\r\nb"), 9);
    mapped.append("c");
    mapped.insert_before({0}, {"0"});
    EXPECT_EQ((Lines{"0", "a", "b", "c"}), lines_of(mapped));
}

// Another program shrinking the file under the view: the lost part reads as zeros, the program lives.
TEST(MappedLines, AFileShrunkWhileMappedReadsAsZeros) {
    test::TempDir dir;
    const std::string path = dir.write("f", std::string(4 * 4096, 'a') + "\r\n" + std::string(4 * 4096, 'b'));
    LineList mapped;
    mapped.assign_file(path, 9);
    ASSERT_EQ(0, ::truncate(path.c_str(), 4096));
    EXPECT_EQ(std::string(4096, 'a') + std::string(3 * 4096, '\0'), std::string(mapped[0]));
    EXPECT_EQ(std::string(4 * 4096, '\0'), std::string(mapped[1]));
}

}  // namespace
}  // namespace qvr
