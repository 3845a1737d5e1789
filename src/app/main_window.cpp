#include "app/main_window.h"
#include "common/screen_centre.h"

#include "app/about.h"
#include "app/help_window.h"
#include "common/face_colours.h"
#include "common/fit_text.h"
#include "common/locations.h"
#include "common/resources_init.h"
#include "controls/gradient_back.h"
#include "finders/dup_window.h"
#include "platform/entry_info.h"
#include "platform/native_path.h"
#include "platform/program_path.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QToolTip>
#include <fcntl.h>

QString makerName() {
    return QStringLiteral("Zelkova Works");
}

QString helpFileBeside(const QString& programFile) {
    QString folder = programFile.left(programFile.lastIndexOf(u'/') + 1);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + QStringLiteral("zelkova.hlp");
}

QString findHelpFile(const QString& programFile) {
    const auto isFile = [](const QString& path) {
        EntryInfo info;
        return statAt(AT_FDCWD, toNative(path).constData(), info) && info.isRegular();
    };
    const QString beside = helpFileBeside(programFile);
    const QString folder = programFile.left(std::max<qsizetype>(programFile.lastIndexOf(u'/'), 0));
    const QString installed = folder.left(std::max<qsizetype>(folder.lastIndexOf(u'/'), 0)) +
                              QStringLiteral("/share/zelkova/zelkova.hlp");
    return !isFile(beside) && isFile(installed) ? installed : beside;
}

namespace {
constexpr int hintDelayMs = 1000;

// The application's style with the hint wake-up delay of the program.
class HintStyle : public QProxyStyle {
public:
    explicit HintStyle(QStyle* base) : QProxyStyle(base) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay)
            return hintDelayMs;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

struct ToolText {
    const char* object;
    const char* caption;
    const char* label;
    const char* glyph;
    int top;
};

constexpr ToolText toolTexts[7] = {
    {"btDuplicate", "&Duplicate files", "Locate and view duplicate files", ":/glyph_duplicate.png",
     9},
    {"btFileHog", "&File hogs", "Locate and view file hogs (large files)", ":/glyph_filehog.png",
     60},
    {"btFiles", "Files &accessed", "Files accessed within a range of dates", ":/glyph_dates.png",
     111},
    {"btDirHogs", "Folder &hogs", "Displays large folders", ":/glyph_dirhog.png", 163},
    {"btClean", "&Quick clean", "Cleans up temporary files", ":/glyph_clean.png", 214},
    {"btStatistic", "&Statistics", "File/disk statistics", ":/glyph_statistics.png", 265},
    {"btBrowse", "&Browse", "Browse through files and folders", ":/glyph_browse.png", 316},
};

constexpr int clientWidth = 546;
constexpr int clientHeight = 413;
constexpr int panelLeft = 22;
constexpr int panelWidth = 502;
constexpr int panelHeight = 40;
constexpr int buttonWidth = 185;
constexpr int buttonHeight = 28;
constexpr int smallButtonWidth = 111;
constexpr int smallButtonTop = 374;

} // namespace

void applyHintSettings() {
    if (!dynamic_cast<HintStyle*>(QApplication::style()))
        QApplication::setStyle(new HintStyle(QStyleFactory::create(QApplication::style()->name())));
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, QColor(0, 255, 255));
    hints.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(hints);
}

TfrmMain::TfrmMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      lb1(searchPathList()) {
    initResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zelkova '95 Version 2.5 from ") + makerName());
    setFixedSize(clientWidth, clientHeight);

    // The panels are this grey under any desktop palette, so their labels take a text colour
    // that reads on it rather than the palette's (light grey under a dark theme).
    setGreyFace(this);
    QFont bold = font();
    bold.setPixelSize(13);
    bold.setBold(true);
    setFont(bold);

    GradientBack1 = new TGradientBack(this);
    GradientBack1->setObjectName(QStringLiteral("GradientBack1"));
    GradientBack1->setIsAllBlue(true);

    buildToolPanels();
    buildSmallButtons();

    connect(btDuplicate, &QPushButton::clicked, this, &TfrmMain::btDuplicateClick);
    connect(btFileHog, &QPushButton::clicked, this, &TfrmMain::btFileHogClick);
    connect(btFiles, &QPushButton::clicked, this, &TfrmMain::btFilesClick);
    connect(btDirHogs, &QPushButton::clicked, this, &TfrmMain::btDirHogsClick);
    connect(btClean, &QPushButton::clicked, this, &TfrmMain::btCleanClick);
    connect(btStatistic, &QPushButton::clicked, this, &TfrmMain::btStatisticClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmMain::btBrowseClick);
    connect(btReach, &QPushButton::clicked, this, &TfrmMain::btReachClick);
    connect(btHelp, &QPushButton::clicked, this, &TfrmMain::btHelpClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmMain::btCloseClick);

    centreOnScreen(this);
}

