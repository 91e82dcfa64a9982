#pragma once

#include <QString>

// Writes a new address file of `count` records with French-looking names (accents, letter-case
// variants and duplicates included), in one transaction. The same seed gives the same file.
void generateAddressFile(const QString& path, int count, unsigned seed = 1);

// Generates the file once and keeps it in the temporary folder; returns its path.
QString cachedAddressFile(int count);

// Milliseconds since `start` (steady clock), and the process's resident memory in kilobytes.
double elapsedMs(qint64 startNs);
qint64 nowNs();
long residentKb();
// The process's peak resident memory in kilobytes, and the peak brought back to what is resident
// now (freed memory returned to the system first), to measure one step's own peak.
long peakResidentKb();
void resetPeakResident();
// Processor time used by the process so far, in milliseconds.
double cpuMs();

// Command-line argument `index` as a number, `fallback` when it is not given.
int numberArgument(int argc, char** argv, int index, int fallback);
// Windows drawn off screen, unless the caller chose a platform (QT_QPA_PLATFORM).
void offscreenUnlessChosen();
