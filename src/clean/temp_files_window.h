#pragma once

#include "common/form_dialog.h"

#include <QString>

class QLabel;
class QPushButton;
class TPickList;

// The editor of the temporary extension list: Add (through the extension choice window),
// Delete, Clear all and Defaults. It loads the list from the settings file when shown and
// saves it there whenever it closes, however it closes.
class TfrmTempFiles : public TFormDialog {
    Q_OBJECT
public:
    explicit TfrmTempFiles(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    TPickList* PickList1 = nullptr;
    QPushButton *btAdd = nullptr, *btDelete = nullptr, *btClear = nullptr, *btDefaults = nullptr,
                *btClose = nullptr;
    QLabel *Label2 = nullptr, *Label3 = nullptr;

    // The settings file the list lives in.
    QString IniFileName = QStringLiteral("zelkova.ini");

    void FormShow() override;
    void btAddClick();
    void btDeleteClick();
    void btClearClick();
    void btDefaultsClick();
    // Saves the list; a refused write is reported once and the file keeps its old list.
    void WriteOutToDisk();

    void done(int result) override;

private:
    void addEntry(const QString& entry);
};
