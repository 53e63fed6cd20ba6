// The record framings' speed on one file each of about the same size:
//   records_bench make /tmp/r 500      writes /tmp/r.fix (100-byte records), /tmp/r.rdw (20 to 200 bytes
//                                      behind descriptor words), /tmp/r.txt (99 bytes and LF), 500 MB each
//   records_bench /tmp/r               reads each; also routed by type, with the last 10 skipped, and
//                                      decoded from cp037 in fields of 10 bytes
// Run it twice and take the second figures: the files are then in the page cache.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/code_page.h"
#include "common/record_reader.h"
#include "engine/record_types.h"

namespace {

using namespace qvr;

/// Processor time of this process, user and system: on a shared machine it tells the work apart from the
/// wait for a core.
double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](timeval t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void write_files(const std::string& prefix, std::uint64_t megabytes) {
    std::FILE* fix = std::fopen((prefix + ".fix").c_str(), "wb");
    std::FILE* rdw = std::fopen((prefix + ".rdw").c_str(), "wb");
    std::FILE* txt = std::fopen((prefix + ".txt").c_str(), "wb");
    if (!fix || !rdw || !txt) {
        std::perror(prefix.c_str());
        std::exit(1);
    }
    std::uint64_t state = 88172645463325252ull;
    std::string record;
    for (std::uint64_t n = 0; n < megabytes * 10000; ++n) {
        record.clear();
        for (int i = 0; i < 100; ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            // EBCDIC letters, digits and blanks, and one byte in 200 beyond ASCII; no line end among them.
            static constexpr char kText[] =
                "\xC1\xC2\xC3\xC4\xC5\xD1\xD2\xD3\xE2\xE3\xF0\xF1\xF2\xF9\x40\x40";
            record += state % 200 == 0 ? '\x9F' : kText[state % 16];
        }
        std::fwrite(record.data(), 1, 100, fix);
        std::fwrite(record.data(), 1, 99, txt);
        std::fputc('\n', txt);
        const std::size_t size = 20 + state % 181;  // 110 on average, words included
        const char word[4] = {static_cast<char>(size >> 8), static_cast<char>(size & 0xFF), 0, 0};
        std::fwrite(word, 1, 4, rdw);
        for (std::size_t i = 4; i < size; ++i) std::fputc(record[i % 100], rdw);
    }
    std::fclose(fix);
    std::fclose(rdw);
    std::fclose(txt);
}

enum class Work { framing, decode, route };

void measure(const char* what, const std::string& path, const RecordFraming& framing, Work work) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_seconds();
    const auto reader = open_records(path, framing, TextEncoding::cp1252);
    const CodePageTable& cp037 = code_page_table(CodePage::cp037);
    // Six tables by the first byte and one for the rest, the batch number of one type carried to the others.
    RecordRouter router({1, 1}, {"\xC1", "\xC2", "\xC3", "\xC4", "\xC5", "\xD1", "*"},
                        {{"\xC2", {2, 7}, "BatchNum"}});
    std::string text;
    std::uint64_t records = 0, sum = 0;
    for (std::string_view r; reader->next(r); ++records) {
        if (work == Work::route) {
            sum += router.route(r) + router.carried_value(0).size();
        } else if (work == Work::decode) {
            if (text.size() < r.size() * CodePageTable::kMostBytesPerByte + 1)
                text.resize(r.size() * CodePageTable::kMostBytesPerByte + 1);
            // Field by field, as a run decodes its text fields.
            for (std::size_t at = 0; at < r.size(); at += 10)
                sum +=
                    static_cast<std::uint64_t>(cp037.decode_to(r.substr(at, 10), text.data()) - text.data());
        } else {
            sum += static_cast<unsigned char>(r.empty() ? 0 : r[0]);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpu_seconds() - cpu_start;
    const double megabytes = static_cast<double>(reader->bytes_read()) / 1e6;
    std::printf("%-28s %9llu records %6.0f MB/s, %6.0f MB/s of processor time (check %llu)\n", what,
                static_cast<unsigned long long>(records), megabytes / seconds, megabytes / cpu,
                static_cast<unsigned long long>(sum));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "make") {
        write_files(argv[2], std::strtoull(argv[3], nullptr, 10));
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: records_bench make PREFIX MEGABYTES | records_bench PREFIX\n");
        return 2;
    }
    const std::string prefix = argv[1];
    measure("lines", prefix + ".txt", {}, Work::framing);
    measure("lines, routed", prefix + ".txt", {}, Work::route);
    measure("fixed 100", prefix + ".fix", {RecordFormat::fixed, 100, 0, 0}, Work::framing);
    measure("fixed 100, routed", prefix + ".fix", {RecordFormat::fixed, 100, 0, 0}, Work::route);
    measure("rdw", prefix + ".rdw", {RecordFormat::rdw, 0, 0, 0}, Work::framing);
    measure("fixed 100, skip last 10", prefix + ".fix", {RecordFormat::fixed, 100, 0, 10}, Work::framing);
    measure("fixed 100, decoded cp037", prefix + ".fix", {RecordFormat::fixed, 100, 0, 0}, Work::decode);
    return 0;
}
