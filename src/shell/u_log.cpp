#include "shell/u_log.h"

#include "shell/u_qvr32.h"

namespace qvr {

Tfrm_log::Tfrm_log(Tmdi_qvr& main) : main_(main) {
    setObjectName(QStringLiteral("frm_log"));
    setWindowTitle(QStringLiteral("Previous jobs"));
    resize(707, 494);
}

void Tfrm_log::add_job_line() {}

void Tfrm_log::save_job_log() {}

}  // namespace qvr
