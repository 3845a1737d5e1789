#pragma once

#include <QDialog>

// A dialog that fills itself the first time it shows: FormShow runs on that first show only,
// so a window hidden and shown again keeps what it shows. A centred dialog then moves to the
// middle of its screen, once its contents are in place.
class TFormDialog : public QDialog {
    Q_OBJECT
public:
    enum class Place { AsOpened, Centred };
    explicit TFormDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {},
                         Place place = Place::AsOpened);

    virtual void FormShow() = 0;

protected:
    void showEvent(QShowEvent* event) override;
    // True from the first show on.
    bool formShown() const { return shown_; }

private:
    Place place_;
    bool shown_ = false;
};
