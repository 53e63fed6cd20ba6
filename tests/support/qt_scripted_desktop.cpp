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

void ScriptedDesktop::expect_box(BoxKind kind, const QString& text, int buttons, BoxButton answer) {
    queue_.push_back({.what = What::box, .kind = kind, .text = text, .buttons = buttons, .answer = answer});
}

void ScriptedDesktop::expect_general_error_starting(const QString& prefix) {
    queue_.push_back({.what = What::box,
                      .kind = BoxKind::general_error,
                      .text = prefix,
                      .prefix_only = true,
                      .buttons = kOk});
}

void ScriptedDesktop::expect_input(const QString& caption, const QString& prompt, const QString& initial,
                                   std::optional<QString> answer) {
    queue_.push_back({.what = What::input,
                      .text = caption,
                      .prompt = prompt,
                      .initial = initial,
                      .path = std::move(answer)});
}

void ScriptedDesktop::expect_open(std::optional<QString> path) {
    queue_.push_back({.what = What::open, .path = std::move(path)});
}

void ScriptedDesktop::expect_save(std::optional<QString> path) {
    queue_.push_back({.what = What::save, .path = std::move(path)});
}

void ScriptedDesktop::expect_font(std::optional<FontChoice> font) {
    queue_.push_back({.what = What::font, .font = std::move(font)});
}

void ScriptedDesktop::expect_print(std::optional<QString> pdf_path) {
    queue_.push_back({.what = What::print, .path = std::move(pdf_path)});
}

void ScriptedDesktop::expect_link(const QString& link) {
    queue_.push_back({.what = What::link, .text = link});
}

void ScriptedDesktop::expect_help(const QString& file, const QString& anchor) {
    queue_.push_back({.what = What::help, .text = file, .prompt = anchor});
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

QString ScriptedDesktop::input_box(const QString& caption, const QString& prompt, const QString& initial) {
    auto e = take(What::input, caption + QStringLiteral(": ") + prompt);
    if (!e) return initial;
    EXPECT_EQ(e->text, caption);
    EXPECT_EQ(e->prompt, prompt);
    EXPECT_EQ(e->initial, initial);
    return e->path.value_or(initial);
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
