#include "ui/errorreport.h"

#include "core/appinfo.h"
#include "core/korvelloerror.h"
#include "ui/dialogs.h"

namespace ErrorReport {

void show(QWidget* parent, const std::exception& error) {
    QString text;
    if (const auto* own = dynamic_cast<const KorvelloError*>(&error))
        text = own->innermostText();
    else
        text = QString::fromLocal8Bit(error.what());
    Dialogs::message(parent, appinfo::kTitle, reportText(text), QMessageBox::Critical, QMessageBox::Ok);
}

} // namespace ErrorReport
