#include <unistd.h>

#include <QCheckBox>

#include "input_fixture.h"

namespace qvr::test {
namespace {

using AnalysingInput = InputTest;

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

const char* const kAdvice = "\n\rFor time saving, checking \"Fast extract\" recommended";

TEST_F(AnalysingInput, ReportsSizeAndLinesAndKeepsTheReportAsHint) {
    const std::string path = data.write("ten.txt", repeated(std::string(80, 'x') + "\r\n", 10));
    open_input(path, "opt_void");
    const QString report = QStringLiteral("Input file...\n\rSize (bytes): 820\n\rLines: 10");
    desktop.expect_info(report);
    pick("mnu_ana");
    EXPECT_EQ(820, mdi->values().input_statistics.size);
    EXPECT_EQ(10, mdi->values().input_statistics.line_count);
    EXPECT_FALSE(find<QCheckBox>("chk_qck")->isChecked());
    EXPECT_EQ(report, find<QLineEdit>("txt_inp")->toolTip());
}

TEST_F(AnalysingInput, BigFilesSwitchTheFastExtractOn) {
    struct Case {
        std::string path;
        QString report;
        bool fast;
    };
    auto sparse = [this](const char* name, off_t size) {
        const std::string path = data.write(name, "");
        EXPECT_EQ(0, ::truncate(path.c_str(), size));
        return path;
    };
    const Case cases[] = {
        {data.write("150000.txt", repeated("\r\n", 150'000)),
         QStringLiteral("Input file...\n\rSize (bytes): 300000\n\rLines: 150000"), false},
        {data.write("150001.txt", repeated("\r\n", 150'001)),
         QStringLiteral("Input file...\n\rSize (bytes): 300002\n\rLines: 150001") + kAdvice, true},
        {sparse("30000000.txt", 30'000'000),
         QStringLiteral("Input file...\n\rSize (bytes): 30000000\n\rLines: 1"), false},
        {sparse("30000001.txt", 30'000'001),
         QStringLiteral("Input file...\n\rSize (bytes): 30000001\n\rLines: 1") + kAdvice, true},
    };
    for (const Case& c : cases) {
        mdi->frm_gen->set_fast(false);
        open_input(c.path, "opt_void");
        desktop.expect_info(c.report);
        pick("mnu_ana");
        EXPECT_EQ(c.fast, find<QCheckBox>("chk_qck")->isChecked()) << c.path;
        EXPECT_EQ(c.report, find<QLineEdit>("txt_inp")->toolTip());
    }
    // Switching the fast extract on took the options it cannot honour away.
    EXPECT_FALSE(find<QCheckBox>("chk_head")->isChecked() || find<QCheckBox>("chk_head")->isEnabled());
    EXPECT_FALSE(find<QCheckBox>("chk_sort")->isEnabled());
}

TEST_F(AnalysingInput, AMissingFileKeepsTheFormerFigures) {
    const std::string path = data.write("ten.txt", repeated("abc\r\n", 10));
    open_input(path, "opt_void");
    desktop.expect_info(QStringLiteral("Input file...\n\rSize (bytes): 50\n\rLines: 10"));
    pick("mnu_ana");

    const std::string missing = data.file("gone.txt");
    find<QLineEdit>("txt_inp")->setText(QString::fromStdString(missing));
    desktop.expect_general_error(
        QString::fromStdString("Cannot open file " + missing + ". No such file or directory."));
    pick("mnu_ana");
    EXPECT_EQ(50, mdi->values().input_statistics.size);
    EXPECT_EQ(10, mdi->values().input_statistics.line_count);
    EXPECT_EQ(QStringLiteral("Input file...\n\rSize (bytes): 50\n\rLines: 10"),
              find<QLineEdit>("txt_inp")->toolTip());
}

}  // namespace
}  // namespace qvr::test
