#include "input/u_inp.h"

#include "shell/u_qvr32.h"

namespace qvr {

Tfrm_inp::Tfrm_inp(Tmdi_qvr& main) : QDialog(&main), main_(main) {
    setObjectName(QStringLiteral("frm_inp"));
    setWindowTitle(QStringLiteral("Opening input lile - Filling the input view"));
    setModal(true);
}

}  // namespace qvr
