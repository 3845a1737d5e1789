#include "stats/deleted_page.h"

#include "common/number_text.h"
#include "common/profile.h"
#include "common/ui.h"
#include "model/deletion_totals.h"
#include "platform/date_text.h"
#include "platform/file_time.h"
#include "stats/stat_page_parts.h"
#include "widgets/push_button.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using statpage::label;

DeletedPage::DeletedPage() {
    auto* grid = new QGridLayout(this);
    const auto edit = [this](const QString& name, const QString& accessible) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setReadOnly(true);
        e->setAccessibleName(accessible);
        return e;
    };
    edNdelete = edit(QStringLiteral("edNdelete"), QStringLiteral("Deleted files"));
    edSzDelete = edit(QStringLiteral("edSzDelete"), QStringLiteral("Deleted bytes"));
    edNWaste = edit(QStringLiteral("edNWaste"), QStringLiteral("Recycled files"));
    edSzWaste = edit(QStringLiteral("edSzWaste"), QStringLiteral("Recycled bytes"));
    lblSince1 = label(this, QStringLiteral("lblSince1"));
    Button1 = makePushButton(this, "Button1", QStringLiteral("Reset these numbers"), {}, 140);
    grid->addWidget(
        label(this, QStringLiteral("Label46"), QStringLiteral("Files processed by Zelkova 95")), 0,
        0, 1, 3);
    grid->addWidget(label(this, QStringLiteral("lblFileDel"), QStringLiteral("Deleted files")), 1,
                    0);
    grid->addWidget(edNdelete, 1, 1);
    grid->addWidget(edSzDelete, 1, 2);
    grid->addWidget(label(this, QStringLiteral("lblFileWaste"),
                          QStringLiteral("Files sent to the recycle bin")),
                    2, 0);
    grid->addWidget(edNWaste, 2, 1);
    grid->addWidget(edSzWaste, 2, 2);
    grid->addWidget(lblSince1, 3, 0, 1, 3);
    grid->addWidget(Button1, 4, 0);
    grid->setRowStretch(5, 1);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void DeletedPage::showFilesDeleted() {
    const Profile ini(QStringLiteral("zelkova.ini"));
    const QString section = QStringLiteral("Zelkova");
    const auto read = [&](const char* key) {
        return ini.readInteger(section, QLatin1String(key), -1);
    };
    const qint64 date = read("DelDate");
    const QDate day = date < 0 ? QDate() : fromDayNumber(date);
    lblSince1->setText(day.isValid() ? QStringLiteral("Since ") + shortDateText(day) : QString());
    const auto show = [&](const char* countKey, const char* bytesKey, QLineEdit* files,
                          QLineEdit* bytes) {
        const qint64 n = read(countKey);
        const qint64 size = read(bytesKey);
        files->setText(n > 0 ? formatThousands(n) + QStringLiteral(" files")
                             : QStringLiteral("n/a"));
        bytes->setText(n > 0 && size >= 0 ? formatThousands(size) + QStringLiteral(" bytes")
                                          : QStringLiteral("n/a"));
    };
    show("Ndelete", "SizeDelete", edNdelete, edSzDelete);
    show("NWaste", "SizeWaste", edNWaste, edSzWaste);
}

void DeletedPage::Button1Click() {
    if (ui().askYesNo(QStringLiteral("Reset cumulative totals?")) != Answer::Yes)
        return;
    resetDeletionTotals();
    lblSince1->clear();
    for (QLineEdit* e : {edNdelete, edSzDelete, edNWaste, edSzWaste})
        e->setText(QStringLiteral("n/a"));
}
