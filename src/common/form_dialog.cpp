#include "common/form_dialog.h"

#include "common/screen_centre.h"

TFormDialog::TFormDialog(QWidget* parent, Qt::WindowFlags flags, Place place)
    : QDialog(parent, flags), place_(place) {}

void TFormDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FormShow();
    if (place_ == Place::Centred)
        centreOnScreen(this);
}
