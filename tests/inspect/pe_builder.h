#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

// Builds small Windows program images byte by byte, for the version-information tests.

void put16(QByteArray& bytes, qsizetype at, quint16 value);
void put32(QByteArray& bytes, qsizetype at, quint32 value);

// One node of a version block: key, value and children, each part on a 4-byte boundary.
// `valueLength` is written as given (units for a text node, bytes otherwise).
QByteArray versionNode(const QString& key, const QByteArray& value, quint16 valueLength, bool text,
                       const QList<QByteArray>& children = {});

using Strings = QList<std::pair<QString, QString>>;
struct StringTable {
    QString key;
    Strings strings;
};

// A whole version block: fixed information (file version 1.2.3.4), the string tables, and a
// translation table of `translations`.
QByteArray versionBlock(const QList<StringTable>& tables, const QList<quint32>& translations);

// A program image with one resource section that holds an icon type and the version block,
// and where its parts lie, as file offsets, for tests that break them.
struct PeImage {
    QByteArray bytes;
    qsizetype pe = 0;           // "PE\0\0"
    qsizetype optional = 0;     // the optional header
    qsizetype sections = 0;     // the section table
    qsizetype resources = 0;    // the resource directory
    qsizetype versionEntry = 0; // the root directory's entry for the version type
    qsizetype nameDir = 0, languageDir = 0, dataEntry = 0, version = 0;
};
PeImage buildPe(bool plus, const QByteArray& version);
