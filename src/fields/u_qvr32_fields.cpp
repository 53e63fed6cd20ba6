#include "shell/u_qvr32.h"

namespace qvr {

void Tmdi_qvr::mnu_fdnClick() {}
void Tmdi_qvr::Recall1Click() {}
void Tmdi_qvr::SaveAs1Click() {}

}  // namespace qvr
