#pragma once

#include <QDialog>

namespace qvr {

class Tmdi_qvr;

/// The filling-mode dialog shown when an input file is opened: how much of the file the input view shows.
class Tfrm_inp : public QDialog {
    Q_OBJECT

  public:
    explicit Tfrm_inp(Tmdi_qvr& main);

  private:
    Tmdi_qvr& main_;
};

}  // namespace qvr
