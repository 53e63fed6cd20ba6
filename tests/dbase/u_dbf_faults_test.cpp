#include <QApplication>
#include <QProgressBar>
#include <array>
#include <functional>

#include "dbase/dbf_read_back.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

const std::string kInput = "0001Alice \r\n0002Bob\r\n";
const std::string kFormer = "former table";

QString q(const std::string& text) { return QString::fromStdString(text); }

/// File > "Extract .DBF file" beside an input whose table already exists, so that the name question lets
/// the user aim the table anywhere.
class DbfFaultsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        find<QAction>("mnu_dbf")->setEnabled(true);
        input = data.write("in.txt", kInput);
        data.write("in.dbf", kFormer);
        mdi->frm_gen->set_input_path(input);
        mdi->values().generated_line_count = 2;
        set_rows({{"id", "1", "4"}, {"Name", "5", "6"}});
    }

    void set_rows(const std::vector<std::array<const char*, 3>>& rows) {
        FieldTable& table = mdi->frm_dlm->field_table();
        table.set_row_count(static_cast<int>(rows.size()));
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 3; ++c) table.set_cell(c, static_cast<int>(r) + 1, rows[r][c]);
    }

    /// The name question, answered with `answer` (Cancel keeps the proposed name).
    void expect_name_question(std::optional<QString> answer) {
        desktop.expect_input(QStringLiteral("File already exists"), QStringLiteral("Change name if wanted"),
                             q(data.file("in.dbf")), std::move(answer));
    }

    void expect_no_gauge_nor_busy_cursor(const std::string& what) {
        EXPECT_EQ(false, find<QProgressBar>("gge_run")->isVisible()) << what;
        EXPECT_EQ(nullptr, QApplication::overrideCursor()) << what;
    }

    /// The program goes on: the next export, to a new name, works.
    void expect_next_export_works() {
        expect_name_question(q(data.file("good.dbf")));
        desktop.expect_info(q(data.file("good.dbf") + " generated"));
        pick("mnu_dbf");
        EXPECT_EQ((DbfReadBack{2, {"ID", "NAME"}, {4, 6}, {{"0001", "Alice"}, {"0002", "Bob"}}}),
                  read_back_dbf(data.file("good.dbf")));
        ::unlink(data.file("good.dbf").c_str());
    }

    std::string input;
};

struct TargetCase {
    const char* what;
    std::function<std::string(const TempDir&)> place;  ///< makes the place and returns the table's name
    std::string action;
    std::string reason;
    rlim_t file_size_limit = RLIM_INFINITY;
};

TEST_F(DbfFaultsTest, ATableThatCannotBeWrittenLeavesTheFormerFileAndNoTemporary) {
    const TargetCase cases[] = {
        {"full device", [](const TempDir&) { return std::string("/dev/full"); }, "write",
         "No space left on device"},
        {"under a regular file", [](const TempDir& d) { return d.write("plain.txt", "plain") + "/t.dbf"; },
         "create", "Not a directory"},
        {"a folder in its place", [](const TempDir& d) { return make_folder(d.file("taken.dbf")); }, "create",
         "Is a directory"},
        {"a folder without write permission",
         [](const TempDir& d) {
             ::chmod(d.path().c_str(), 0555);
             return d.file("t.dbf");
         },
         "create", "Permission denied"},
        {"a read-only former table",
         [](const TempDir& d) {
             ::chmod(d.file("former.dbf").c_str(), 0444);
             return d.file("former.dbf");
         },
         "create", "Permission denied"},
        {"a disk that fills up", [](const TempDir& d) { return d.file("former.dbf"); }, "write",
         "File too large", 100},
    };
    for (const TargetCase& c : cases) {
        TempDir place;
        place.write("former.dbf", kFormer);
        const std::string name = c.place(place);
        const std::string folder_before = list_folder(place.path());
        expect_name_question(q(name));
        desktop.expect_general_error(q("Cannot " + c.action + " file " + name + ". " + c.reason + "."));
        {
            const PermissionsHold permissions;
            const FileSizeLimit limit(c.file_size_limit);
            pick("mnu_dbf");
        }
        desktop.verify();
        EXPECT_EQ(folder_before, list_folder(place.path())) << c.what;
        EXPECT_EQ(kFormer, read_file(place.file("former.dbf"))) << c.what;
        EXPECT_EQ("in.dbf in.txt", list_folder(data.path())) << c.what;
        expect_no_gauge_nor_busy_cursor(c.what);
        expect_next_export_works();
    }
}

