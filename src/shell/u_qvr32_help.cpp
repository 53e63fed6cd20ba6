#include "shell/u_qvr32.h"

namespace qvr {

void Tmdi_qvr::mnu_idxClick() {}
void Tmdi_qvr::mnu_webClick() {}
void Tmdi_qvr::mnu_wmcClick() {}
void Tmdi_qvr::mnu_mailClick() {}
void Tmdi_qvr::mnu_abtClick() {}

}  // namespace qvr
