#include "common/form_dialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {
// Counts its fills and records where the window stood when it was filled.
class CountingDialog : public TFormDialog {
public:
    using TFormDialog::TFormDialog;
    void FormShow() override {
        ++fills;
        posAtFill = pos();
    }
    int fills = 0;
    QPoint posAtFill;
};
} // namespace

TEST(FormDialog, FillsOnTheFirstShowOnlyAndCentresAfterFilling) {
    for (const auto place : {TFormDialog::Place::AsOpened, TFormDialog::Place::Centred}) {
        CountingDialog dialog(nullptr, {}, place);
        dialog.setFixedSize(200, 100);
        dialog.move(0, 0);
        EXPECT_EQ(dialog.fills, 0);
        dialog.show();
        dialog.hide();
        dialog.show();
        EXPECT_EQ(dialog.fills, 1);
        EXPECT_EQ(dialog.posAtFill, QPoint(0, 0));
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        const bool centred = (dialog.frameGeometry().center() - centre).manhattanLength() <= 2;
        EXPECT_EQ(centred, place == TFormDialog::Place::Centred);
    }
}