void TfrmMain::buildToolPanels() {
    // Arial where it is installed, else a metric twin, else a narrow face of the desktop.
    QFont labelFont;
    labelFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                           QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans Condensed")});
    labelFont.setPixelSize(15);
    labelFont.setBold(true);

    QPushButton** const buttons[7] = {&btDuplicate, &btFileHog,   &btFiles, &btDirHogs,
                                      &btClean,     &btStatistic, &btBrowse};
    for (int i = 0; i < 7; ++i) {
        const ToolText& text = toolTexts[i];
        Tool& tool = tools_[i];
        tool.panel = new QFrame(this);
        tool.panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        tool.panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        tool.panel->setLineWidth(2);
        tool.panel->setAutoFillBackground(true);
        tool.panel->setGeometry(panelLeft, text.top, panelWidth, panelHeight);

        tool.button = new QPushButton(QIcon(QString::fromLatin1(text.glyph)),
                                      QString::fromUtf8(text.caption), tool.panel);
        tool.button->setObjectName(QString::fromLatin1(text.object));
        tool.button->setIconSize(QSize(20, 20));
        tool.button->setGeometry(6, (panelHeight - buttonHeight) / 2, buttonWidth, buttonHeight);
        tool.button->setEnabled(false);
        *buttons[i] = tool.button;

        tool.label = new QLabel(QString::fromUtf8(text.label), tool.panel);
        tool.label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        tool.label->setFont(labelFont);
        const int labelLeft = 6 + buttonWidth + 14;
        tool.label->setGeometry(labelLeft, 2, panelWidth - labelLeft - 10, panelHeight - 4);
        tool.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        tool.label->setBuddy(tool.button);
        fitText(tool.label);
        labelFont.setPixelSize(qMin(labelFont.pixelSize(), tool.label->font().pixelSize()));
    }

    // One size for all seven labels: the largest that lets every one of them fit.
    for (const Tool& tool : tools_)
        tool.label->setFont(labelFont);
}

void TfrmMain::buildSmallButtons() {
    const auto smallButton = [this](const char* object, const QString& caption, int left) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(object));
        button->setGeometry(left, smallButtonTop, smallButtonWidth, buttonHeight);
        return button;
    };
    btReach = smallButton("btReach", QStringLiteral("Ab&out"), panelLeft);
    btHelp = smallButton("btHelp", QStringLiteral("H&elp"), (clientWidth - smallButtonWidth) / 2);
    btHelp->setIcon(QIcon(QStringLiteral(":/glyph_help.png")));
    btHelp->setIconSize(QSize(20, 20));
    btClose =
        smallButton("btClose", QStringLiteral("E&xit"), panelLeft + panelWidth - smallButtonWidth);
    btClose->setToolTip(QStringLiteral("Quit and close "));
}

void TfrmMain::setToolOpener(ToolButton which, std::function<void()> open) {
    Tool& tool = tools_[static_cast<int>(which)];
    tool.open = std::move(open);
    tool.button->setEnabled(static_cast<bool>(tool.open));
}

QPushButton* TfrmMain::toolButton(ToolButton which) const {
    return tools_[static_cast<int>(which)].button;
}

QLabel* TfrmMain::toolLabel(ToolButton which) const {
    return tools_[static_cast<int>(which)].label;
}

QFrame* TfrmMain::toolPanel(ToolButton which) const {
    return tools_[static_cast<int>(which)].panel;
}

TfrmHelp* TfrmMain::helpWindow() const {
    return findChild<TfrmHelp*>(QString(), Qt::FindDirectChildrenOnly);
}

void TfrmMain::openTool(ToolButton which) {
    const Tool& tool = tools_[static_cast<int>(which)];
    if (tool.open)
        tool.open();
}

void TfrmMain::btDuplicateClick() {
    openTool(ToolButton::Duplicate);
}

void TfrmMain::btFileHogClick() {
    openTool(ToolButton::FileHog);
}

void TfrmMain::btFilesClick() {
    openTool(ToolButton::Files);
}
void TfrmMain::btDirHogsClick() {
    openTool(ToolButton::DirHogs);
}
void TfrmMain::btCleanClick() {
    openTool(ToolButton::Clean);
}
void TfrmMain::btStatisticClick() {
    openTool(ToolButton::Statistic);
}
void TfrmMain::btBrowseClick() {
    openTool(ToolButton::Browse);
}

void TfrmMain::btReachClick() {
    openModalWindow<TfrmAbout>(this);
}

void TfrmMain::btHelpClick() {
    setHelpFile(findHelpFile(programFilePath()));
    showHelp(this, 1);
}

void TfrmMain::btCloseClick() {
    close();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmMain::FormShow() {
    applyHintSettings();
    setHelpFile(findHelpFile(programFilePath()));
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

void TfrmMain::GetSearchPath() {
    lb1 = searchPathFromEnvironment(qgetenv("PATH"));
}
