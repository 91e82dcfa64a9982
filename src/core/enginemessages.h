#pragma once

#include <QString>

// The French texts of the record engine's errors that the windows show as they are. Every text
// names the file; each function gives the text for one error number of the engine.

// The file is locked by another program (opening or reading it).
QString lockedFileMessage(const QString& path);
// Another program holds the file too long: the record was not stored.
QString busyFileMessage(const QString& path);
// No room left on the file's disk.
QString diskFullMessage(const QString& path);
// The file cannot be written (read-only file or folder).
QString readOnlyFileMessage(const QString& path);
// The record shown was changed, or replaced, by another program since it was read.
QString recordChangedElsewhereMessage(const QString& path);
// The record to delete was changed, or replaced, by another program since it was shown: it was
// not deleted.
QString recordChangedBeforeDeleteMessage(const QString& path);
// The record shown was deleted by another program since it was read.
QString recordDeletedElsewhereMessage(const QString& path);
// A record whose stored data is damaged.
QString damagedRecordMessage(const QString& path);
// The table's columns hide every name SQLite gives the row number.
QString rowNumberHiddenMessage(const QString& path);
// A table without row numbers (WITHOUT ROWID).
QString noRowNumberMessage(const QString& path);
// A column whose declared type makes SQLite change typed texts into numbers.
QString numericColumnMessage(const QString& path, const QString& column, const QString& type);

// True when the text of the engine's error `number` is one of these messages: whole sentences for
// the user, shown as they are.
bool isEngineMessage(int number);
