#include "fields/u_dlm.h"

#include "shell/u_qvr32.h"

namespace qvr {

Tfrm_dlm::Tfrm_dlm(Tmdi_qvr& main) : main_(main) {
    setObjectName(QStringLiteral("frm_dlm"));
    setWindowTitle(QStringLiteral("Fields definition"));
    resize(700, 485);
}

bool Tfrm_dlm::table_check() {
    if (table_.first_unusable_row() == 0) return true;
    main_.desktop().message_box(BoxKind::information, QStringLiteral("Please check the delimiter."), kOk);
    return false;
}

}  // namespace qvr
