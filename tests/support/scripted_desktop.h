#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "desktop/desktop.h"

/// Lets GoogleTest print QStrings readably in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace qvr::test {

/// A desktop layer for tests: answers every box and dialog from a queue of expectations, in order,
/// checks each box's kind, caption, text and buttons, and fails the test on a box nobody expected or an
/// expectation that was never met (checked when it is destroyed, or by verify()).
class ScriptedDesktop : public Desktop {
  public:
    ~ScriptedDesktop() override;

    /// The next box is of `kind` with `text` and `buttons`; it is answered with `answer`.
    void expect_box(BoxKind kind, const QString& text, int buttons, BoxButton answer) {
        queue_.push_back(
            {.what = What::box, .kind = kind, .text = text, .buttons = buttons, .answer = answer});
    }
    /// An information box with one OK button.
    void expect_info(const QString& text) { expect_box(BoxKind::information, text, kOk, kOk); }
    /// A confirmation box with Yes and No, answered with `answer`.
    void expect_confirm(const QString& text, BoxButton answer) {
        expect_box(BoxKind::confirmation, text, kYes | kNo, answer);
    }
    /// The general error box with exactly `text`.
    void expect_general_error(const QString& text) { expect_box(BoxKind::general_error, text, kOk, kOk); }
    /// The general error box whose text starts with `prefix` (the system's reason follows).
    void expect_general_error_starting(const QString& prefix) {
        queue_.push_back({.what = What::box,
                          .kind = BoxKind::general_error,
                          .text = prefix,
                          .prefix_only = true,
                          .buttons = kOk});
    }

    /// The input box with `caption` and `prompt` and initial text `initial`; answers `answer`, or
    /// Cancel when none is given.
    void expect_input(const QString& caption, const QString& prompt, const QString& initial,
                      std::optional<QString> answer) {
        queue_.push_back({.what = What::input,
                          .text = caption,
                          .prompt = prompt,
                          .initial = initial,
                          .path = std::move(answer)});
    }
    /// The open or save dialog; `path` is the chosen file, nothing means Cancel.
    void expect_open(std::optional<QString> path) { queue_.push_back({.what = What::open, .path = path}); }
    void expect_save(std::optional<QString> path) { queue_.push_back({.what = What::save, .path = path}); }
    /// The font dialog; nothing means Cancel.
    void expect_font(std::optional<FontChoice> font) { queue_.push_back({.what = What::font, .font = font}); }
    /// The print dialog; confirmed, it prints to a PDF file at `pdf_path`; nothing means Cancel.
    void expect_print(std::optional<QString> pdf_path) {
        queue_.push_back({.what = What::print, .path = pdf_path});
    }
    /// A link handed to the desktop.
    void expect_link(const QString& link) { queue_.push_back({.what = What::link, .text = link}); }
    /// The help viewer opened on `file` at `anchor`.
    void expect_help(const QString& file, const QString& anchor) {
        queue_.push_back({.what = What::help, .text = file, .prompt = anchor});
    }

    /// Fails the test for every expectation not met yet, and forgets them.
    void verify();

    /// The state of each file dialog when it was shown, in order.
    const std::vector<FileDialogState>& dialog_states() const { return dialog_states_; }
    /// The font each font dialog started from, in order.
    const std::vector<FontChoice>& fonts_offered() const { return fonts_offered_; }

    BoxButton message_box(BoxKind kind, const QString& text, int buttons) override;
    std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                     const QString& initial) override;
    bool open_file(FileDialogState& state) override;
    bool save_file(FileDialogState& state) override;
    bool choose_font(FontChoice& font) override;
    bool choose_printer(QPrinter& printer) override;
    void open_link(const QString& link) override;
    void show_help(const QString& file, const QString& anchor) override;

  private:
    enum class What { box, input, open, save, font, print, link, help };
    struct Expectation {
        What what = What::box;
        BoxKind kind = BoxKind::information;
        QString text{};  // box text or prefix, input caption, link, help file
        bool prefix_only = false;
        QString prompt{};   // input prompt, help anchor
        QString initial{};  // input initial text
        int buttons = 0;
        BoxButton answer = kOk;
        std::optional<QString> path{};  // input answer, chosen file, pdf path
        std::optional<FontChoice> font{};
    };
    /// The next expectation if it is of kind `what`, else a failure naming what was shown instead.
    std::optional<Expectation> take(What what, const QString& shown);
    /// The open or save dialog: records its state and answers the chosen file.
    bool choose_file(What what, FileDialogState& state);

    std::deque<Expectation> queue_;
    std::vector<FileDialogState> dialog_states_;
    std::vector<FontChoice> fonts_offered_;
};

}  // namespace qvr::test
