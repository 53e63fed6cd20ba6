#pragma once

#include <string>

#include "desktop/desktop.h"
#include "shell/config_file.h"

namespace qvr {

/// The Help menu: the help file, the three links (each after its notice) and the version.
class HelpCommands {
  public:
    /// `help_path` is the help file; `links` are the configured addresses.
    HelpCommands(Desktop& desktop, const std::string& help_path, const LinkTexts& links);

    void contents();
    void author_site();
    void home_site();
    void mail();
    void about();

  private:
    void open_link_after_notice(const std::string& link);

    Desktop& desktop_;
    const std::string& help_path_;
    const LinkTexts& links_;
};

}  // namespace qvr
