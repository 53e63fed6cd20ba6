#include "shell/u_help_commands.h"

#include "desktop/path_text.h"
#include "desktop/widget_text.h"
#include "shell/link_check.h"

namespace qvr {

namespace {
constexpr const char* kHelpContents = "Sommaire";
constexpr const char* kConnectionNotice =
    "If any connection problem, see the help file or the program web site.";
constexpr const char* kVersionLine = "3.44 - 32 bits";
}  // namespace

HelpCommands::HelpCommands(Desktop& desktop, const std::string& help_path, const LinkTexts& links)
    : desktop_(desktop), help_path_(help_path), links_(links) {}

void HelpCommands::contents() {
    // The viewer itself reports a help file that is missing or cannot be read.
    desktop_.show_help(to_path_text(help_path_), QString::fromLatin1(kHelpContents));
}

// The notice comes first, whatever the link; a link the desktop must not open then opens nothing,
// silently, like a link it cannot open.
void HelpCommands::open_link_after_notice(const std::string& link) {
    desktop_.message_box(BoxKind::information, QString::fromLatin1(kConnectionNotice), kOk);
    if (may_open_link(link)) desktop_.open_link(to_widget_text(link));
}

void HelpCommands::author_site() { open_link_after_notice(links_.author); }
void HelpCommands::home_site() { open_link_after_notice(links_.home); }
void HelpCommands::mail() { open_link_after_notice(links_.mail); }

void HelpCommands::about() {
    desktop_.message_box(BoxKind::information, QString::fromLatin1(kVersionLine), kOk);
}

}  // namespace qvr
