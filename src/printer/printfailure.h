#pragma once

struct Services;

// A document the printer refused part-way: says "Erreur d'impression !" and drops what was
// sent so far, so nothing half-printed stays in the queue.
void reportPrintFailure(Services& services);
