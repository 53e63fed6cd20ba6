#include <gtest/gtest.h>

#include <QPrinter>

#include "desktop/qt_run_stop.h"
#include "support/scripted_desktop.h"

namespace qvr::test {

static const std::string kWhatNames[] = {"message box", "input box",   "open dialog",
                                         "save dialog", "font dialog", "print dialog",
                                         "link",        "help",        "text window"};

void ScriptedDesktop::verify() {
    for (const Expectation& e : queue_)
        ADD_FAILURE() << "expected " << kWhatNames[int(e.what)]
                      << " was never shown: " << e.shown.toStdString();
    queue_.clear();
}

std::optional<ScriptedDesktop::Expectation> ScriptedDesktop::take(What what, const QString& shown) {
    // Under a run's guard the real box would take no key and no click: the program would freeze.
    if (RunStopGuard::active())
        ADD_FAILURE() << kWhatNames[int(what)] << " " << shown.toStdString()
                      << " shown while a run held the window";
    if (queue_.empty() || queue_.front().what != what) {
        ADD_FAILURE() << "unexpected " << kWhatNames[int(what)] << " " << shown.toStdString()
                      << (queue_.empty() ? "" : ", expected " + kWhatNames[int(queue_.front().what)] + " ")
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
