#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// Address files for tests, made through the program's own engine.
// Each row lists column values in creation order (Nom, Prénom, Société, ...); missing trailing
// values and null QVariants stay null.
void makeAddressFile(const QString& path, const QList<QVariantList>& rows = {});
// Rows of the file in stored order, each as 16 values (null columns as null QVariants).
QList<QVariantList> readAddressFile(const QString& path);
// Runs the sqlite3 command-line program on `path` with `sql`; its standard output.
QString runSqlite3(const QString& path, const QString& sql, int* exitCode = nullptr);
// Damages record `rowid` of the file so that it can no longer be read (its notes, made long, lose
// the link between their pages); the other records stay readable. False when it could not be
// done.
bool damageRecord(const QString& path, int rowid);
