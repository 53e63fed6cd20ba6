#include "engine/u_gen.h"

#include <QCheckBox>
#include <QFont>
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
        for (const char* n : {"chk_head", "chk_sort", "chk_unik", "chk_nbr"}) {
            s += box(n)->isChecked() ? '1' : '0';
            s += box(n)->isEnabled() ? '1' : '0';
            s += ' ';
        }
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
        {"txt_limit",
         "Enter values below if you have to set limits to your results (warning: case sensitive). Blank "
         "means no "
         "limit."},
    };
    for (const auto& [name, value] : texts) EXPECT_EQ(QString::fromLatin1(value), text(name)->text()) << name;
    EXPECT_FALSE(text("txt_flm")->isEnabled());
    EXPECT_TRUE(text("txt_limit")->isReadOnly());
    const std::pair<const char*, const char*> captions[] = {
        {"chk_dlm", "Clic&k here if <Tab> is wanted for separator"},
        {"chk_qck", "Fast extract (special for big files, but removes some features)"},
        {"chk_head", "Out&put file with fields  names ahead"},
        {"chk_sort", "Sor&ted"},
        {"chk_unik", "&Unique records only"},
        {"chk_trim", "Suppress leading and trailing spaces of each field"},
        {"chk_nbr", "Add line &numbers to the output file"},
    };
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(QString::fromLatin1(caption), box(name)->text()) << name;
        EXPECT_EQ(std::string(name) == "chk_head", box(name)->isChecked()) << name;
    }
    const std::pair<const char*, const char*> labels[] = {
        {"lbl_START", "START"},
        {"lbl_RESULT", "RESULT"},
        {"lbl_inp", "&Input file"},
        {"lbl_dlm", "Field &separator"},
        {"lbl_dfl", "Fields definition file"},
        {"lbl_out", "&Output file"},
        {"lbl_spl", "For a samp&le output, give the number of lines wanted (0 = all lines)"},
        {"lbl_ptit", "Results &greater (>=) than"},
        {"lbl_gran", "...&and lower (<=) than"},
        {"lbl_ctn", "Result line contains (warning: case sensitive):"},
    };
    for (const auto& [name, caption] : labels)
        EXPECT_EQ(QString::fromLatin1(caption), find<QLabel>(name, mdi->frm_gen)->text()) << name;
    EXPECT_EQ(text("txt_ptit"), find<QLabel>("lbl_ptit", mdi->frm_gen)->buddy());
    auto* gauge = find<QProgressBar>("gge_run", mdi->frm_gen);
    EXPECT_FALSE(gauge->isVisible());
    EXPECT_EQ(0, gauge->value());
    EXPECT_EQ(Qt::Vertical, gauge->orientation());
    EXPECT_EQ(QRect(656, 16, 25, 425), gauge->geometry());
    EXPECT_EQ(QRect(120, 40, 440, 21), text("txt_inp")->geometry());
    EXPECT_EQ(13, text("txt_dlm")->font().pixelSize());
    EXPECT_TRUE(box("chk_qck")->font().bold());
}

TEST_F(GeneralDataTest, UniqueBringsSortedAndUnsortingDropsUnique) {
    box("chk_unik")->click();
    EXPECT_TRUE(box("chk_sort")->isChecked());
    EXPECT_TRUE(box("chk_unik")->isChecked());
    box("chk_sort")->click();
    EXPECT_FALSE(box("chk_unik")->isChecked());
    EXPECT_FALSE(box("chk_sort")->isChecked());
    box("chk_sort")->click();
    EXPECT_FALSE(box("chk_unik")->isChecked());  // sorting alone leaves unique alone
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

TEST_F(GeneralDataTest, FastExtractLocksTheOptionsItCannotHonour) {
    box("chk_nbr")->click();
    box("chk_unik")->click();
    EXPECT_EQ("11 11 11 11 ", options());
    box("chk_qck")->click();
    EXPECT_EQ("00 00 00 00 ", options());
    box("chk_qck")->click();
    EXPECT_EQ("11 01 01 01 ", options());
    // Switching by program, as the input analysis does, gives the same state as a click.
    mdi->frm_gen->set_fast(true);
    EXPECT_TRUE(box("chk_qck")->isChecked());
    EXPECT_EQ("00 00 00 00 ", options());
}

TEST_F(GeneralDataTest, SettingsReadTheControlsAsBytes) {
    text("txt_inp")->setText(QStringLiteral("/d/caf\u00e9.txt"));
    text("txt_spl")->setText(QStringLiteral("12"));
    text("txt_ptit")->setText(QStringLiteral("\u20ac"));
    box("chk_trim")->click();
    JobSettings s = mdi->frm_gen->settings();
    EXPECT_EQ("/d/caf\xe9.txt", s.input_path);
    EXPECT_EQ(12, s.sample_size());
    EXPECT_EQ("\x80", s.lower_bound);
    EXPECT_TRUE(s.trim);
    EXPECT_TRUE(s.header);
    EXPECT_EQ("<none>", s.definition_file_name);
}

}  // namespace
}  // namespace qvr::test
