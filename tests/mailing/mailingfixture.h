#pragma once

// What the mailing tests share: an address file of numbered records opened through the
// program's engine, the name list's order of it, and the print parameters the PDFs are read
// back with.

#include "addressfiles.h"
#include "core/addressschema.h"
#include "core/namelist.h"
#include "core/recordengine.h"
#include "labels/printparamsfile.h"
#include "mailing/mailing.h"

#include <QTemporaryDir>
#include <memory>

// Record `n` (from 1): "Nom01 P01", "1 rue Haute", `code` `town`.
inline QVariantList numberedRecord(int n, const QString& code = QStringLiteral("75001"),
                                   const QString& town = QStringLiteral("Paris"))
{
    const QString number = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    return {QStringLiteral("Nom") + number,
            QStringLiteral("P") + number,
            QStringLiteral(" "),
            QStringLiteral("%1 rue Haute").arg(n),
            QStringLiteral(" "),
            code,
            town};
}

// A record whose address block is empty (spaces only, a phone number).
inline QVariantList emptyAddressRecord()
{
    return {QStringLiteral(" "), QStringLiteral(" "),         QStringLiteral(" "),
            QStringLiteral(" "), QStringLiteral(" "),         QStringLiteral(" "),
            QStringLiteral(" "), QStringLiteral("0102030405")};
}

inline QList<QVariantList> numberedRecords(int count)
{
    QList<QVariantList> rows;
    for (int n = 1; n <= count; ++n)
        rows << numberedRecord(n);
    return rows;
}

struct MailingFile {
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;
    std::vector<int> listOrder; // stored positions in name-list order

    explicit MailingFile(const QList<QVariantList>& rows)
        : path(dir.filePath(QStringLiteral("Elvarine.adb")))
    {
        makeAddressFile(path, rows);
        db = Database::OpenDatabase(path);
        rs = db->OpenRecordset(QString::fromUtf16(kTableName));
        std::vector<QString> lines;
        for (int i = 0; i < rs->RecordCount(); ++i)
            lines.push_back(listLine(rs->nomAt(i), rs->prenomAt(i)));
        listOrder = alphabeticalOrder(lines);
    }

    MailingRecords collect(const MailingChoice& choice) const
    {
        return collectMailingRecords(*rs, listOrder, choice);
    }
};

// The sheet of the label tests: the default geometry with gaps, in a face every machine has.
inline PrintParams mailingParams()
{
    PrintParams p = defaultPrintParams(QStringLiteral("DejaVu Sans"), 0);
    p.SepHorizontal = 5;
    p.SepVertical = 3;
    return p;
}

inline QStringList names(const std::vector<MailingRecord>& records)
{
    QStringList out;
    for (const MailingRecord& r : records)
        out << r.line().simplified();
    return out;
}
