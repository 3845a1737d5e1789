#include "model/deletion_totals.h"

#include "common/profile.h"
#include "common/size_sum.h"
#include "platform/clock.h"
#include "platform/file_time.h"

#include <QString>
#include <array>

namespace {

const QString kSettingsFile = QStringLiteral("zelkova.ini");
const QString kSection = QStringLiteral("Zelkova");
const QString kDelDate = QStringLiteral("DelDate");

// The four counters in the order of addToDeletionTotals' arguments.
const std::array<QString, 4> kCounters = {
    QStringLiteral("Ndelete"),
    QStringLiteral("SizeDelete"),
    QStringLiteral("NWaste"),
    QStringLiteral("SizeWaste"),
};

} // namespace

void addToDeletionTotals(qint64 deletedFiles, qint64 deletedBytes, qint64 recycledFiles,
                         qint64 recycledBytes) {
    const std::array<qint64, 4> amounts = {deletedFiles, deletedBytes, recycledFiles,
                                           recycledBytes};
    // Read, add and write under the one lock, so that another copy of the program adding at
    // the same time is not overwritten.
    Profile(kSettingsFile).update([&](ProfileUpdate& ini) {
        bool counted = false;
        for (size_t i = 0; i < kCounters.size(); ++i) {
            const qint64 amount = amounts[i];
            // Nothing to add leaves the stored total (or "no total") as it is; a negative
            // amount is a wrapped-round sum, never something deleted, and is refused.
            if (amount <= 0)
                continue;
            counted = true;
            const qint64 stored = ini.readInteger(kSection, kCounters[i], -1);
            ini.writeInteger(kSection, kCounters[i], stored > 0 ? addSize(stored, amount) : amount);
        }
        if (counted && ini.readInteger(kSection, kDelDate, -1) < 0)
            ini.writeInteger(kSection, kDelDate, dayNumber(currentDateTime().date()));
    });
}

void resetDeletionTotals() {
    Profile(kSettingsFile).update([](ProfileUpdate& ini) {
        for (const QString& key : kCounters)
            ini.writeInteger(kSection, key, -1);
        ini.writeInteger(kSection, kDelDate, -1);
    });
}
