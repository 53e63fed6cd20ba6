#pragma once

#include <QString>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "desktop/desktop.h"

namespace qvr::bench {

/// Answers every box as a user in a hurry would: Yes to questions, OK to the rest, the initial text of an
/// input box; no dialog is ever confirmed. Each box's text goes to standard error when `tell` is set.
class HurriedDesktop : public Desktop {
  public:
    explicit HurriedDesktop(bool tell = false) : tell_(tell) {}
    BoxButton message_box(BoxKind kind, const QString& text, int) override {
        ++boxes;
        if (tell_) std::fprintf(stderr, "box: %s\n", text.toLocal8Bit().constData());
        return kind == BoxKind::confirmation ? kYes : kOk;
    }
    std::optional<QString> input_box(const QString&, const QString&, const QString& initial) override {
        return initial;
    }
    bool open_file(FileDialogState&) override { return false; }
    bool save_file(FileDialogState&) override { return false; }
    bool choose_font(FontChoice&) override { return false; }
    bool choose_printer(QPrinter&) override { return false; }
    void open_link(const QString&) override {}
    void show_help(const QString&, const QString&) override {}
    void show_text(const QString&, const QString&) override {}
    int boxes = 0;

  private:
    bool tell_;
};

/// A resident memory figure of this process in MiB ("VmRSS:", "VmHWM:").
inline double status_mib(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::string(key).size())) / 1024.0;
    return 0;
}

/// Starts a new peak ("VmHWM:") from the memory held now.
inline void reset_peak() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace qvr::bench
