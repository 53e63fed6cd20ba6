// Inputs framed as records (fixed length, descriptor words), header and trailer lines left out, and code
// pages decoded: through each path that cuts records.

#include <gtest/gtest.h>

#include "batch_harness.h"
#include "outputs/read_back.h"

namespace qvr::test {
namespace {

std::string rdw(std::initializer_list<std::string_view> records) {
    std::string bytes;
    for (const std::string_view r : records) {
        const std::size_t n = r.size() + 4;
        bytes += {static_cast<char>(n >> 8), static_cast<char>(n & 0xFF), '\0', '\0'};
        bytes += r;
    }
    return bytes;
}

// Every path (the standard extract, its sorted run, the fast extract, the dBase export) reads the same
// records under each framing.
TEST(BatchRecords, EachFramingGivesTheSameRecordsOnEveryPath) {
    TempDir dir;
    const Args fields = {"--field", "K:1:2", "--field", "V:3:2", "--encoding", "cp1252", "--no-header"};
    struct Case {
        std::string input;
        Args framing;
    } cases[] = {
        {"HEAD\r\nb 22\r\na 11\r\nTAIL\r\nEND\r\n", {"--skip-lines", "1", "--skip-last", "2"}},
        {"b 22a 11", {"--record-length", "4"}},
        {"XXXXb 22a 11YYYY", {"--record-length", "4", "--skip-lines", "1", "--skip-last", "1"}},
        {rdw({"b 22", "a 11\r\n"}), {"--record-format", "rdw"}},
        {rdw({"H", "b 22", "a 11"}), {"--record-format", "rdw", "--skip-lines", "1"}},
    };
    for (const Case& c : cases) {
        const std::string in = dir.write("in.dat", c.input);
        for (const Args& path : {Args{}, Args{"--sorted"}, Args{"--fast"}}) {
            const std::string out = dir.file("out.txt");
            const BatchOutcome r = run_batch_in_process(
                join({{"extract", "--input", in, "--output", out, "--overwrite"}, fields, c.framing, path}));
            EXPECT_EQ(0, r.status) << c.framing[0] << r.err;
            EXPECT_EQ(path.empty() || path[0] == "--fast" ? "b ;22\r\na ;11\r\n" : "a ;11\r\nb ;22\r\n",
                      read_file(out))
                << c.framing[0] << " " << (path.empty() ? "" : path[0]);
        }
        const BatchOutcome dbf =
            run_batch_in_process(join({{"dbf", "--input", in, "--output", dir.file("t.dbf"), "--overwrite"},
                                       {fields.begin(), fields.end() - 1},
                                       c.framing}));
        EXPECT_EQ(0, dbf.status) << dbf.err;
        const std::string table = read_file(dir.file("t.dbf"));
        EXPECT_EQ(2, table[4]) << c.framing[0];  // the record count
        EXPECT_NE(std::string::npos, table.find(" b 22 a 11\x1A")) << c.framing[0];
    }
}

// A framing the input breaks fails the run and keeps the former result; framings that cannot be are
// refused before anything is read.
TEST(BatchRecords, BrokenOrImpossibleFramingsWriteNothing) {
    TempDir dir;
    const std::string in = dir.write("in.dat", "b 22a 1");
    const std::string out = dir.write("out.txt", "old\r\n");
    const auto run = [&](const Args& more) {
        return run_batch_in_process(
            join({{"extract", "--input", in, "--output", out, "--overwrite", "--field", "K:1:2"}, more}));
    };
    const std::pair<Args, std::string> cases[] = {
        {{"--record-length", "4"},
         "Cannot read file " + in +
             ". Its last record (record 2, at byte 4) has 3 bytes, fewer than the record length of 4."},
        {{"--record-length", "0"}, "--record-length must be from 1 to 16777216"},
        {{"--record-length", "4", "--record-format", "rdw"},
         "--record-length cannot be used with --record-format"},
        {{"--skip-last", "100001"}, "--skip-last can be at most 100000"},
        {{"--skip-lines", "-1"}, "--skip-lines '-1' is not a whole number"},
        {{"--record-format", "vb"}, "--record-format 'vb' is not lines or rdw"},
    };
    for (const auto& [more, err] : cases) {
        const BatchOutcome r = run(more);
        EXPECT_EQ(more == cases[0].first ? 1 : 2, r.status) << err;  // the others are usage errors
        EXPECT_NE(std::string::npos, r.err.find(err)) << r.err;
        EXPECT_EQ("old\r\n", read_file(out));
    }
}

// The same records in Windows-1252 lines and in cp037 without line ends give the same UTF-8 values,
// trimmed and filtered as decoded text (the EBCDIC blank is 0x40, not 0x20).
TEST(BatchRecords, Cp037RecordsGiveTheValuesOfTheirWindows1252Lines) {
    TempDir dir;
    // "Zoë  ", "12", "Ça va"; "Euro ", "34", "¬ § ±"
    const std::string latin = dir.write("latin.txt",
                                        "Zo\xEB  12\xC7"
                                        "a va\r\nEuro 34\xAC \xA7 \xB1\r\n");
    const std::string ebcdic = dir.write("ebcdic.dat",
                                         "\xE9\x96\x53\x40\x40\xF1\xF2\x68\x81\x40\xA5\x81"
                                         "\xC5\xA4\x99\x96\x40\xF3\xF4\x5F\x40\xB5\x40\x8F");
    const Args fields = {"--field", "Name:1:5", "--field", "N:6:2", "--field", "Text:8:5", "--trim"};
    const BatchOutcome a =
        run_batch_in_process(join({{"extract", "--input", latin, "--output", dir.file("a.txt"), "--encoding",
                                    "cp1252", "--output-encoding", "utf-8", "--contains", "\xC7"},
                                   fields}));
    const BatchOutcome b =
        run_batch_in_process(join({{"extract", "--input", ebcdic, "--output", dir.file("b.txt"), "--encoding",
                                    "cp037", "--record-length", "12", "--contains", "Ç"},
                                   fields}));
    EXPECT_EQ(0, a.status) << a.err;
    EXPECT_EQ(0, b.status) << b.err;
    EXPECT_EQ("Name;N;Text\r\nZoë;12;Ça va\r\n", read_file(dir.file("b.txt")));
    EXPECT_EQ(read_file(dir.file("a.txt")), read_file(dir.file("b.txt")));
    EXPECT_EQ("Number of lines generated: 1\nEncoding: cp037 (a byte a column, text decoded)\n", b.err);
}

// Packed and binary fields of cp037 records are read from their bytes, the text beside them decoded
// (a character of two UTF-8 bytes before them shifts nothing), whichever way the run writes.
TEST(BatchRecords, Cp037PackedAndBinaryFieldsAreReadFromTheRecordBytes) {
    TempDir dir;
    // "Çab ", 123.45, -100; "A   ", -1.00, 256
    const std::string input = dir.write("in.dat", std::string("\x68\x81\x82\x40\x12\x34\x5C\xFF\x9C"
                                                              "\xC1\x40\x40\x40\x00\x10\x0D\x01\x00",
                                                              18));
    const Args base = {
        "extract",    "--input",  input,     "--encoding",           "cp037",   "--record-length", "9",
        "--field",    "Name:1:4", "--field", "Amount:5:3:packed(2)", "--field", "N:8:2:binary(0)", "--trim",
        "--overwrite"};
    const std::string text = dir.file("out.txt"), db = dir.file("out.db");
    for (const Args& more : {Args{"--output", text}, Args{"--output", text, "--fast"}}) {
        const BatchOutcome r = run_batch_in_process(join({base, more}));
        EXPECT_EQ(0, r.status) << r.err;
        EXPECT_EQ(
            std::string(more.size() == 2 ? "Name;Amount;N\r\n" : "") + "Çab;123.45;-100\r\nA;-1.00;256\r\n",
            read_file(text))
            << more.back();
    }
    const BatchOutcome r = run_batch_in_process(join({base, {"--output", db, "--format", "sqlite"}}));
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ((std::vector<std::string>{"text:Çab|real:123.45|int:-100", "text:A|int:-1|int:256"}),
              query(db, "SELECT * FROM \"in\""));
}

}  // namespace
}  // namespace qvr::test
