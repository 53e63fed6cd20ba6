#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

const std::string kInput = "ABCDEFGH\r\nXYZ12345\r\n";

class FileNamesTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        mdi->frm_dlm->field_table().assign_rows({{"Name", "1", "3", ""}});
        tick("chk_head", false);
    }
    void set(const char* box, const QString& text) { find<QLineEdit>(box)->setText(text); }
};

// Each way a name reaches the program: typed into the boxes, or picked in File > Input (the dialog hands
// names as Qt spells them, bytes that are not UTF-8 as replacement marks), then File > Go, Result > View
// and the job log.
TEST_F(FileNamesTest, NamesShowAndOpenAsTheSystemSpellsThem) {
    struct Case {
        bool picked;
        std::string input, output;  // the files' names, their bytes
        QString shown, shown_output;
    };
    const Case cases[] = {
        {false, "caf\xC3\xA9.txt", "r\xC3\xA9s.txt", QStringLiteral("caf\u00E9.txt"),
         QStringLiteral("r\u00E9s.txt")},
        {true, "bad\xFF.txt", "bad\xFF.qvo.txt", QStringLiteral("bad\uFFFD.txt"),
         QStringLiteral("bad\uFFFD.qvo.txt")},
    };
    const QString folder = q(data.file(""));
    for (const Case& c : cases) {
        data.write(c.input, kInput);
        if (c.picked) {
            open_input(data.file(c.input), "opt_part", "1");
        } else {
            set("txt_inp", folder + c.shown);
            set("txt_out", folder + c.shown_output);
        }
        EXPECT_EQ(folder + c.shown, box_text("txt_inp"));
        EXPECT_EQ(folder + c.shown_output, box_text("txt_out"));
        clear_box(mdi->frm_view->input_view());
        desktop.expect_info(QStringLiteral("Extract file generated"));
        pick("mnu_go");
        EXPECT_EQ("ABC\r\nXYZ\r\n", read_file(data.file(c.output)));
        pick("mnu_rvw");
        EXPECT_EQ(folder + c.shown_output, label("lbl_vname"));
        // The job log holds the names' bytes.
        const std::string logged = c.input + "\t<none>\t" + c.output + "\t";
        EXPECT_EQ(logged, line_at(mdi->frm_log->job_log_view(), 0).substr(0, logged.size()));
        mdi->show_general_data();
    }
    // A message naming a file names it as shown.
    set("txt_inp", folder + QStringLiteral("caf\u00E9.txt"));
    set("txt_out", folder + QStringLiteral("manqu\u00E9/r.txt"));
    desktop.expect_general_error(QStringLiteral("Cannot create file ") + folder +
                                 QStringLiteral("manqu\u00E9/r.txt. No such file or directory."));
    pick("mnu_go");
}

}  // namespace
}  // namespace qvr::test
