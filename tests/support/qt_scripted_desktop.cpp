#include <gtest/gtest.h>

#include <QPrinter>

#include "support/scripted_desktop.h"

namespace qvr::test {

static std::string what_name(int what) {
    static const char* names[] = {"message box",  "input box", "open dialog", "save dialog", "font dialog",
                                  "print dialog", "link",      "help",        "text window"};
    return names[what];
}

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

bool ScriptedDesktop::choose_printer(QPrinter& printer) {
    auto e = take(What::print);
    if (!e || !e->path) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*e->path);
    return true;
}

}  // namespace qvr::test
