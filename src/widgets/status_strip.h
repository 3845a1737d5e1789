#pragma once

#include <QHeaderView>

// A status line drawn as a strip of header sections, each showing one text: the model's
// horizontal header data. Screen readers see a status bar whose parts are labels reading as
// the sections that show something, and hear of each text that changes.
class StatusStrip : public QHeaderView {
    Q_OBJECT
public:
    explicit StatusStrip(QWidget* parent = nullptr);
    void setModel(QAbstractItemModel* model) override;
    QString sectionText(int section) const;

private:
    void textsChanged(Qt::Orientation orientation, int first, int last);
};
