// The owner-managed component: an owner given at construction destroys it with itself.
#pragma once

#include <vector>

class TComponent {
public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return OwnerComponent; }

private:
  TComponent* OwnerComponent;
  std::vector<TComponent*> Owned;
};
