#pragma once
// Puts an interrupted in-place save before the user: the file may hold part of the new content and
// part of the old, and its previous version was kept. Asked at start and when the file is opened;
// the user puts the previous version back or keeps the file as it is; a closed question asks again
// next time.

#include "base/InterruptedSaves.h"

#include <vector>

void OfferPreviousVersions(const std::vector<TInterruptedSave>& saves);
// Those of the file about to be opened, if any.
void OfferPreviousVersionsOf(const std::string& path);
