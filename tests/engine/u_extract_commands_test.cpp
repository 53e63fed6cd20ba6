#include <QElapsedTimer>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "desktop/qt_desktop.h"
#include "desktop/text_box.h"
#include "support/key_answers.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

/// File > Go on the real desktop layer: its boxes are real message boxes, answered with keys sent to the
/// window system, and Stop is clicked where the pointer would be, on the top-level window.
class RealBoxesGoTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start_on(boxes);
        boxes.set_parent(mdi.get());
        clear_box(mdi->frm_view->input_view());
        set_text("txt_inp", input);
        set_text("txt_out", output);
        set_rows({{"Name", "1", "3", ""}, {"Code", "4", "2", ""}});
        tick("chk_head", false);
    }

    /// Clicks at `widget`'s middle, sent to its top-level window as the window system sends a click.
    static void click_through_window(QWidget* widget) {
        QWidget* top = widget->window();
        QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {},
                          widget->mapTo(top, widget->rect().center()));
    }

    QtDesktop boxes;
    std::string input = data.write("in.txt", "ABCDEFGH\r\nAB\r\nXYZ12345\r\n");
    std::string output = data.file("out.txt");
};

// Every box at the end of a run takes its key: the run's question, its notices and its result, in both
// kinds of run, and the windows show the result afterwards.
TEST_F(RealBoxesGoTest, EveryBoxOfARunTakesItsKey) {
    struct Case {
        bool fast;
        std::vector<std::string> boxes;
        std::string traces;
    };
    const Case cases[] = {
        {false, {"Confirm: Keep imput view.", "Information: Extract file generated"}, "111 00"},
        {true,
         {"Confirm: Result file already exists, overwrite ?", "Confirm: Keep imput view.",
          "Information: First 100 lines sent to \"view results\" window.",
          "Information: Extract file generated"},
         "111 00"},
    };
    for (const Case& c : cases) {
        set_lines(mdi->frm_view->input_view(), {"kept"});
        tick("chk_qck", c.fast);
        KeyAnswers keys({Qt::Key_Return, Qt::Key_Return, Qt::Key_Return, Qt::Key_Return});
        pick("mnu_go");
        EXPECT_EQ(c.boxes, keys.shown()) << c.fast;
        EXPECT_EQ(c.traces, traces()) << c.fast;
        EXPECT_EQ((std::vector<std::string>{"ABC;DE", "AB;", "XYZ;12"}),
                  all_lines(mdi->frm_view->result_view()))
            << c.fast;
        EXPECT_EQ((std::vector<std::string>{"kept"}), all_lines(mdi->frm_view->input_view()));
    }
}

// A click on Stop, sent as the window system sends it, ends a sorted run at once and keeps the former
// result; a click elsewhere during the run does nothing.
TEST_F(RealBoxesGoTest, AClickOnStopEndsARunAndOtherClicksWait) {
    std::string lines;
    for (int i = 0; i < 1'500'000; ++i) lines += "ABCDEFGH" + std::to_string(i % 9973) + "\r\n";
    data.write("in.txt", lines);
    data.write("out.txt", "former\r\n");
    tick("chk_sort", true);
    QCheckBox* numbers = find<QCheckBox>("chk_nbr");
    QWidget* stop = find<QWidget>("btn_stop");
    QElapsedTimer since_click;
    // Once the run shows Stop, at its first look at the window's events.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!stop->isVisible() || since_click.isValid()) return;
        click_through_window(numbers);
        click_through_window(stop);
        since_click.start();
    });
    watch.start(5);
    KeyAnswers keys({Qt::Key_Return});
    pick("mnu_go");
    const qint64 took = since_click.elapsed();
    ASSERT_TRUE(since_click.isValid());
    EXPECT_EQ((std::vector<std::string>{"Confirm: Result file already exists, overwrite ?"}), keys.shown());
    EXPECT_EQ("former\r\n", read_file(output).substr(0, 16));
    EXPECT_FALSE(numbers->isChecked());
    EXPECT_EQ("000 00", traces());
    EXPECT_GT(1000, took);  // 0.3 s on a quiet machine; room here for a loaded one and the sanitizer
}

// "Fail on values types cannot read", ticked by a click through the window system: a value its type cannot
// read fails File > Go and the former result stays; unticked, the result is written and the last box
// names the field's count.
TEST_F(RealBoxesGoTest, TheStrictTickBoxDecidesWhetherABadValueFailsTheRun) {
    data.write("in.txt", "ABC12\r\nXYZ1x\r\n");
    set_rows({{"Name", "1", "3", ""}, {"Code", "4", "2", "", parse_field_type("int")}});
    QCheckBox* strict = find<QCheckBox>("chk_strict");
    const struct {
        std::vector<std::string> boxes;
        std::string result;
    } cases[] = {
        {{"Confirm: Result file already exists, overwrite ?",
          "Quarvel - Multi-colums text file extraction: Code: 1 value could not be read (line 2).\n"
          "Nothing was written: the former result is left as it was."},
         "former\r\n"},
        {{"Confirm: Result file already exists, overwrite ?",
          "Information: Extract file generated\n\rCode: 1 value could not be read (line 2)."},
         "ABC;12\r\nXYZ;\r\n"},
    };
    for (const auto& c : cases) {
        data.write("out.txt", "former\r\n");
        const bool was = strict->isChecked();
        click_through_window(strict);
        ASSERT_NE(was, strict->isChecked());
        KeyAnswers keys({Qt::Key_Return, Qt::Key_Return, Qt::Key_Return});
        pick("mnu_go");
        EXPECT_EQ(c.boxes, keys.shown());
        EXPECT_EQ(c.result, read_file(output));
    }
}

}  // namespace
}  // namespace qvr::test
