#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/whole_text.h"
#include "fields/definition_file.h"
#include "input/input_analysis.h"
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

}  // namespace
}  // namespace qvr
