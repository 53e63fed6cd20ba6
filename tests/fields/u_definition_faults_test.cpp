#include <functional>

#include "fields/fields_window_fixture.h"
#include "support/file_faults.h"

namespace qvr::test {
namespace {

const Rows kKept = {{"kept      ", "3", "4", "6"}, {"also      ", "7", "1", "7"}};
const std::string kKeptBytes = "kept      3 4 6\r\nalso      7 1 7\r\n";

QString q(const std::string& text) { return QString::fromStdString(text); }

/// The Fields definition window after a definition file was recalled, so that a failure can be seen to
/// leave the table and both labels as they were.
class DefinitionFaultsTest : public FieldsWindowTest {
  protected:
    void SetUp() override {
        FieldsWindowTest::SetUp();
        kept = data.write("kept.tab", kKeptBytes);
        desktop.expect_open(q(kept));
        pick("Recall1");
    }

    void expect_as_before(const std::string& what) {
        EXPECT_EQ(kKept, shown()) << what;
        EXPECT_EQ(q(kept), file_label()) << what;
        EXPECT_EQ(q(kept), general_label()) << what;
    }

    std::string kept;
};

struct SaveCase {
    const char* what;
    std::function<std::string(const TempDir&)> place;  ///< makes the place and returns the file to save
    std::string action;
    std::string reason;
    rlim_t file_size_limit = RLIM_INFINITY;
};

TEST_F(DefinitionFaultsTest, ASaveThatFailsLeavesTheFormerFileTheTableAndTheLabels) {
    const std::string former = "former    1 2 2\r\n";
    const SaveCase cases[] = {
        {"full device", [](const TempDir&) { return std::string("/dev/full"); }, "write",
         "No space left on device"},
        {"under a regular file", [](const TempDir& d) { return d.write("plain.tab", "plain") + "/d.tab"; },
         "create", "Not a directory"},
        {"a folder in its place", [](const TempDir& d) { return make_folder(d.file("taken.tab")); }, "create",
         "Is a directory"},
        {"a folder without write permission",
         [](const TempDir& d) {
             ::chmod(d.path().c_str(), 0555);
             return d.file("d.tab");
         },
         "create", "Permission denied"},
        {"a read-only former file",
         [](const TempDir& d) {
             ::chmod(d.file("former.tab").c_str(), 0444);
             return d.file("former.tab");
         },
         "create", "Permission denied"},
        {"a disk that fills up", [](const TempDir& d) { return d.file("former.tab"); }, "write",
         "File too large", 40},
    };
    for (const SaveCase& c : cases) {
        TempDir place;
        place.write("former.tab", former);
        const std::string path = c.place(place);
        const std::string folder_before = list_folder(place.path());
        desktop.expect_save(q(path));
        desktop.expect_general_error(q("Cannot " + c.action + " file " + path + ". " + c.reason + "."));
        {
            const PermissionsHold permissions;
            const FileSizeLimit limit(c.file_size_limit);
            pick("SaveAs1");
        }
        desktop.verify();
        EXPECT_EQ(folder_before, list_folder(place.path())) << c.what;
        EXPECT_EQ(former, read_file(place.file("former.tab"))) << c.what;
        expect_as_before(c.what);
    }
    // The program goes on: the next save works.
    desktop.expect_save(q(data.file("saved.tab")));
    pick("SaveAs1");
    EXPECT_EQ("kept      3    4    6    \r\nalso      7    1    7    \r\n",
              read_file(data.file("saved.tab")));
}

TEST_F(DefinitionFaultsTest, ARecallThatFailsLeavesTheTableAndTheLabels) {
    const std::string unreadable = data.write("unreadable.tab", kKeptBytes);
    ::chmod(unreadable.c_str(), 0);
    const std::string big = data.write("big.tab", std::string(5000, ' '));
    const std::string many_rows = data.write("rows.tab", std::string(100, '\r'));
    const std::pair<std::string, std::string> cases[] = {
        {make_fifo(data.file("pipe.tab")),
         "Cannot open file " + data.file("pipe.tab") + ". It is not a regular file."},
        {make_link(data.file("zero.tab"), "/dev/zero"),
         "Cannot open file " + data.file("zero.tab") + ". It is not a regular file."},
        {unreadable, "Cannot open file " + unreadable + ". Permission denied."},
        {data.write("over.tab", "A         1 2 2147483648\r\n"),
         "'2147483648' is not a valid integer value."},
        {data.write("under.tab", "A         -2147483649 2 3\r\n"),
         "'-2147483649' is not a valid integer value."},
        {data.write("long.tab", "A         1 " + std::string(40, '9') + "\r\n"),
         "'" + std::string(32, '9') + "' is not a valid integer value."},
        // A file chosen by mistake that would not fit in memory, by its bytes or by its rows.
        {big, "Cannot read file " + big + ". Cannot allocate memory."},
        {many_rows, "Cannot read file " + many_rows + ". Cannot allocate memory."},
    };
    mdi->available_memory = [] { return std::uint64_t{4000}; };
    const HangGuard guard(60);
    for (const auto& [path, message] : cases) {
        desktop.expect_open(q(path));
        desktop.expect_general_error(q(message));
        {
            const PermissionsHold permissions;
            pick("Recall1");
        }
        desktop.verify();
        expect_as_before(path);
    }
}

}  // namespace
}  // namespace qvr::test
