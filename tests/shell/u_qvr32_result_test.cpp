#include <QApplication>
#include <QClipboard>
#include <QPageLayout>
#include <QPrinter>
#include <cmath>
#include <regex>

#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

const QString kCopied =
    QStringLiteral("Selection copied to clipboard and ready to be pasted into another application.");
const FontChoice kMono{QStringLiteral("Liberation Mono"), 10};

/// The pages of a PDF printed in a fixed-pitch font, rebuilt as text from the word boxes that
/// pdftotext reads: a row per printed line from the top of the printable area, the blanks in front of
/// and between the words counted in character widths. Rows after the last word are left out.
std::vector<std::vector<std::string>> printed_pages(const std::string& pdf) {
    QPrinter layout(QPrinter::HighResolution);
    layout.setOutputFormat(QPrinter::PdfFormat);
    const QRectF area = layout.pageLayout().paintRectPoints();
    const std::string xml = command_output("pdftotext -bbox '" + pdf + "' -");
    std::vector<std::vector<std::string>> pages;
    const std::regex word(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (std::sregex_iterator it(xml.begin(), xml.end(), word), end; it != end; ++it) {
        const std::smatch& m = *it;
        if (m[5].length() == 0 && m[1].length() == 0) {
            pages.emplace_back();
            continue;
        }
        double x_min = std::stod(m[1]), y_min = std::stod(m[2]), x_max = std::stod(m[3]),
               y_max = std::stod(m[4]);
        std::string text = m[5];
        double width = (x_max - x_min) / static_cast<double>(text.size());
        auto row = static_cast<std::size_t>(std::lround((y_min - area.top()) / (y_max - y_min)));
        auto column = static_cast<std::size_t>(std::lround((x_min - area.left()) / width));
        std::vector<std::string>& page = pages.back();
        if (page.size() <= row) page.resize(row + 1);
        std::string& line = page[row];
        if (line.size() < column) line.resize(column, ' ');
        line += text;
    }
    return pages;
}

class ResultViewTest : public StartedTest {
  protected:
    // A standard run whose result lines are the input lines (up to 200 columns).
    void run_with(const std::string& input, bool header) {
        set_text("txt_inp", data.write("in.txt", input));
        set_text("txt_out", data.file("out.txt"));
        mdi->frm_gen->set_header(header);
        FieldTable& table = mdi->frm_dlm->field_table();
        table.set_cell(FieldTable::kName, 1, "Line");
        table.set_cell(FieldTable::kLength, 1, "200");
        desktop.expect_confirm(QStringLiteral("Keep imput view."), kNo);
        desktop.expect_info(QStringLiteral("Extract file generated"));
        pick("mnu_go");
        desktop.verify();
    }

    void print(std::optional<FontChoice> font) {
        desktop.expect_print(q(pdf));
        desktop.expect_font(font);
        desktop.expect_info(QStringLiteral("Print completed"));
        pick("mnu_pri");
        desktop.verify();
    }

    static std::string numbered(int count) {
        std::string text;
        for (int i = 1; i <= count; ++i) text += "result line " + std::to_string(i) + "\r\n";
        return text;
    }

    std::string pdf = data.file("print.pdf");
};

TEST_F(ResultViewTest, ViewShowsTheCurrentOutputNameAndCopyTakesTheSelection) {
    run_with(numbered(3), true);
    mdi->show_general_data();
    find<QLineEdit>("txt_out")->setText(QStringLiteral("/elsewhere/new.txt"));
    pick("mnu_rvw");
    EXPECT_EQ(QStringLiteral("/elsewhere/new.txt"), label("lbl_vname"));
    EXPECT_EQ(QStringLiteral("Number of lines displayed: 4"), label("lbl_vcount"));
    EXPECT_EQ(QStringLiteral("Number of lines generated: 3"), label("lbl_vgener"));
    EXPECT_FALSE(find<LineView>("mem_inp")->isVisible() ||
                 find<QPlainTextEdit>("mem_expl", mdi->frm_view)->isVisible());
    EXPECT_TRUE(mdi->frm_view->result_view()->isVisible());
    mdi->show_general_data();
    pick("mnu_wvr");
    EXPECT_EQ(mdi->frm_view, mdi->frame_of(mdi->frm_view)->mdiArea()->activeSubWindow()->widget());

    // Copy takes the selection, and always tells.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    desktop.expect_info(kCopied);
    pick("mnu_cpy");
    EXPECT_EQ(QStringLiteral("before"), QGuiApplication::clipboard()->text());
    pick("mnu_sel");
    desktop.expect_info(kCopied);
    pick("mnu_cpy");
    EXPECT_EQ(QStringLiteral("Line\nresult line 1\nresult line 2\nresult line 3"),
              QGuiApplication::clipboard()->text());
}

TEST_F(ResultViewTest, PrintsTwoBlankLinesThenEveryLineWrappedAndPaged) {
    const std::string long_line = repeated("0123456789", 15);
    run_with(long_line + "\r\n" + numbered(100), false);
    print(kMono);
    const std::vector<std::vector<std::string>> pages = printed_pages(pdf);
    ASSERT_EQ(2u, pages.size());
    ASSERT_LE(5u, pages[0].size());
    EXPECT_EQ("", pages[0][0] + pages[0][1]);
    EXPECT_EQ("   " + long_line, pages[0][2] + pages[0][3]);
    EXPECT_EQ("   result line 1", pages[0][4]);
    EXPECT_EQ("   result line 100", pages[1].back());
}

TEST_F(ResultViewTest, FontIsRememberedCancelKeepsPrintingAndAFailureIsReported) {
    run_with(numbered(3), false);
    print(kMono);
    print(std::nullopt);
    desktop.expect_print(std::nullopt);
    pick("mnu_pri");
    ASSERT_EQ(2u, desktop.fonts_offered().size());
    EXPECT_EQ(QStringLiteral("MS Sans Serif"), desktop.fonts_offered()[0].family);
    EXPECT_EQ(8, desktop.fonts_offered()[0].point_size);
    EXPECT_EQ(kMono.family, desktop.fonts_offered()[1].family);
    EXPECT_EQ(kMono.point_size, desktop.fonts_offered()[1].point_size);
    EXPECT_EQ("result line 1\nresult line 2\nresult line 3\n\f",
              command_output("pdftotext -layout '" + pdf + "' -"));
    std::string unwritable = data.file("none/print.pdf");
    desktop.expect_print(q(unwritable));
    desktop.expect_general_error(q("Cannot print on " + unwritable + "."));
    pick("mnu_pri");
}

}  // namespace
}  // namespace qvr::test
