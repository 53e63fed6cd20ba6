#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using FileNamesTest = StartedTest;

// Each way a name reaches the program: typed into the boxes, or picked in File > Input (the dialog hands
// names as Qt spells them, bytes that are not UTF-8 as replacement marks), then File > Go, Result > View
// and the job log.
TEST_F(FileNamesTest, NamesShowAndOpenAsTheSystemSpellsThem) {
    set_rows({{"Name", "1", "3", ""}});
    tick("chk_head", false);
    const struct {
        bool picked;
        std::string input, output, shown, shown_output;  // the files' names, their bytes, then as shown
    } cases[] = {
        {false, "caf\xC3\xA9.txt", "r\xC3\xA9s.txt", "caf\xC3\xA9.txt", "r\xC3\xA9s.txt"},
        {true, "bad\xFF.txt", "bad\xFF.qvo.txt", "bad\uFFFD.txt", "bad\uFFFD.qvo.txt"},
    };
    for (const auto& c : cases) {
        data.write(c.input, "ABCDEFGH\r\nXYZ12345\r\n");
        if (c.picked) open_input(data.file(c.input), "opt_part", "1");
        if (!c.picked)
            set_text("txt_inp", data.file(c.shown)), set_text("txt_out", data.file(c.shown_output));
        EXPECT_EQ(q(data.file(c.shown)), box_text("txt_inp"));
        EXPECT_EQ(q(data.file(c.shown_output)), box_text("txt_out"));
        clear_box(mdi->frm_view->input_view());
        desktop.expect_info(QStringLiteral("Extract file generated"));
        pick("mnu_go");
        EXPECT_EQ("ABC\r\nXYZ\r\n", read_file(data.file(c.output)));
        pick("mnu_rvw");
        EXPECT_EQ(q(data.file(c.shown_output)), label("lbl_vname"));
        // The job log holds the names' bytes.
        const std::string logged = c.input + "\t<none>\t" + c.output + "\t";
        EXPECT_EQ(logged, line_at(mdi->frm_log->job_log_view(), 0).substr(0, logged.size()));
        mdi->show_general_data();
    }
    // A message naming a file names it as shown.
    set_text("txt_inp", data.file("caf\xC3\xA9.txt"));
    set_text("txt_out", data.file("manqu\xC3\xA9/r.txt"));
    desktop.expect_general_error(
        q("Cannot create file " + data.file("manqu\xC3\xA9/r.txt") + ". No such file or directory."));
    pick("mnu_go");
}

}  // namespace
}  // namespace qvr::test
