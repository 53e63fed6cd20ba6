#include <gtest/gtest.h>

#include <QPrinter>

#include "support/scripted_desktop.h"

namespace qvr::test {

namespace {
std::string what_name(int what) {
    static const char* names[] = {"message box",  "input box", "open dialog", "save dialog", "font dialog",
                                  "print dialog", "link",      "help",        "text window"};
    return names[what];
}
}  // namespace

ScriptedDesktop::~ScriptedDesktop() { verify(); }

void ScriptedDesktop::verify() {
    for (const Expectation& e : queue_)
        ADD_FAILURE() << "expected " << what_name(int(e.what))
                      << " was never shown: " << e.shown.toStdString();
    queue_.clear();
}

std::optional<ScriptedDesktop::Expectation> ScriptedDesktop::take(What what, const QString& shown) {
    if (queue_.empty() || queue_.front().what != what) {
        ADD_FAILURE() << "unexpected " << what_name(int(what)) << " " << shown.toStdString()
                      << (queue_.empty() ? "" : ", expected " + what_name(int(queue_.front().what)) + " ")
                      << (queue_.empty() ? "" : queue_.front().shown.toStdString());
        return std::nullopt;
    }
    Expectation e = queue_.front();
    queue_.pop_front();
    if (e.prefix_only)
        EXPECT_TRUE(shown.startsWith(e.shown))
            << shown.toStdString() << " does not start with " << e.shown.toStdString();
    else
        EXPECT_EQ(e.shown, shown);
    return e;
}

BoxButton ScriptedDesktop::message_box(BoxKind kind, const QString& text, int buttons) {
    auto e = take(What::box, box_shown(kind, text, buttons, false));
    if (!e) return (buttons & kNo) ? kNo : ((buttons & kCancel) ? kCancel : kOk);
    return e->answer;
}

std::optional<QString> ScriptedDesktop::input_box(const QString& caption, const QString& prompt,
                                                  const QString& initial) {
    auto e = take(What::input, caption + " | " + prompt + " | " + initial);
    return e ? e->path : std::nullopt;
}

bool ScriptedDesktop::choose_file(What what, FileDialogState& state) {
    dialog_states_.push_back(state);
    auto e = take(what);
    if (e && e->path) state.file_name = *e->path;
    return e && e->path;
}

bool ScriptedDesktop::open_file(FileDialogState& state) { return choose_file(What::open, state); }
bool ScriptedDesktop::save_file(FileDialogState& state) { return choose_file(What::save, state); }

bool ScriptedDesktop::choose_font(FontChoice& font) {
    fonts_offered_.push_back(font);
    auto e = take(What::font);
    if (e && e->font) font = *e->font;
    return e && e->font;
}

bool ScriptedDesktop::choose_printer(QPrinter& printer) {
    auto e = take(What::print);
    if (!e || !e->path) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*e->path);
    return true;
}

void ScriptedDesktop::open_link(const QString& link) { take(What::link, link); }
void ScriptedDesktop::show_help(const QString& file, const QString& anchor) {
    take(What::help, file + "#" + anchor);
}
void ScriptedDesktop::show_text(const QString& caption, const QString& text) {
    take(What::text, caption + "\n" + text);
}

}  // namespace qvr::test
