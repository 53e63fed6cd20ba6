#include <gtest/gtest.h>

#include <QPrinter>

#include "support/scripted_desktop.h"

namespace qvr::test {

namespace {
const char* what_name(int what) {
    static const char* names[] = {"message box", "input box",    "open dialog", "save dialog",
                                  "font dialog", "print dialog", "link",        "help"};
    return names[what];
}
}  // namespace

ScriptedDesktop::~ScriptedDesktop() { verify(); }

void ScriptedDesktop::verify() {
    for (const Expectation& e : queue_)
        ADD_FAILURE() << "expected " << what_name(static_cast<int>(e.what))
                      << " was never shown: " << e.text.toStdString();
    queue_.clear();
}

std::optional<ScriptedDesktop::Expectation> ScriptedDesktop::take(What what, const QString& shown) {
    if (queue_.empty()) {
        ADD_FAILURE() << "unexpected " << what_name(static_cast<int>(what)) << ": " << shown.toStdString();
        return std::nullopt;
    }
    Expectation e = queue_.front();
    if (e.what != what) {
        ADD_FAILURE() << "expected " << what_name(static_cast<int>(e.what)) << " \"" << e.text.toStdString()
                      << "\" but got " << what_name(static_cast<int>(what)) << ": " << shown.toStdString();
        return std::nullopt;
    }
    queue_.pop_front();
    return e;
}

BoxButton ScriptedDesktop::message_box(BoxKind kind, const QString& text, int buttons) {
    auto e = take(What::box, box_caption(kind) + QStringLiteral(": ") + text);
    if (!e) return (buttons & kNo) ? kNo : ((buttons & kCancel) ? kCancel : kOk);
    EXPECT_EQ(box_caption(e->kind), box_caption(kind)) << text.toStdString();
    if (e->prefix_only) {
        EXPECT_TRUE(text.startsWith(e->text))
            << text.toStdString() << " does not start with " << e->text.toStdString();
    } else {
        EXPECT_EQ(e->text, text);
    }
    EXPECT_EQ(e->buttons, buttons) << text.toStdString();
    return e->answer;
}

std::optional<QString> ScriptedDesktop::input_box(const QString& caption, const QString& prompt,
                                                  const QString& initial) {
    auto e = take(What::input, caption + QStringLiteral(": ") + prompt);
    if (!e) return std::nullopt;
    EXPECT_EQ(e->text, caption);
    EXPECT_EQ(e->prompt, prompt);
    EXPECT_EQ(e->initial, initial);
    return e->path;
}

bool ScriptedDesktop::choose_file(What what, FileDialogState& state) {
    dialog_states_.push_back(state);
    auto e = take(what, state.filter);
    if (!e || !e->path) return false;
    state.file_name = *e->path;
    return true;
}

bool ScriptedDesktop::open_file(FileDialogState& state) { return choose_file(What::open, state); }
bool ScriptedDesktop::save_file(FileDialogState& state) { return choose_file(What::save, state); }

bool ScriptedDesktop::choose_font(FontChoice& font) {
    fonts_offered_.push_back(font);
    auto e = take(What::font, font.family);
    if (!e || !e->font) return false;
    font = *e->font;
    return true;
}

bool ScriptedDesktop::choose_printer(QPrinter& printer) {
    auto e = take(What::print, QStringLiteral("print"));
    if (!e || !e->path) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*e->path);
    return true;
}

void ScriptedDesktop::open_link(const QString& link) {
    if (auto e = take(What::link, link)) {
        EXPECT_EQ(e->text, link);
    }
}

void ScriptedDesktop::show_help(const QString& file, const QString& anchor) {
    auto e = take(What::help, file);
    if (!e) return;
    EXPECT_EQ(e->text, file);
    EXPECT_EQ(e->prompt, anchor);
}

}  // namespace qvr::test
