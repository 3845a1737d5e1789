#include "widgets/tool_frame.h"

#include <QDialog>
#include <QFrame>
#include <QVBoxLayout>

ToolFrame buildToolFrame(QDialog& window, int panelHeight) {
    window.setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* panel = new QFrame(&window);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(panelHeight);
    layout->addWidget(panel);
    return {layout, panel};
}
