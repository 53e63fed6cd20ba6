#include "support/file_faults.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/output_file.h"
#include "common/whole_text.h"
#include "fields/definition_file.h"
#include "input/input_analysis.h"
#include "shell/config_file.h"
#include "shell/job_log_file.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::TempDir;

/// The message of the FileError `run` throws, "" when it throws none.
std::string file_error_of(const std::function<void()>& run) {
    try {
        run();
    } catch (const FileError& e) {
        return e.what();
    }
    return "";
}

struct Reader {
    const char* name;
    std::function<void(const std::string&)> read;
};

const Reader kReaders[] = {
    {"line by line",
     [](const std::string& path) {
         LineReader reader(path);
         std::string_view line;
         while (reader.next(line)) {
         }
     }},
    {"whole file", [](const std::string& path) { load_whole_file(path); }},
    {"analysis size", [](const std::string& path) { input_file_size(path); }},
    {"analysis lines", [](const std::string& path) { count_input_lines(path); }},
    // With little memory to spare, so its size check must not speak first for what is no file.
    {"definition file", [](const std::string& path) { read_definition_file(path, 16); }},
    {"configuration",
     [](const std::string& path) {
         LinkTexts links;
         apply_config_file(path, links);
     }},
    {"job log", [](const std::string& path) { JobLogFile(path).load([](std::string_view) {}); }},
};

TEST(ReaderFaults, EveryReaderRefusesWhatIsNotAFileOnDiskWithoutWaiting) {
    TempDir dir;
    const std::string unreadable = dir.write("unreadable.txt", "a\r\n");
    ::chmod(unreadable.c_str(), 0);
    const std::pair<std::string, std::string> cases[] = {
        {test::make_fifo(dir.file("pipe.txt")), "It is not a regular file"},
        {test::make_link(dir.file("zero.txt"), "/dev/zero"), "It is not a regular file"},
        {test::make_link(dir.file("null.txt"), "/dev/null"), "It is not a regular file"},
        {test::make_folder(dir.file("folder.txt")), "Is a directory"},
        {unreadable, "Permission denied"},
    };
    const test::HangGuard guard(30);
    const test::PermissionsHold permissions;
    for (const Reader& reader : kReaders)
        for (const auto& [path, reason] : cases)
            EXPECT_EQ("Cannot open file " + path + ". " + reason, file_error_of([&] { reader.read(path); }))
                << reader.name;
}

TEST(WriterFaults, APipeNobodyReadsIsRefusedAtOnceAndOneBeingReadIsWritten) {
    TempDir dir;
    const std::string pipe = test::make_fifo(dir.file("pipe.txt"));
    const std::string refused = "Cannot create file " + pipe + ". No such device or address";
    const test::HangGuard guard(30);
    EXPECT_EQ(refused, file_error_of([&] { OutputFile out(pipe); }));
    EXPECT_EQ(refused, file_error_of([&] { replace_file_safely(pipe, "x"); }));

    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    replace_file_safely(pipe, "through the pipe\r\n");
    char got[64] = {};
    EXPECT_EQ(18, ::read(reader, got, sizeof got));
    EXPECT_EQ("through the pipe\r\n", std::string(got));
    ::close(reader);
    EXPECT_EQ("pipe.txt", test::list_folder(dir.path()));
}

TEST(WriterFaults, PlacesThatCannotBeWrittenKeepWhatTheyHold) {
    TempDir dir;
    const std::string locked = test::make_folder(dir.file("locked"), 0555);
    const std::string plain = dir.write("plain.txt", "plain\r\n");
    const std::string read_only = dir.write("read-only.txt", "kept\r\n");
    ::chmod(read_only.c_str(), 0444);
    const std::string folder = test::make_folder(dir.file("folder"));
    const std::pair<std::string, std::string> safe_cases[] = {
        {folder, "Is a directory"},
        {locked + "/out.txt", "Permission denied"},
        {read_only, "Permission denied"},
        {plain + "/out.txt", "Not a directory"},
        {dir.file("none/out.txt"), "No such file or directory"},
    };
    const test::PermissionsHold permissions;
    for (const auto& [path, reason] : safe_cases)
        EXPECT_EQ("Cannot create file " + path + ". " + reason,
                  file_error_of([&] { replace_file_safely(path, "new\r\n"); }));
    EXPECT_EQ("Cannot create file " + locked + "/out.txt. Permission denied",
              file_error_of([&] { OutputFile out(locked + "/out.txt"); }));
    EXPECT_EQ("kept\r\n", test::read_file(read_only));
    EXPECT_EQ("plain\r\n", test::read_file(plain));
    EXPECT_EQ("folder locked plain.txt read-only.txt", test::list_folder(dir.path()));
    EXPECT_EQ("", test::list_folder(locked));
}

}  // namespace
}  // namespace qvr
