#include "common/locations.h"

#include "common/fit_text.h"

#include "platform/file_types.h"
#include "platform/native_path.h"

#include <QCheckBox>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

const QChar kEllipsis(0x2026);

// The shortest run of trailing folder names of `root` that no other root ends with (all of
// them when every shorter run is shared).
QString distinctTail(const QStringList& roots, qsizetype self) {
    const QStringList names = roots[self].split(u'/', Qt::SkipEmptyParts);
    const auto tail = [](const QStringList& parts, qsizetype k) {
        return parts.mid(std::max<qsizetype>(0, parts.size() - k)).join(u'/');
    };
    qsizetype k = 1;
    for (; k < names.size(); ++k) {
        const QString mine = tail(names, k);
        bool shared = false;
        for (qsizetype j = 0; j < roots.size() && !shared; ++j)
            shared = j != self && roots[j] != roots[self] &&
                     tail(roots[j].split(u'/', Qt::SkipEmptyParts), k) == mine;
        if (!shared)
            break;
    }
    return tail(names, k);
}

} // namespace

QStringList driveCaptions(const QStringList& roots, const std::vector<int>& rooms,
                          const QFontMetrics& metrics) {
    QStringList captions, tails;
    for (qsizetype i = 0; i < roots.size(); ++i) {
        const int room = rooms[size_t(i)];
        const bool whole =
            metrics.horizontalAdvance(roots[i]) <= room || roots[i] == QLatin1String("/");
        tails << (whole ? roots[i] : distinctTail(roots, i));
        captions << (whole ? roots[i] : elideText(tails[i], Qt::ElideMiddle, metrics, room));
    }
    // Shortened tails of different roots may still read alike ("backup-2024-disk" and
    // "backup-2025-disk" both as "bac…disk"): such captions show the tail from just before the
    // first place where it differs from the most alike of the others ("ba…24-disk").
    const QStringList first = captions;
    for (qsizetype i = 0; i < roots.size(); ++i) {
        qsizetype from = -1;
        for (qsizetype j = 0; j < roots.size(); ++j) {
            if (j == i || first[j] != first[i] || roots[j] == roots[i])
                continue;
            qsizetype p = 0;
            while (p < tails[i].size() && p < tails[j].size() && tails[i][p] == tails[j][p])
                ++p;
            from = std::max(from, p);
        }
        if (from <= 0)
            continue;
        // As many of the tail's first letters as still fit go before the ellipsis.
        const qsizetype cut = std::max<qsizetype>(0, from - 1);
        const QString rest = kEllipsis + tails[i].mid(cut);
        qsizetype lead = 0;
        while (lead < cut &&
               metrics.horizontalAdvance(tails[i].left(lead + 1) + rest) <= rooms[size_t(i)])
            ++lead;
        captions[i] =
            elideText(tails[i].left(lead) + rest, Qt::ElideRight, metrics, rooms[size_t(i)]);
    }
    return captions;
}

TDrivePanel::TDrivePanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("pnlDrives"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFixedSize(205, 127);
    setAccessibleName(tr("Drives"));
    // Five columns of five, filled top to bottom: cb1 ... cb5 form the first column.
    for (int i = 0; i < BoxCount; ++i) {
        auto* cb = new QCheckBox(this);
        cb->setObjectName(QStringLiteral("cb%1").arg(i + 1));
        cb->setGeometry(8 + (i / 5) * 38, 6 + (i % 5) * 24, BoxWidth, BoxHeight);
        cb->hide();
        // Every change of state counts, so a tick given through the keyboard or an
        // accessibility action (which toggles without a click) updates the window too.
        connect(cb, &QCheckBox::toggled, this, [this] {
            if (!building_)
                Q_EMIT boxClicked();
        });
        boxes_[i] = cb;
    }
}

QCheckBox* TDrivePanel::box(int n) const {
    if (n < 1 || n > BoxCount)
        return nullptr;
    return boxes_[n - 1];
}

