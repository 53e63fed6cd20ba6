#include <QFile>

#include "desktop/widget_text.h"
#include "shell/link_check.h"
#include "shell/u_qvr32.h"

namespace qvr {

namespace {
constexpr const char* kHelpContents = "Sommaire";
constexpr const char* kConnectionNotice =
    "If any connection problem, see the help file or the program web site.";
constexpr const char* kVersionLine = "3.44 - 32 bits";

// The notice comes first, whatever the link; a link the desktop must not open then opens nothing,
// silently, like a link it cannot open.
void open_link_after_notice(Desktop& desktop, const std::string& link) {
    desktop.message_box(BoxKind::information, QString::fromLatin1(kConnectionNotice), kOk);
    if (may_open_link(link)) desktop.open_link(to_widget_text(link));
}
}  // namespace

void Tmdi_qvr::mnu_idxClick() {
    // The viewer itself reports a help file that is missing or cannot be read.
    desktop_.show_help(QFile::decodeName(QByteArray::fromStdString(values_.places.help_path)),
                       QString::fromLatin1(kHelpContents));
}

void Tmdi_qvr::mnu_webClick() { open_link_after_notice(desktop_, values_.links.author); }
void Tmdi_qvr::mnu_wmcClick() { open_link_after_notice(desktop_, values_.links.home); }
void Tmdi_qvr::mnu_mailClick() { open_link_after_notice(desktop_, values_.links.mail); }

void Tmdi_qvr::mnu_abtClick() {
    desktop_.message_box(BoxKind::information, QString::fromLatin1(kVersionLine), kOk);
}

}  // namespace qvr
