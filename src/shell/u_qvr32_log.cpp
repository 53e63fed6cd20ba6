#include "shell/u_qvr32.h"

namespace qvr {

void Tmdi_qvr::mnu_lsaClick() {}
void Tmdi_qvr::mnu_lcpClick() {}
void Tmdi_qvr::mnu_lptClick() {}
void Tmdi_qvr::mnu_lsvClick() {}

}  // namespace qvr
