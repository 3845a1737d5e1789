#include "common/locations.h"

#include "platform/file_types.h"
#include "platform/native_path.h"

#include <QCheckBox>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

// The caption of a drive box: the whole mount point when it fits, else its last folder name,
// cut at the end when even that is too wide ("/media/usb" becomes "usb", a long label
// "Holiday…"). A name is recognised by its beginning; where not even one letter and the
// ellipsis fit, the letters that fit are shown bare. The box's hint holds the whole path.
QString driveCaption(const QString& root, const QFontMetrics& metrics, int room) {
    if (metrics.horizontalAdvance(root) <= room)
        return root;
    const QString last = root.mid(root.lastIndexOf(QLatin1Char('/')) + 1);
    const QString elided = metrics.elidedText(last, Qt::ElideRight, room);
    if (elided != QString(QChar(0x2026)))
        return elided;
    qsizetype fit = 0;
    while (fit < last.size() && metrics.horizontalAdvance(last.left(fit + 1)) <= room)
        ++fit;
    return fit > 0 ? last.left(fit) : elided;
}

} // namespace

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
        connect(cb, &QCheckBox::clicked, this, [this] { Q_EMIT boxClicked(); });
        boxes_[i] = cb;
    }
}

QCheckBox* TDrivePanel::box(int n) const {
    if (n < 1 || n > BoxCount)
        return nullptr;
    return boxes_[n - 1];
}

void TDrivePanel::buildDriveBoxes(const std::vector<Drive>& drives, int current) {
    for (QCheckBox* cb : boxes_) {
        cb->hide();
        cb->setChecked(false);
        cb->setText(QString());
        cb->setToolTip(QString());
        cb->setAccessibleName(QString());
        cb->setProperty("driveRoot", QString());
    }
    const int count = std::min<int>(int(drives.size()), BoxCount);
    // Boxes stand 38 pixels apart; those of the last column in use have the room up to the
    // panel's right edge for their captions, which on a machine with up to five drives is
    // every box.
    const int lastColumn = (count - 1) / 5;
    for (int i = 0; i < count; ++i) {
        QCheckBox* cb = boxes_[i];
        const QString& root = drives[i].root;
        cb->setProperty("driveRoot", root);
        const int x = 8 + (i / 5) * 38;
        const int width = i / 5 == lastColumn ? contentsRect().right() - x - 2 : BoxWidth;
        cb->setGeometry(x, 6 + (i % 5) * 24, width, BoxHeight);
        // The room for the caption is what the style leaves beside the tick mark.
        QStyleOptionButton opt;
        opt.initFrom(cb);
        opt.rect = QRect(0, 0, width, BoxHeight);
        const int room = cb->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, cb).width();
        const QString caption = driveCaption(root, cb->fontMetrics(), room);
        cb->setText(caption);
        cb->setToolTip(root);
        cb->setAccessibleName(root);
        cb->setChecked(i == current);
        cb->show();
    }
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
    return extensionToType(pattern.mid(1));
}