TEST_F(DbfFaultsTest, AnInputNoLongerAFileLeavesTheFormerTable) {
    const std::pair<std::function<void(const std::string&)>, std::string> cases[] = {
        {[](const std::string& p) { make_folder(p); }, "Is a directory"},
        {[](const std::string& p) { make_fifo(p); }, "It is not a regular file"},
        {[](const std::string& p) { make_link(p, "/dev/zero"); }, "It is not a regular file"},
        {[](const std::string& p) { ::close(::open(p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0)); },
         "Permission denied"},
    };
    const HangGuard guard(60);
    for (const auto& [spoil, reason] : cases) {
        ::unlink(input.c_str());
        spoil(input);
        expect_name_question(std::nullopt);
        desktop.expect_general_error(q("Cannot open file " + input + ". " + reason + "."));
        {
            const PermissionsHold permissions;
            pick("mnu_dbf");
        }
        desktop.verify();
        EXPECT_EQ(kFormer, read_file(data.file("in.dbf"))) << reason;
        EXPECT_EQ("in.dbf in.txt", list_folder(data.path())) << reason;
        expect_no_gauge_nor_busy_cursor(reason);
        ::rmdir(input.c_str());
        ::unlink(input.c_str());
        data.write("in.txt", kInput);
        expect_next_export_works();
    }
}

TEST_F(DbfFaultsTest, AbsurdLengthsAreRefusedBeforeAnythingIsAsked) {
    for (const char* length : {"99999999999", "-2147483649", "2147483648", " 6", "6 ", "+6", ""}) {
        set_rows({{"id", "1", "4"}, {"Name", "5", length}});
        desktop.expect_general_error(q("'" + std::string(length) + "' is not a valid integer value."));
        pick("mnu_dbf");
        desktop.verify();
        EXPECT_EQ(kFormer, read_file(data.file("in.dbf"))) << length;
        EXPECT_EQ("in.dbf in.txt", list_folder(data.path())) << length;
    }
}

TEST_F(DbfFaultsTest, AbsurdStartPositions) {
    const std::string table = data.file("t.dbf");
    const std::pair<std::array<const char*, 2>, DbfReadBack> written[] = {
        {{"2147483647", "-2147483648"}, {2, {"ID", "NAME"}, {4, 6}, {{"", "0001Al"}, {"", "0002Bo"}}}},
        {{"0", "2147483644"}, {2, {"ID", "NAME"}, {4, 6}, {{"0001", ""}, {"0002", ""}}}},
    };
    for (const auto& [starts, expected] : written) {
        set_rows({{"id", starts[0], "4"}, {"Name", starts[1], "6"}});
        expect_name_question(q(table));
        desktop.expect_info(q(table + " generated"));
        pick("mnu_dbf");
        desktop.verify();
        EXPECT_EQ(expected, read_back_dbf(table)) << starts[0] << " " << starts[1];
    }
    for (const char* start : {"2147483648", "-2147483649", " 5", "5x"}) {
        set_rows({{"id", "1", "4"}, {"Name", start, "6"}});
        expect_name_question(q(table));
        desktop.expect_general_error(q("'" + std::string(start) + "' is not a valid integer value."));
        pick("mnu_dbf");
        desktop.verify();
        EXPECT_EQ(written[1].second, read_back_dbf(table)) << start;  // the former table stays
        EXPECT_EQ("in.dbf in.txt t.dbf", list_folder(data.path())) << start;
    }
}

}  // namespace
}  // namespace qvr::test
