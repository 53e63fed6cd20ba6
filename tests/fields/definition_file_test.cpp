#include "fields/definition_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qvr {
namespace {

using Rows = std::vector<FieldTable::Row>;

struct SaveCase {
    const char* what;
    Rows table;
    std::string bytes;
    Rows recalled;
};

TEST(DefinitionFile, SavesAndRecallsTheSameTable) {
    const SaveCase cases[] = {
        {"the default table in 27 bytes",
         {{"1st field", "1", "10", "10"}},
         "1st field 1    10   10   \r\n",
         {{"1st field ", "1", "10", "10"}}},
        {"names cut at 10 and padded to 10",
         {{"Customer code", "1", "6", "6"}, {"abc", "7", "9999", "10005"}},
         "Customer c1    6    6    \r\nabc       7    9999 10005 \r\n",
         {{"Customer c", "1", "6", "6"}, {"abc       ", "7", "9999", "10005"}}},
        {"numbers of 5 and more digits are written whole with one blank after",
         {{"big", "12345", "123456", "135800"}, {"x", "-2147483648", "2147483647", "-2"}},
         "big       12345 123456 135800 \r\nx         -2147483648 2147483647 -2   \r\n",
         {{"big       ", "12345", "123456", "135800"}, {"x         ", "-2147483648", "2147483647", "-2"}}},
        {"empty cells and cells without a whole number are saved as 0",
         {{"", "", "3", ""}, {"n", "abc", "1 2", "99999999999"}, {"last", "4", "5", "8"}},
         "          0    3    0    \r\nn         0    0    0    \r\nlast      4    5    8    \r\n",
         {{"          ", "0", "3", "0"}, {"n         ", "0", "0", "0"}, {"last      ", "4", "5", "8"}}},
        {"uncommitted digits stand as typed",
         {{"z", "007", "0012", "-5"}},
         "z         007  0012 -5   \r\n",
         {{"z         ", "7", "12", "-5"}}},
        {"a carriage return or Ctrl+Z in a name does not break the file",
         {{"a\rb\x1a"
           "c",
           "1", "2", "2"},
          {"tab\tin", "3", "1", "3"}},
         "a b c     1    2    2    \r\ntab\tin    3    1    3    \r\n",
         {{"a b c     ", "1", "2", "2"}, {"tab\tin    ", "3", "1", "3"}}},
    };
    for (const SaveCase& c : cases) {
        FieldTable table;
        table.assign_rows(c.table);
        const std::string bytes = definition_file_text(table);
        EXPECT_EQ(c.bytes, bytes) << c.what;
        EXPECT_EQ(c.recalled, parse_definition_text(bytes)) << c.what;
    }
}

struct ReadCase {
    const char* what;
    std::string bytes;
    Rows rows;
};

TEST(DefinitionFile, ReadsHandWrittenFiles) {
    const ReadCase cases[] = {
        {"tabs", "Code      1\t6\t\t6\r\n", {{"Code      ", "1", "6", "6"}}},
        {"numbers right after the name", "0123456789 1 2 3\r\n", {{"0123456789", "1", "2", "3"}}},
        {"text after the third number",
         "City      27 15 41 a note 12\r\nX 1 1 1\r\n",
         {{"City      ", "27", "15", "41"}, {"X 1 1 1", "0", "0", "0"}}},
        {"Ctrl+Z ends the file",
         "A         1 2 3\r\n\x1a"
         "B         4 5 8\r\n",
         {{"A         ", "1", "2", "3"}}},
        {"a lone line feed does not end a line",
         "A         1 2 3\nB 4 5 6\r\nC         7 8 9\r\n",
         {{"A         ", "1", "2", "3"}, {"C         ", "7", "8", "9"}}},
        {"numbers missing at the end read 0", "short", {{"short", "0", "0", "0"}}},
        {"numbers are looked for past a line end", "A         1\r\n2 3\r\n", {{"A         ", "1", "2", "3"}}},
        {"an empty line is a row",
         "A         1 2 3\r\n\r\n",
         {{"A         ", "1", "2", "3"}, {"", "0", "0", "0"}}},
    };
    for (const ReadCase& c : cases) EXPECT_EQ(c.rows, parse_definition_text(c.bytes)) << c.what;
}

TEST(DefinitionFile, NumbersThatAreNotWholeNumbersAreRefused) {
    const std::pair<std::string, std::string> cases[] = {
        {"A         1 x 3\r\n", "'x' is not a valid integer value"},
        {"A         1 2 3\r\nB         1.5 2 3\r\n", "'1.5' is not a valid integer value"},
        {"A         1 2 2147483648\r\n", "'2147483648' is not a valid integer value"},
        {"A         +1 2 3\r\n", "'+1' is not a valid integer value"},
        {"A         " + std::string(40, '7') + "\r\n",
         "'" + std::string(32, '7') + "' is not a valid integer value"},
    };
    for (const auto& [bytes, message] : cases)
        EXPECT_THAT([&] { parse_definition_text(bytes); }, testing::ThrowsMessage<NotAWholeNumber>(message));
}

}  // namespace
}  // namespace qvr
