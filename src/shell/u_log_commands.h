#pragma once

#include "desktop/desktop.h"

namespace qvr {

class Tfrm_log;

/// The Log menu's commands on the Previous jobs window: select all, copy, print, save.
class LogCommands {
  public:
    LogCommands(Desktop& desktop, Tfrm_log& log, FontChoice& printer_font);

    void select_all();
    void copy();
    void print();
    void save();

  private:
    Desktop& desktop_;
    Tfrm_log& log_;
    FontChoice& printer_font_;
};

}  // namespace qvr
