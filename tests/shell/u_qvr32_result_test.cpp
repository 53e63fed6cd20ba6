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

/// The pages of a PDF printed in a fixed-pitch font, rebuilt as text from the word boxes that
/// pdftotext reads: a row per printed line from the top of the printable area, the blanks in front of
/// and between the words counted in character widths. Rows after the last word are left out.
std::vector<std::vector<std::string>> printed_pages(const std::string& pdf) {
    QPrinter layout(QPrinter::HighResolution);
    layout.setOutputFormat(QPrinter::PdfFormat);
    const QRectF area = layout.pageLayout().paintRectPoints();
    const std::string xml = command_output("pdftotext -bbox '" + pdf + "' -");
    const std::regex word(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<std::vector<std::string>> pages;
    for (std::sregex_iterator it(xml.begin(), xml.end(), word), end; it != end; ++it) {
        const std::smatch& m = *it;
        if (m[1].length() == 0) {
            pages.emplace_back();
            continue;
        }
        const double x = std::stod(m[1]), y = std::stod(m[2]), height = std::stod(m[4]) - y;
        const double width = (std::stod(m[3]) - x) / static_cast<double>(m[5].length());
        std::vector<std::string>& page = pages.back();
        const auto row = static_cast<std::size_t>(std::lround((y - area.top()) / height));
        if (page.size() <= row) page.resize(row + 1);
        const auto column = static_cast<std::size_t>(std::lround((x - area.left()) / width));
        page[row].resize(std::max(page[row].size(), column), ' ');
        page[row] += m[5].str();
    }
    return pages;
}

class ResultViewTest : public StartedTest {
  protected:
    void print(std::optional<FontChoice> font) {
        desktop.expect_print(q(pdf));
        desktop.expect_font(font);
        desktop.expect_info(QStringLiteral("Print completed"));
        pick("mnu_pri");
    }
    std::string pdf = data.file("print.pdf");
};

TEST_F(ResultViewTest, ViewNamesTheOutputCopyTakesTheSelectionAndPrintWrapsTabsAndPages) {
    // A standard run whose result lines are the input lines.
    const std::string long_line = repeated("0123456789", 15);
    set_text("txt_inp",
             data.write("in.txt", long_line + "\r\na\tb\tc\r\n" + numbered_text(100, "result line ")));
    set_text("txt_out", data.file("out.txt"));
    mdi->frm_gen->set_header(false);
    set_rows({{"Line", "1", "200", "200"}});
    desktop.expect_confirm(QStringLiteral("Keep imput view."), kNo);
    desktop.expect_info(QStringLiteral("Extract file generated"));
    pick("mnu_go");
    std::string all = long_line + "\na\tb\tc";
    for (int i = 1; i <= 100; ++i) all += "\nresult line " + std::to_string(i);
    // The view names the output file as the General data window names it now.
    set_text("txt_out", "/elsewhere/new.txt");
    pick("mnu_rvw");
    EXPECT_EQ(QStringLiteral("/elsewhere/new.txt"), label("lbl_vname"));
    mdi->show_general_data();
    pick("mnu_wvr");
    EXPECT_EQ(mdi->frm_view, front());
    // Copy takes the selection, and always tells.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    for (const char* copied : {"before", all.c_str()}) {
        desktop.expect_info(
            QStringLiteral("Selection copied to clipboard and ready to be pasted into another application."));
        pick("mnu_cpy");
        EXPECT_EQ(q(copied), QGuiApplication::clipboard()->text());
        pick("mnu_sel");
    }

    print(FontChoice{QStringLiteral("Liberation Mono"), 10});
    const std::vector<std::vector<std::string>> pages = printed_pages(pdf);
    ASSERT_EQ(2u, pages.size());
    ASSERT_LE(6u, pages[0].size());
    EXPECT_EQ("", pages[0][0] + pages[0][1]);
    EXPECT_EQ("   " + long_line, pages[0][2] + pages[0][3]);
    EXPECT_EQ("   a    b       c", pages[0][4]);  // a tab goes on to the next stop of eight columns
    EXPECT_EQ("   result line 1", pages[0][5]);
    EXPECT_EQ("   result line 100", pages[1].back());
    // Cancelling the font dialog prints every line in the printer's font; cancelling the printer, nothing.
    print(std::nullopt);
    desktop.expect_print(std::nullopt);
    pick("mnu_pri");
    QStringList offered;
    for (const FontChoice& font : desktop.fonts_offered())
        offered << font.family + " " + QString::number(font.point_size);
    EXPECT_EQ(QStringLiteral("MS Sans Serif 8|Liberation Mono 10"), offered.join(QLatin1Char('|')));
    std::string printed = command_output("pdftotext -layout '" + pdf + "' -");
    std::erase_if(printed, [](char c) { return c == ' ' || c == '\n' || c == '\f'; });
    std::erase_if(all, [](char c) { return c == ' ' || c == '\n' || c == '\t'; });
    EXPECT_EQ(all, printed);
    std::string unwritable = data.file("none/print.pdf");
    desktop.expect_print(q(unwritable));
    desktop.expect_general_error(q("Cannot print on " + unwritable + "."));
    pick("mnu_pri");
}

}  // namespace
}  // namespace qvr::test
