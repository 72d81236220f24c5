#include "qrx_menaces_liste.h"

TMenaceList Menaces;

void TMenaceList::Store(std::size_t index, const TMenace& threat) {
  if (index >= Entries_.size()) Entries_.resize(index + 1);
  Entries_[index] = threat;
}
