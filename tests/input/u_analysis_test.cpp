#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using AnalysingInput = StartedTest;

TEST_F(AnalysingInput, ReportsSizeAndLinesKeepsTheReportAsHintAndSwitchesTheFastExtractOnForBigFiles) {
    const QString head = QStringLiteral("Input file...\n\rSize (bytes): ");
    const struct {
        std::string bytes;
        QString report;
        bool fast;
    } cases[] = {
        {repeated(std::string(80, 'x') + "\r\n", 10), head + "820\n\rLines: 10", false},
        {repeated("\r\n", 150'001),
         head + "300002\n\rLines: 150001\n\rFor time saving, checking \"Fast extract\" recommended", true},
    };
    for (const auto& c : cases) {
        open_input(data.write("input.txt", c.bytes), "opt_void");
        desktop.expect_info(c.report);
        pick("mnu_ana");
        EXPECT_EQ(c.report, find<QLineEdit>("txt_inp")->toolTip());
        EXPECT_EQ(c.fast, find<QCheckBox>("chk_qck")->isChecked());
    }
    EXPECT_EQ(300002, mdi->values().tally.input_size);
    EXPECT_EQ(150001, mdi->values().tally.input_line_count);
    // Switching the fast extract on took the options it cannot honour away.
    EXPECT_FALSE(find<QCheckBox>("chk_sort")->isEnabled());
}

}  // namespace
}  // namespace qvr::test
