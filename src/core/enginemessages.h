#pragma once

#include <QString>
#include <QStringList>

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
// The record shown is no longer in the file: another program deleted it, or replaced it with
// another record, since it was read. Storing again adds it as a new record.
QString recordDeletedElsewhereMessage(const QString& path);
// The record shown was found again under another place in the file (another program compacted
// the file) since it was read: nothing was stored; storing again writes onto it.
QString recordMovedElsewhereMessage(const QString& path);
// The same for a delete: not deleted; deleting again deletes it at its new place.
QString recordMovedBeforeDeleteMessage(const QString& path);
// The record to delete is no longer in the file, and what its place now holds is another
// record: nothing was deleted.
QString recordGoneBeforeDeleteMessage(const QString& path);
// A record whose stored data is damaged.
QString damagedRecordMessage(const QString& path);
// The table's columns hide every name SQLite gives the row number.
QString rowNumberHiddenMessage(const QString& path);
// A table without row numbers (WITHOUT ROWID).
QString noRowNumberMessage(const QString& path);
// The file has triggers (`names`), which would run under the program's stores.
QString triggersMessage(const QString& path, const QStringList& names);
// A column whose declared type makes SQLite change typed texts into numbers.
QString numericColumnMessage(const QString& path, const QString& column, const QString& type);

// True when the text of the engine's error `number` is one of these messages: whole sentences for
// the user, shown as they are.
bool isEngineMessage(int number);
