#include "shell/u_qvr32.h"

namespace qvr {

void Tmdi_qvr::mnu_rvwClick() {}
void Tmdi_qvr::mnu_selClick() {}
void Tmdi_qvr::mnu_cpyClick() {}
void Tmdi_qvr::mnu_priClick() {}
void Tmdi_qvr::mnu_wvrClick() {}

}  // namespace qvr
