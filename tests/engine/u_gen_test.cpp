#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

class GeneralDataTest : public StartedTest {
  protected:
    QCheckBox* box(const char* name) { return find<QCheckBox>(name, mdi->frm_gen); }
    QLineEdit* text(const char* name) { return find<QLineEdit>(name, mdi->frm_gen); }
    /// Checked and enabled state of header, sorted, unique and line numbers, as "10 01 ..." pairs.
    std::string options() {
        std::string s;
        for (const char* n : {"chk_head", "chk_sort", "chk_unik", "chk_nbr"})
            s += std::string{box(n)->isChecked() ? '1' : '0', box(n)->isEnabled() ? '1' : '0', ' '};
        return s;
    }
};

TEST_F(GeneralDataTest, TickBoxesKeepTheOptionsConsistent) {
    const std::pair<const char*, const char*> clicks[] = {
        {"chk_unik", "11 11 11 01 "},  // unique brings sorted
        {"chk_sort", "11 01 01 01 "},  // unsorting drops unique
        {"chk_sort", "11 11 01 01 "},  // sorting alone leaves unique alone
        {"chk_unik", "11 11 11 01 "}, {"chk_nbr", "11 11 11 11 "},
        {"chk_qck", "00 00 00 00 "},  // the fast extract can honour none of them
        {"chk_qck", "11 01 01 01 "},
    };
    for (const auto& [name, after] : clicks) {
        box(name)->click();
        EXPECT_EQ(after, options()) << name;
    }
    mdi->frm_gen->set_fast(true);  // as the input analysis switches it
    EXPECT_EQ("00 00 00 00 ", options());
}

TEST_F(GeneralDataTest, TabSeparatorShowsTabAndGivesBackSemicolon) {
    QLineEdit* separator = text("txt_dlm");
    separator->clear();
    QTest::keyClicks(separator, "|");
    box("chk_dlm")->click();
    EXPECT_EQ(QStringLiteral("<Tab>"), separator->text());
    separator->setText(QStringLiteral("edited"));
    EXPECT_EQ("\t", mdi->frm_gen->settings().separator());  // the run still uses a tab
    box("chk_dlm")->click();
    EXPECT_EQ(QStringLiteral(";"), separator->text());
    EXPECT_EQ(";", mdi->frm_gen->settings().separator());
}

}  // namespace
}  // namespace qvr::test