void TDrivePanel::buildDriveBoxes(const std::vector<Drive>& drives, int current) {
    building_ = true;
    for (QCheckBox* cb : boxes_) {
        cb->hide();
        cb->setChecked(false);
        cb->setText(QString());
        cb->setToolTip(QString());
        cb->setAccessibleName(QString());
        cb->setProperty("driveRoot", QString());
    }
    const int count = std::min<int>(int(drives.size()), BoxCount);
    // The columns in use share the room from the first column's left to the panel's inner
    // right edge: five columns stand 38 pixels apart, fewer get wider boxes.
    const int columns = std::max(1, (count + 4) / 5);
    const int stride = (contentsRect().right() - 2 - 8) / columns;
    QStringList roots;
    std::vector<int> rooms;
    for (int i = 0; i < count; ++i) {
        QCheckBox* cb = boxes_[i];
        cb->setGeometry(8 + (i / 5) * stride, 6 + (i % 5) * 24, stride, BoxHeight);
        // The room for the caption is what the style leaves beside the tick mark.
        QStyleOptionButton opt;
        opt.initFrom(cb);
        opt.rect = QRect(0, 0, stride, BoxHeight);
        rooms.push_back(cb->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, cb).width());
        roots << drives[i].root;
    }
    const QStringList captions = driveCaptions(roots, rooms, fontMetrics());
    for (int i = 0; i < count; ++i) {
        QCheckBox* cb = boxes_[i];
        cb->setProperty("driveRoot", roots[i]);
        cb->setText(captions[i]);
        cb->setToolTip(roots[i]);
        cb->setAccessibleName(roots[i]);
        cb->setChecked(i == current);
        cb->show();
    }
    building_ = false;
}

void TDrivePanel::buildDriveBoxes() {
    const std::vector<Drive> drives = driveList();
    buildDriveBoxes(drives, currentDriveIndex(drives));
}

QString TDrivePanel::driveRoot(int n) const {
    const QCheckBox* cb = box(n);
    if (!cb || cb->isHidden())
        return QString();
    return cb->property("driveRoot").toString();
}

bool TDrivePanel::isTicked(int n) const {
    const QCheckBox* cb = box(n);
    return cb && !cb->isHidden() && cb->isChecked();
}

bool TDrivePanel::anyTicked() const {
    for (int n = 1; n <= BoxCount; ++n)
        if (isTicked(n))
            return true;
    return false;
}

QStringList TDrivePanel::tickedRoots() const {
    QStringList roots;
    for (int n = 1; n <= BoxCount; ++n)
        if (isTicked(n))
            roots << driveRoot(n);
    return roots;
}

QString TDrivePanel::tickedCaptions() const {
    QString text;
    for (const QString& root : tickedRoots())
        text += root + QLatin1Char(' ');
    return text;
}

bool isDriveReady(const QString& driveId) {
    if (driveId.isEmpty())
        throw InvalidDriveId();
    for (const Drive& d : driveList())
        if (d.root == driveId)
            return driveReady(d.root);
    throw InvalidDriveId();
}

QStringList searchPathFromEnvironment(const QByteArray& pathValue) {
    QStringList folders;
    for (const QByteArray& entry : pathValue.split(':')) {
        // An empty or relative entry stands for a folder relative to wherever a command is
        // run; listed folders are absolute, so such an entry could never match one.
        if (!entry.startsWith('/'))
            continue;
        QString folder = fromNative(entry);
        while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
            folder.chop(1);
        if (!folders.contains(folder))
            folders << folder;
    }
    return folders;
}

QStringList& searchPathList() {
    static QStringList list = searchPathFromEnvironment(qgetenv("PATH"));
    return list;
}

bool isOnSearchPath(const QString& folder) {
    const QStringList& list = searchPathList();
    for (const QString& line : list)
        if (line == folder)
            return true;
    return false;
}

void fillPatternCombo(QComboBox* combo) {
    const QString typed = combo->currentText();
    combo->clear();
    combo->addItems(listKnownExtensions());
    combo->setEditText(typed);
}

QString patternDescription(const QString& pattern) {
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("All files");
    // "*.log", ".log" and "log" all name the extension ".log".
    QStringView ext(pattern);
    if (ext.startsWith(u'*'))
        ext = ext.mid(1);
    if (ext.startsWith(u'.'))
        ext = ext.mid(1);
    return ext.isEmpty() ? QString() : extensionToType(u'.' + ext.toString());
}
