#include "app/about.h"
#include "common/screen_centre.h"

#include "app/main_window.h"
#include "common/face_colours.h"
#include "common/fit_text.h"
#include "common/resources_init.h"
#include "controls/animated.h"
#include "controls/gradient_back.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int clientWidth = 420;
constexpr int clientHeight = 312;
constexpr int panelLeft = 14;
constexpr int panelTop = 12;
constexpr int panelWidth = clientWidth - 2 * panelLeft;
constexpr int panelHeight = 242;
constexpr int iconSize = 32;
// Pixels of this colour in the animation strips show the panel behind them.
const QColor stripGround(255, 0, 255);

TAnimated* makeAnimation(QWidget* panel, const char* object, const QString& name,
                         const QString& strip, int left, int frame, int interval, bool reverse) {
    auto* animation = new TAnimated(panel);
    animation->setObjectName(QString::fromLatin1(object));
    animation->setAccessibleName(name);
    animation->resize(iconSize, iconSize);
    animation->move(left, 8);
    animation->setBitMap(QImage(strip));
    animation->setFrameCount(5);
    animation->setFrame(frame);
    animation->setTransparentColor(stripGround);
    animation->setReverse(reverse);
    animation->setInterval(interval);
    animation->setPlay(true);
    return animation;
}
} // namespace

TfrmAbout::TfrmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    initResources();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("How to contact us"));
    setFixedSize(clientWidth, clientHeight);

    GradientBack1 = new TGradientBack(this);
    GradientBack1->setObjectName(QStringLiteral("GradientBack1"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    Panel1->setAutoFillBackground(true);
    // The main window's grey under any desktop palette, so the navy line reads on it too.
    setGreyFace(Panel1);
    Panel1->setGeometry(panelLeft, panelTop, panelWidth, panelHeight);

    QFont bold = font();
    bold.setBold(true);
    const auto line = [this, &bold](const char* object, const QString& text, int top,
                                    int pixelSize) {
        auto* label = new QLabel(text, Panel1);
        label->setObjectName(QString::fromLatin1(object));
        QFont f = bold;
        f.setPixelSize(pixelSize);
        label->setFont(f);
        label->setAlignment(Qt::AlignCenter);
        // Beside the icons only the first line is narrowed; below them a line has the
        // panel's whole width.
        const int margin = top < 8 + iconSize ? 48 : 8;
        label->setGeometry(margin, top, panelWidth - 2 * margin, pixelSize + 8);
        fitText(label);
        return label;
    };
    lblProduct = line("lblProduct", QStringLiteral("ZELKOVA '95"), 12, 22);
    lblMaker = line("lblMaker", makerName(), 48, 14);
    lblAddress =
        line("lblAddress", QStringLiteral("214 Orchard Lane, Maplewood Falls 40125"), 72, 13);
    lblVoice = line("lblVoice", QStringLiteral("Voice: 555-0142"), 94, 13);
    lblFax = line("lblFax", QStringLiteral("Fax: 555-0199"), 116, 13);
    lblWeb = line("lblWeb", QStringLiteral("www.example.com"), 138, 13);
    lblVersion = line("lblVersion", QStringLiteral("Version 2.5 (32 bits)"), 168, 13);
    lblOther = line("lblOther",
                    QStringLiteral("Call about our other products for DOS and Windows."), 200, 13);
    QPalette navy = lblOther->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lblOther->setPalette(navy);

    Animated1 = makeAnimation(Panel1, "Animated1", QStringLiteral("Turning disk"),
                              QStringLiteral(":/anim_disk.png"), 8, 3, 260, false);
    Animated2 =
        makeAnimation(Panel1, "Animated2", QStringLiteral("Sweeping broom"),
                      QStringLiteral(":/anim_broom.png"), panelWidth - 8 - iconSize, 0, 250, true);

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btOK->setGeometry((clientWidth - 89) / 2, panelTop + panelHeight + 16, 89, 28);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);

    centreOnScreen(this);
}
