#include "outputs/zip_archive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "outputs/read_back.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::TempDir;
using testing::ElementsAre;

/// The archive as Python's zipfile reads it (checking each entry's CRC): the entry count, then for the
/// first three entries and the last their name, method and size, and whether their bytes are those of the
/// file of that name in `expected` ("same") or not.
std::vector<std::string> read_back(const std::string& archive, const std::string& expected) {
    const std::string script =
        "import os, sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "entries = z.infolist()\n"
        "print(len(entries), 'bad' if z.testzip() else 'ok')\n"
        "for i in entries[:3] + entries[3:][-1:]:\n"
        "    d = z.read(i)\n"
        "    p = os.path.join(sys.argv[2], i.filename)\n"
        "    same = os.path.exists(p) and open(p, 'rb').read() == d\n"
        "    print(i.filename, i.compress_type, len(d), 'same' if same else 'differs')\n";
    return test::output_lines(std::string(QVR_PYTHON) + " -c \"" + script + "\" '" + archive + "' '" +
                              expected + "' 2>&1");
}

TEST(ZipArchive, EntriesReadBackAsWrittenStoredOrDeflated) {
    TempDir dir;
    // Past several blocks, so that the ring of blocks goes round, and written in turns with a second file
    // as sheets of several record types are.
    std::string big;
    for (int i = 0; big.size() < 5 * DeflatedFile::kBlockSize; ++i)
        big += "<row>" + std::to_string(i) + "</row>";
    dir.write("big", big);
    dir.write("small", "abc");
    dir.write("empty", "");
    const std::string path = dir.file("out.zip");
    {
        SafeFileWriter file(path);
        DeflateThread thread;
        DeflatedFile empty(thread, dir.path(), "empty");
        DeflatedFile first(thread, dir.path(), "first");
        DeflatedFile second(thread, dir.path(), "second");
        for (std::size_t at = 0; at < big.size(); at += 1000) {
            first.write(std::string_view(big).substr(at, 1000));
            second.write(std::string_view(big).substr(at, 1000));
        }
        empty.finish();
        first.finish();
        second.finish();
        ZipArchive zip(file);
        zip.add("empty", empty);
        zip.add("big", first);
        zip.add("small", "abc");
        zip.add("big", second);
        zip.finish();
        file.commit();
    }
    const std::string size = std::to_string(big.size());
    EXPECT_THAT(read_back(path, dir.path()), ElementsAre("4 ok", "empty 8 0 same", "big 8 " + size + " same",
                                                         "small 0 3 same", "big 8 " + size + " same"));
}

TEST(ZipArchive, MoreThan65535EntriesTakeTheWideDirectory) {
    TempDir dir;
    for (const char* name : {"e0", "e1", "e2", "e69999"}) dir.write(name, "");
    const std::string path = dir.file("many.zip");
    {
        SafeFileWriter file(path);
        ZipArchive zip(file);
        for (int i = 0; i < 70'000; ++i) zip.add("e" + std::to_string(i), "");
        zip.finish();
        file.commit();
    }
    EXPECT_THAT(read_back(path, dir.path()),
                ElementsAre("70000 ok", "e0 0 0 same", "e1 0 0 same", "e2 0 0 same", "e69999 0 0 same"));
}

}  // namespace
}  // namespace qvr
