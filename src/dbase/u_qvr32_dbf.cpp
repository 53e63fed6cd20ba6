#include "shell/u_qvr32.h"

namespace qvr {

void Tmdi_qvr::mnu_dbfClick() {}

}  // namespace qvr
