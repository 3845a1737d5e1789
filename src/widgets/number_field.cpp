#include "widgets/number_field.h"

#include "common/ui.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <optional>

// One arrow of the spin button. It reports the release of the mouse button after the click
// it ends has been handled, so a listener sees the stepped number.
class SpinArrow : public QToolButton {
public:
    using QToolButton::QToolButton;

    std::function<void()> onMouseRelease;
    // True while the mouse holds the arrow down: clicks then come from the mouse.
    bool mouseActive = false;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            mouseActive = true;
        QToolButton::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QToolButton::mouseReleaseEvent(event);
        if (event->button() != Qt::LeftButton)
            return;
        mouseActive = false;
        if (onMouseRelease)
            onMouseRelease();
    }
};

namespace {

// Up to ten digits (with a minus sign when the range allows one), nothing else.
std::optional<qint64> parseWhole(const QString& text) {
    static const QRegularExpression whole(QStringLiteral("^-?[0-9]{1,10}$"));
    if (!whole.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

SpinArrow* makeArrow(QWidget* parent, Qt::ArrowType arrow, const QString& name) {
    auto* b = new SpinArrow(parent);
    b->setObjectName(name);
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    b->setFixedWidth(16);
    return b;
}

} // namespace

TNumberField::TNumberField(QWidget* parent) : QWidget(parent) {
    editor_ = new QLineEdit(this);
    editor_->setObjectName(QStringLiteral("edit"));
    editor_->setMaxLength(10);
    editor_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    editor_->installEventFilter(this);
    setFocusProxy(editor_);

    up_ = makeArrow(this, Qt::UpArrow, QStringLiteral("up"));
    down_ = makeArrow(this, Qt::DownArrow, QStringLiteral("down"));
    up_->setText(QStringLiteral("+"));
    down_->setText(QStringLiteral("-"));

    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up_);
    arrows->addWidget(down_);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(editor_, 1);
    row->addLayout(arrows);

    connect(editor_, &QLineEdit::textEdited, this, &TNumberField::textEdited);
    connect(up_, &QToolButton::clicked, this, [this] { arrowClicked(up_, 1); });
    connect(down_, &QToolButton::clicked, this, [this] { arrowClicked(down_, -1); });
    up_->onMouseRelease = [this] { Q_EMIT spinReleased(); };
    down_->onMouseRelease = [this] { Q_EMIT spinReleased(); };

    setAccessibleNames(tr("Number"));
    showValue();
}

QToolButton* TNumberField::upButton() const {
    return up_;
}
QToolButton* TNumberField::downButton() const {
    return down_;
}

void TNumberField::setAccessibleNames(const QString& name) {
    setAccessibleName(name);
    editor_->setAccessibleName(name);
    up_->setAccessibleName(tr("Increase %1").arg(name));
    down_->setAccessibleName(tr("Decrease %1").arg(name));
}

void TNumberField::setValue(int value) {
    const int v = std::clamp(value, minimum_, maximum_);
    const bool changed = v != value_;
    value_ = v;
    committed_ = v;
    showValue();
    if (changed)
        Q_EMIT valueChanged(value_);
}

void TNumberField::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    setValue(value_);
}

void TNumberField::stepBy(int steps) {
    // A text being typed that is not a number yet is replaced: the step starts from the last
    // good number. 64-bit so a step near the int limits cannot overflow.
    const qint64 target = std::clamp<qint64>(qint64(value_) + steps, minimum_, maximum_);
    setValue(int(target));
}

void TNumberField::arrowClicked(SpinArrow* arrow, int step) {
    stepBy(step);
    // A click that no mouse release ends (keyboard, screen reader) still tells the listener.
    if (!arrow->mouseActive)
        Q_EMIT spinReleased();
}

void TNumberField::textEdited(const QString& text) {
    const std::optional<qint64> n = parseWhole(text);
    const bool ok = n && *n >= minimum_ && *n <= maximum_;
    showValid(ok);
    if (ok && int(*n) != value_) {
        value_ = int(*n);
        Q_EMIT valueChanged(value_);
    }
}

void TNumberField::showValid(bool valid) {
    if (valid == valid_)
        return;
    valid_ = valid;
    if (valid) {
        editor_->setPalette(QPalette());
    } else {
        QPalette p = editor_->palette();
        p.setColor(QPalette::Base, Qt::red);
        p.setColor(QPalette::Text, Qt::black);
        editor_->setPalette(p);
    }
}

void TNumberField::showValue() {
    editor_->setText(QString::number(value_));
    showValid(true);
}

bool TNumberField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
                stepBy(key->key() == Qt::Key_Up ? 1 : -1);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Only a move to another control counts as leaving the field; a pop-up menu or
            // another window taking the focus does not.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
                if (valid_) {
                    committed_ = value_;
                } else {
                    // The wrong text is refused: the field goes back to its number.
                    ui().beep(Sound::Exclamation);
                    setValue(committed_);
                }
                Q_EMIT exited();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
