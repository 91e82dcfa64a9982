#pragma once

#include <QString>
#include <exception>

struct Services;

// The message of a failed print: `first` ("Erreur d'impression !", "Erreur sur l'imprimante !")
// and, on a second line, the reason when `error` is a printer failure (PrinterError).
QString printFailureText(const QString& first, const std::exception& error);

// A document the printer refused part-way: says "Erreur d'impression !" with the reason of
// `error` and drops what was sent so far, so nothing half-printed stays in the queue.
void reportPrintFailure(Services& services, const std::exception& error);
