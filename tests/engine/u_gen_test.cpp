#include <QProgressBar>

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

TEST_F(GeneralDataTest, FreshStartShowsTheDefaults) {
    QStringList texts;
    for (const char* name :
         {"txt_inp",  "txt_dlm",   "txt_flm",    "txt_out",  "txt_spl",  "txt_ptit", "txt_gran",
          "txt_ctn",  "lbl_START", "lbl_RESULT", "lbl_inp",  "lbl_dlm",  "lbl_dfl",  "lbl_out",
          "lbl_ptit", "lbl_gran",  "chk_sort",   "chk_unik", "lbl_spl",  "lbl_ctn",  "chk_dlm",
          "chk_qck",  "chk_head",  "chk_trim",   "chk_nbr",  "txt_limit"})
        texts << find<QWidget>(name, mdi->frm_gen)->property("text").toString();
    EXPECT_EQ(QStringLiteral(
                  "|;|<none>||0||||START|RESULT|&Input file|Field &separator|Fields definition file|"
                  "&Output file|Results &greater (>=) than|...&and lower (<=) than|Sor&ted|"
                  "&Unique records only|"
                  "For a samp&le output, give the number of lines wanted (0 = all lines)|"
                  "Result line contains (warning: case sensitive):|"
                  "Clic&k here if <Tab> is wanted for separator|"
                  "Fast extract (special for big files, but removes some features)|"
                  "Out&put file with fields  names ahead|"
                  "Suppress leading and trailing spaces of each field|Add line &numbers to the output file|"
                  "Enter values below if you have to set limits to your results (warning: case "
                  "sensitive). Blank means no limit."),
              texts.join(QLatin1Char('|')));
    EXPECT_EQ("11 01 01 01 ", options());
    EXPECT_EQ(false,
              box("chk_dlm")->isChecked() || box("chk_qck")->isChecked() || box("chk_trim")->isChecked());
    EXPECT_EQ(false, text("txt_flm")->isEnabled());
    EXPECT_EQ(true, text("txt_limit")->isReadOnly());
    EXPECT_EQ(text("txt_ptit"), find<QLabel>("lbl_ptit", mdi->frm_gen)->buddy());
    auto* gauge = find<QProgressBar>("gge_run", mdi->frm_gen);
    EXPECT_EQ(false, gauge->isVisible());
    EXPECT_EQ(Qt::Vertical, gauge->orientation());
}

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
