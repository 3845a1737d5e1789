#include "inspect/pe_builder.h"

#include <QtEndian>
#include <cstring>

void put16(QByteArray& bytes, qsizetype at, quint16 value) {
    qToLittleEndian(value, bytes.data() + at);
}

void put32(QByteArray& bytes, qsizetype at, quint32 value) {
    qToLittleEndian(value, bytes.data() + at);
}

namespace {
void pad4(QByteArray& bytes) {
    while (bytes.size() % 4)
        bytes.append('\0');
}

QByteArray utf16z(const QString& text) {
    QByteArray out(2 * (text.size() + 1), '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        put16(out, 2 * i, text[i].unicode());
    return out;
}
} // namespace

QByteArray versionNode(const QString& key, const QByteArray& value, quint16 valueLength, bool text,
                       const QList<QByteArray>& children) {
    QByteArray node(6, '\0');
    node += utf16z(key);
    pad4(node);
    node += value;
    for (const QByteArray& child : children) {
        pad4(node);
        node += child;
    }
    put16(node, 0, quint16(node.size()));
    put16(node, 2, valueLength);
    put16(node, 4, text ? 1 : 0);
    return node;
}

QByteArray versionBlock(const QList<StringTable>& tables, const QList<quint32>& translations) {
    QList<QByteArray> tableNodes;
    for (const StringTable& table : tables) {
        QList<QByteArray> strings;
        for (const auto& [name, value] : table.strings)
            strings << versionNode(name, utf16z(value), quint16(value.size() + 1), true);
        tableNodes << versionNode(table.key, {}, 0, true, strings);
    }
    QByteArray translation(4 * translations.size(), '\0');
    for (qsizetype i = 0; i < translations.size(); ++i)
        put32(translation, 4 * i, translations[i]);
    QByteArray fixed(52, '\0');
    put32(fixed, 0, 0xFEEF04BD);
    put32(fixed, 4, 0x00010000);
    put32(fixed, 8, 0x00010002);  // file version 1.2
    put32(fixed, 12, 0x00030004); // .3.4
    return versionNode("VS_VERSION_INFO", fixed, 52, false,
                       {versionNode("StringFileInfo", {}, 0, true, tableNodes),
                        versionNode("VarFileInfo", {}, 0, true,
                                    {versionNode("Translation", translation,
                                                 quint16(translation.size()), false)})});
}

PeImage buildPe(bool plus, const QByteArray& version) {
    PeImage image;
    const quint32 optionalSize = plus ? 240 : 224;
    const quint32 resourceRva = 0x1000;
    image.pe = 0x80;
    image.optional = image.pe + 24;
    image.sections = image.optional + optionalSize;
    image.resources = 0x400;
    // Root (two numbered types), name directory, language directory, data entry, version.
    image.versionEntry = image.resources + 16 + 8;
    image.nameDir = image.resources + 0x20;
    image.languageDir = image.resources + 0x38;
    image.dataEntry = image.resources + 0x50;
    image.version = image.resources + 0x60;
    const quint32 resourceSize = quint32(image.version - image.resources + version.size());
    const quint32 rawSize = (resourceSize + 0x1FF) & ~0x1FFu;

    QByteArray& b = image.bytes;
    b = QByteArray(image.resources + rawSize, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 0x3C, quint32(image.pe));
    b.replace(image.pe, 4, QByteArray("PE\0\0", 4));
    put16(b, image.pe + 4, plus ? 0x8664 : 0x14C);
    put16(b, image.pe + 6, 1);
    put16(b, image.pe + 20, quint16(optionalSize));
    put16(b, image.pe + 22, 0x2102);
    put16(b, image.optional, plus ? 0x20B : 0x10B);
    const qsizetype directories = image.optional + (plus ? 112 : 96);
    put32(b, directories - 4, 16);
    put32(b, directories + 2 * 8, resourceRva);
    put32(b, directories + 2 * 8 + 4, resourceSize);

    std::memcpy(b.data() + image.sections, ".rsrc", 5);
    put32(b, image.sections + 8, resourceSize);
    put32(b, image.sections + 12, resourceRva);
    put32(b, image.sections + 16, rawSize);
    put32(b, image.sections + 20, quint32(image.resources));

    const auto relative = [&](qsizetype at) { return quint32(at - image.resources); };
    put16(b, image.resources + 14, 2);
    put32(b, image.resources + 16, 3); // icons, which the reader passes over
    put32(b, image.resources + 20, 0x80000000u | relative(image.nameDir));
    put32(b, image.versionEntry, 16);
    put32(b, image.versionEntry + 4, 0x80000000u | relative(image.nameDir));
    put16(b, image.nameDir + 14, 1);
    put32(b, image.nameDir + 16, 1);
    put32(b, image.nameDir + 20, 0x80000000u | relative(image.languageDir));
    put16(b, image.languageDir + 14, 1);
    put32(b, image.languageDir + 16, 0x409);
    put32(b, image.languageDir + 20, relative(image.dataEntry));
    put32(b, image.dataEntry, resourceRva + relative(image.version));
    put32(b, image.dataEntry + 4, quint32(version.size()));
    b.replace(image.version, version.size(), version);
    return image;
}
