#include "engine/u_gen.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

class GeneralDataTest : public MainWindowTest {
  protected:
    void SetUp() override { start(); }
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
    const std::pair<const char*, const char*> texts[] = {
        {"txt_inp", ""},
        {"txt_dlm", ";"},
        {"txt_flm", "<none>"},
        {"txt_out", ""},
        {"txt_spl", "0"},
        {"txt_ptit", ""},
        {"txt_gran", ""},
        {"txt_ctn", ""},
        {"lbl_START", "START"},
        {"lbl_RESULT", "RESULT"},
        {"lbl_inp", "&Input file"},
        {"lbl_dlm", "Field &separator"},
        {"lbl_dfl", "Fields definition file"},
        {"lbl_out", "&Output file"},
        {"lbl_ptit", "Results &greater (>=) than"},
        {"lbl_gran", "...&and lower (<=) than"},
        {"chk_sort", "Sor&ted"},
        {"chk_unik", "&Unique records only"},
        {"lbl_spl", "For a samp&le output, give the number of lines wanted (0 = all lines)"},
        {"lbl_ctn", "Result line contains (warning: case sensitive):"},
        {"chk_dlm", "Clic&k here if <Tab> is wanted for separator"},
        {"chk_qck", "Fast extract (special for big files, but removes some features)"},
        {"chk_head", "Out&put file with fields  names ahead"},
        {"chk_trim", "Suppress leading and trailing spaces of each field"},
        {"chk_nbr", "Add line &numbers to the output file"}};
    for (const auto& [name, value] : texts)
        EXPECT_EQ(QString::fromLatin1(value), find<QWidget>(name, mdi->frm_gen)->property("text").toString())
            << name;
    EXPECT_EQ(QStringLiteral("Enter values below if you have to set limits to your results (warning: case "
                             "sensitive). Blank means no limit."),
              text("txt_limit")->text());
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
