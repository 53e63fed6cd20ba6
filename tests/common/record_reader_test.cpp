#include "common/record_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "common/file_error.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using Records = std::vector<std::string>;
using testing::HasSubstr;

Records read_all(RecordReader& reader) {
    Records out;
    for (std::string_view r; reader.next(r);) out.emplace_back(r);
    return out;
}

std::string rdw(const std::string& record) {
    const std::size_t size = record.size() + 4;
    return std::string{static_cast<char>(size >> 8), static_cast<char>(size & 0xFF), 0, 0} + record;
}

Records random_records(std::size_t count, std::size_t most, unsigned seed, std::size_t fixed = 0) {
    std::mt19937 random(seed);
    Records out(count);
    for (std::string& r : out) {
        r.resize(fixed ? fixed : random() % (most + 1));
        for (char& c : r) c = static_cast<char>(random());  // every byte, line ends included
    }
    return out;
}

// Records come back exactly whatever the buffer: a record cut by the buffer's end is joined.
TEST(FixedRecords, GivesBackEveryRecordAtAnyBufferSize) {
    test::TempDir dir;
    for (const std::size_t length : {1, 7, 94, 1000}) {
        const Records records = random_records(300, 0, static_cast<unsigned>(length), length);
        std::string file;
        for (const std::string& r : records) file += r;
        const std::string path = dir.write("f.dat", file);
        for (const std::size_t buffer : {1, 5, 95, 4096, 1 << 20}) {
            FixedRecords reader(path, length, buffer);
            EXPECT_EQ(read_all(reader), records) << length << " bytes, buffer " << buffer;
            EXPECT_EQ(reader.bytes_read(), file.size());
        }
    }
}

TEST(FixedRecords, ShortLastRecordIsReportedNotPadded) {
    test::TempDir dir;
    const std::string path = dir.write("f.dat", std::string(30, 'a') + "bcdef");
    FixedRecords reader(path, 10, 16);
    std::string_view r;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(reader.next(r));
    EXPECT_THAT(
        [&] { reader.next(r); },
        testing::ThrowsMessage<FileError>(
            "Cannot read file " + path +
            ". Its last record (record 4, at byte 30) has 5 bytes, fewer than the record length of 10"));
}

TEST(RdwRecords, GivesBackEveryRecordAcrossBuffers) {
    test::TempDir dir;
    Records records = random_records(2000, 300, 1);
    records.insert(records.begin() + 700, std::string(RdwRecords::kMostRecordSize - 4, 'x'));  // the longest
    records.insert(records.begin() + 5, std::string());
    std::string file;
    for (const std::string& r : records) file += rdw(r);
    const std::string path = dir.write("v.dat", file);
    RdwRecords reader(path, 1000);
    EXPECT_EQ(read_all(reader), records);
    EXPECT_EQ(reader.bytes_read(), file.size());
}

TEST(RdwRecords, BrokenFramingNamesTheRecordAndItsOffset) {
    const std::string good = rdw("abc") + rdw("");  // records 1 and 2, 11 bytes
    const std::pair<std::string, std::string> kCases[] = {
        {good + rdw("hello").substr(0, 7),
         "Its last record is cut short: 3 of its 5 bytes are there (record 3, at byte 11)"},
        {good + std::string("\x00\x09\x00", 3),
         "Its last record descriptor word is cut short (record 3, at byte 11)"},
        {good + std::string("\x00\x03\x00\x00", 4), "(record 3, at byte 11)"},
        {good + std::string("\x00\x05\x01\x00x", 5),
         "its last two bytes are not zero (record 3, at byte 11)"},
    };
    test::TempDir dir;
    for (const auto& [file, message] : kCases) {
        const std::string path = dir.write("v.dat", file);
        RdwRecords reader(path);
        std::string_view r;
        ASSERT_TRUE(reader.next(r) && reader.next(r));
        EXPECT_THAT([&] { reader.next(r); }, testing::ThrowsMessage<FileError>(HasSubstr(message)));
    }
}

TEST(SkippedRecords, LeavesOutFirstAndLastRecords) {
    test::TempDir dir;
    const std::string path = dir.write("l.txt", "1\n2\n3\n4\n5\n6\n");
    const std::tuple<std::uint64_t, std::uint64_t, Records> kCases[] = {
        {0, 0, {"1", "2", "3", "4", "5", "6"}},
        {2, 0, {"3", "4", "5", "6"}},
        {0, 1, {"1", "2", "3", "4", "5"}},
        {1, 3, {"2", "3"}},
        {3, 3, {}},
        {0, 6, {}},
        {0, 9, {}},
        {9, 0, {}},
    };
    for (const auto& [first, last, expected] : kCases) {
        const auto reader = open_records(path, {RecordFormat::lines, 0, first, last}, TextEncoding::cp1252);
        EXPECT_EQ(read_all(*reader), expected) << "skip " << first << " and " << last;
    }
}

TEST(OpenRecords, RefusesFramingsThatCannotBe) {
    test::TempDir dir;
    const std::string path = dir.write("f.dat", "abc");
    EXPECT_THROW(open_records(path, {RecordFormat::fixed, 0, 0, 0}, TextEncoding::cp1252), UserError);
    EXPECT_THROW(open_records(path, {RecordFormat::lines, 0, 0, kMostSkippedLast + 1}, TextEncoding::cp1252),
                 UserError);
    EXPECT_THROW(open_records(dir.file("none"), {RecordFormat::rdw, 0, 0, 0}, TextEncoding::cp1252),
                 FileError);
}

}  // namespace
}  // namespace qvr
