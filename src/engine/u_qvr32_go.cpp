#include "shell/u_qvr32.h"

namespace qvr {

void Tmdi_qvr::mnu_goClick() {}

}  // namespace qvr
