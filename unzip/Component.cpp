#include "Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : OwnerComponent(owner) {
  if (owner) owner->Owned.push_back(this);
}

TComponent::~TComponent() {
  // Each owned component leaves the list as it is destroyed: destroy from the back.
  while (!Owned.empty()) delete Owned.back();
  if (OwnerComponent) {
    auto& siblings = OwnerComponent->Owned;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}
