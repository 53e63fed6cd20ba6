#include "shell/u_qvr32.h"

namespace qvr {

void Tmdi_qvr::mnu_inpClick() {}
void Tmdi_qvr::mnu_anaClick() {}
void Tmdi_qvr::mnu_vwiClick() {}
void Tmdi_qvr::mnu_widClick() {}

}  // namespace qvr
