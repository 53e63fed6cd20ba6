#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <string>

#include "shell/u_qvr32.h"
#include "support/memory_limit.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

namespace qvr::test {

inline QString q(const std::string& text) { return QString::fromStdString(text); }

/// What `command` writes to its standard output.
inline std::string command_output(const std::string& command) {
    std::string text;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
        ::pclose(p);
    }
    return text;
}

/// A test that starts the whole program window in a fresh program folder with the scripted desktop.
class MainWindowTest : public ::testing::Test {
  protected:
    /// Starts the program; files put into `program` before (QVR32.CFG, QVR32.LOG) are read as at a start.
    void start() {
        mdi = std::make_unique<Tmdi_qvr>(desktop, program.path(), memory);
        QObject::connect(mdi.get(), &Tmdi_qvr::program_ended, [this](int status) { exit_status = status; });
        mdi->show();
    }

    void TearDown() override {
        mdi.reset();
        desktop.verify();
    }

    /// The child of `parent` (the main window by default) named `name`; fails the test when missing.
    template <class T>
    T* find(const char* name, QObject* parent = nullptr) {
        T* found = (parent ? parent : mdi.get())->findChild<T*>(QString::fromLatin1(name));
        if (!found) ADD_FAILURE() << "no " << name;
        return found;
    }

    /// Picks a menu item, as a click or its shortcut would.
    void pick(const char* menu_item) {
        QAction* action = find<QAction>(menu_item);
        ASSERT_TRUE(action->isEnabled()) << menu_item << " is disabled";
        action->trigger();
    }

    TempDir program;
    TempDir data;
    MemoryLimit memory;
    ScriptedDesktop desktop;
    std::unique_ptr<Tmdi_qvr> mdi;
    int exit_status = -1;
};

}  // namespace qvr::test
