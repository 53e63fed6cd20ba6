#pragma once

#include "desktop/desktop.h"

namespace qvr {

class LineView;

/// The Result menu's commands on the result view: select all, copy, print.
class ResultCommands {
  public:
    ResultCommands(Desktop& desktop, LineView& result_view, FontChoice& printer_font);

    void select_all();
    void copy();
    void print();

  private:
    Desktop& desktop_;
    LineView& result_view_;
    FontChoice& printer_font_;
};

}  // namespace qvr
