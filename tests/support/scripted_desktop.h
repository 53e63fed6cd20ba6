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
    ~ScriptedDesktop() override { verify(); }

    /// The next box is of `kind` with `text` and `buttons`; it is answered with `answer`.
    void expect_box(BoxKind kind, const QString& text, int buttons, BoxButton answer) {
        queue_.push_back({.what = What::box, .shown = box_shown(kind, text, buttons), .answer = answer});
    }
    void expect_info(const QString& text) { expect_box(BoxKind::information, text, kOk, kOk); }
    void expect_confirm(const QString& text, BoxButton answer) {
        expect_box(BoxKind::confirmation, text, kYes | kNo, answer);
    }
    void expect_general_error(const QString& text) { expect_box(BoxKind::general_error, text, kOk, kOk); }
    /// The general error box whose text starts with `prefix` (the system's reason follows).
    void expect_general_error_starting(const QString& prefix) {
        queue_.push_back({.what = What::box,
                          .shown = box_shown(BoxKind::general_error, prefix, kOk),
                          .prefix_only = true});
    }
    /// The input box with `caption`, `prompt` and initial text `initial`; answers `answer`, or Cancel when
    /// none is given.
    void expect_input(const QString& caption, const QString& prompt, const QString& initial,
                      std::optional<QString> answer) {
        queue_.push_back(
            {.what = What::input, .shown = caption + " | " + prompt + " | " + initial, .path = answer});
    }
    /// The open or save dialog; `path` is the chosen file, nothing means Cancel (so for the others).
    void expect_open(std::optional<QString> path) { queue_.push_back({.what = What::open, .path = path}); }
    void expect_save(std::optional<QString> path) { queue_.push_back({.what = What::save, .path = path}); }
    void expect_font(std::optional<FontChoice> font) { queue_.push_back({.what = What::font, .font = font}); }
    /// The print dialog; confirmed, it prints to a PDF file at `pdf`.
    void expect_print(std::optional<QString> pdf) { queue_.push_back({.what = What::print, .path = pdf}); }
    void expect_link(const QString& link) { queue_.push_back({.what = What::link, .shown = link}); }
    void expect_help(const QString& file, const QString& anchor) {
        queue_.push_back({.what = What::help, .shown = file + "#" + anchor});
    }
    /// The read-only text window with `caption` and exactly `text`.
    void expect_text(const QString& caption, const QString& text) {
        queue_.push_back({.what = What::text, .shown = caption + "\n" + text});
    }

    /// Fails the test for every expectation not met yet, and forgets them.
    void verify();

    /// The state of each file dialog and the font of each font dialog when shown, in order.
    const std::vector<FileDialogState>& dialog_states() const { return dialog_states_; }
    const std::vector<FontChoice>& fonts_offered() const { return fonts_offered_; }

    BoxButton message_box(BoxKind kind, const QString& text, int buttons) override {
        auto e = take(What::box, box_shown(kind, text, buttons, false));
        if (!e) return (buttons & kNo) ? kNo : ((buttons & kCancel) ? kCancel : kOk);
        return e->answer;
    }
    std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                     const QString& initial) override {
        auto e = take(What::input, caption + " | " + prompt + " | " + initial);
        return e ? e->path : std::nullopt;
    }
    bool open_file(FileDialogState& state) override { return choose_file(What::open, state); }
    bool save_file(FileDialogState& state) override { return choose_file(What::save, state); }
    bool choose_font(FontChoice& font) override {
        fonts_offered_.push_back(font);
        auto e = take(What::font);
        if (e && e->font) font = *e->font;
        return e && e->font;
    }
    bool choose_printer(QPrinter& printer) override;
    void open_link(const QString& link) override { take(What::link, link); }
    void show_help(const QString& file, const QString& anchor) override {
        take(What::help, file + "#" + anchor);
    }
    void show_text(const QString& caption, const QString& text) override {
        take(What::text, caption + "\n" + text);
    }

  private:
    enum class What { box, input, open, save, font, print, link, help, text };
    struct Expectation {
        What what = What::box;
        QString shown{};  ///< what must be shown (box, input box, link, help), as take() is given it
        bool prefix_only = false;
        BoxButton answer = kOk;
        std::optional<QString> path{};  ///< input answer, chosen file, pdf path
        std::optional<FontChoice> font{};
    };
    /// A box as take() compares it: its caption and buttons first, so that a prefix leaves the text open.
    /// The expected captions are written out here, so that a caption the program gets wrong shows.
    static QString box_shown(BoxKind kind, const QString& text, int buttons, bool expected = true) {
        static const char* const captions[] = {"Information", "Confirm", "Warning", "Error",
                                               "Quarvel - Multi-colums text file extraction"};
        const QString caption =
            expected ? QString::fromLatin1(captions[static_cast<int>(kind)]) : box_caption(kind);
        return caption + " [" + QString::number(buttons) + "]: " + text;
    }
    /// The next expectation, which must be of kind `what` and show `shown`; else a failure.
    std::optional<Expectation> take(What what, const QString& shown = {});
    bool choose_file(What what, FileDialogState& state) {
        dialog_states_.push_back(state);
        auto e = take(what);
        if (e && e->path) state.file_name = *e->path;
        return e && e->path;
    }

    std::deque<Expectation> queue_;
    std::vector<FileDialogState> dialog_states_;
    std::vector<FontChoice> fonts_offered_;
};

}  // namespace qvr::test
