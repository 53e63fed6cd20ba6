#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPageLayout>
#include <QPrinter>
#include <cmath>
#include <regex>

#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

TEST_F(StartedTest, StartsWithItsVersionGeneralDataInFrontAndTheResultMenuOffThenSwitchesWindows) {
    // As in every multiple-document frame, the maximized child's caption follows the frame's own.
    EXPECT_EQ(QStringLiteral("Quarvel 3.44 - [General data]"), mdi->windowTitle());
    EXPECT_EQ(QSize(729, 519), mdi->size());
    EXPECT_FALSE(find<QMenu>("pdn_res")->menuAction()->isEnabled());
    EXPECT_FALSE(find<QAction>("mnu_lsv")->isVisible());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMinimized() && mdi->frame_of(mdi->frm_view)->isMinimized());
    EXPECT_FALSE(mdi->frame_of(mdi->frm_log)->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    EXPECT_EQ(q(program.path() + "|" + program.path()),
              mdi->opdlg_file.initial_dir + "|" + mdi->SVDLG_FILE.initial_dir);
    // Switching maximizes one window, minimizes the others and gives the one in front the keyboard.
    QApplication::setActiveWindow(mdi.get());
    const std::pair<const char*, QWidget*> switches[] = {
        {"mnu_vde", mdi->frm_dlm}, {"mnu_log", mdi->frm_log}, {"mnu_sge", mdi->frm_gen},
        {"mnu_def", mdi->frm_dlm}, {"mnu_lvw", mdi->frm_log}, {"mnu_sge", mdi->frm_gen}};
    QWidget* children[] = {mdi->frm_gen, mdi->frm_dlm, mdi->frm_view, mdi->frm_log};
    for (const auto& [item, target] : switches) {
        pick(item);
        for (QWidget* child : children) {
            EXPECT_EQ(child == target, mdi->frame_of(child)->isMaximized()) << item;
            EXPECT_EQ(child != target, mdi->frame_of(child)->isMinimized()) << item;
        }
        EXPECT_EQ(target, front()) << item;
        EXPECT_TRUE(target->isAncestorOf(QApplication::focusWidget())) << item;
    }
}

TEST_F(StartedTest, OutputChoosesTheResultFileAndAFileHandedOverOpensAsFileInputWould) {
    pick("mnu_vde");
    desktop.expect_save(std::nullopt);
    pick("mnu_out");
    EXPECT_EQ(QString(), box_text("txt_out"));  // Cancel changes nothing
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    desktop.expect_save(QStringLiteral("/data/r\u00e9sult.qvo"));
    pick("mnu_out");
    EXPECT_EQ(QStringLiteral("/data/r\u00e9sult.qvo"), box_text("txt_out"));
    EXPECT_EQ(QStringLiteral("Result file|*.qvo qvo"),
              desktop.dialog_states()[1].filter + " " + desktop.dialog_states()[1].default_ext);
    // From the command line: File > Input without its dialog, and the result's name made anew.
    const std::string path = data.write("in.txt", "ab\r\ncd\r\n");
    mdi->frm_inp->show_modal = [this](Tfrm_inp& dialog) {
        find<QRadioButton>("opt_full", &dialog)->setChecked(true);
        find<QPushButton>("cmd_ooke", &dialog)->click();
    };
    mdi->open_input_file(path);
    EXPECT_EQ((std::vector<std::string>{"ab", "cd"}), view());
    EXPECT_EQ(q(path), box_text("txt_inp"));
    EXPECT_EQ(q(data.file("in.qvo.txt")), box_text("txt_out"));
}

// F1 opens the help as Help > Index does, from every control: UserFaultsTest.EveryMenuShortcutWorks...
TEST_F(MainWindowTest, IndexOpensTheHelpAndEachLinkComesAfterTheNoticeAndOnlyWebAndMailLinksOpen) {
    // The home link overridden, the author's a local program, the mail link the built-in one.
    program.write("QVR32.CFG", "QVRHhttps://elsewhere.example/quarvel\r\nAUTH/usr/bin/xterm\r\n");
    start();
    desktop.expect_help(q(program.file("QVR32.HLP")), QStringLiteral("Sommaire"));
    pick("mnu_idx");
    const QString notice =
        QStringLiteral("If any connection problem, see the help file or the program web site.");
    desktop.expect_info(notice);
    desktop.expect_link(QStringLiteral("https://elsewhere.example/quarvel"));
    pick("mnu_wmc");
    desktop.expect_info(notice);
    pick("mnu_web");
    desktop.expect_info(notice);
    desktop.expect_link(q(LinkTexts().mail));
    pick("mnu_mail");
    desktop.expect_info(QStringLiteral("3.44 - 32 bits"));
    pick("mnu_abt");
}

// Each way a name reaches the program: typed into the boxes, or picked in File > Input (the dialog hands
// names as Qt spells them, bytes that are not UTF-8 as replacement marks), then File > Go, Result > View
// and the job log.
TEST_F(StartedTest, NamesShowAndOpenAsTheSystemSpellsThem) {
    set_rows({{"Name", "1", "3", ""}});
    tick("chk_head", false);
    const struct {
        bool picked;
        std::string input, output, shown, shown_output;  // the files' names, their bytes, then as shown
    } cases[] = {{false, "caf\xC3\xA9.txt", "r\xC3\xA9s.txt", "caf\xC3\xA9.txt", "r\xC3\xA9s.txt"},
                 {true, "bad\xFF.txt", "bad\xFF.qvo.txt", "bad\uFFFD.txt", "bad\uFFFD.qvo.txt"}};
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

TEST_F(StartedTest, ViewNamesTheOutputCopyTakesTheSelectionAndPrintWrapsTabsAndPages) {
    const std::string pdf = data.file("print.pdf");
    const auto print = [&](std::optional<FontChoice> font) {
        desktop.expect_print(q(pdf));
        desktop.expect_font(font);
        desktop.expect_info(QStringLiteral("Print completed"));
        pick("mnu_pri");
    };
    // A standard run whose result lines are the input lines.
    const std::string long_line = repeated("0123456789", 15);
    std::string all = long_line + "\r\na\tb\tc\r\n" + numbered_text(100, "result line ");
    set_text("txt_inp", data.write("in.txt", all));
    set_text("txt_out", data.file("out.txt"));
    mdi->frm_gen->set_header(false);
    set_rows({{"Line", "1", "200", "200"}});
    desktop.expect_confirm(QStringLiteral("Keep imput view."), kNo);
    desktop.expect_info(QStringLiteral("Extract file generated"));
    pick("mnu_go");
    // The view names the output file as the General data window names it now.
    set_text("txt_out", "/elsewhere/new.txt");
    pick("mnu_rvw");
    EXPECT_EQ(QStringLiteral("/elsewhere/new.txt"), label("lbl_vname"));
    pick("mnu_wvr");  // enabled by the run
    // Copy takes the selection, and always tells.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    for (const QString& copied : {QStringLiteral("before"), q(all).remove(QLatin1Char('\r')).chopped(1)}) {
        desktop.expect_info(
            QStringLiteral("Selection copied to clipboard and ready to be pasted into another application."));
        pick("mnu_cpy");
        EXPECT_EQ(copied, QGuiApplication::clipboard()->text());
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
    std::erase_if(all, [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; });
    EXPECT_EQ(all, printed);
    std::string unwritable = data.file("none/print.pdf");
    desktop.expect_print(q(unwritable));
    desktop.expect_general_error(q("Cannot print on " + unwritable + "."));
    pick("mnu_pri");
}

}  // namespace
}  // namespace qvr::test
