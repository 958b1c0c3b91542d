#include <gtest/gtest.h>

#include "nuv/platform/component.hpp"
#include "nuv/platform/exceptions.hpp"
#include "nuv/scalar/TVector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

struct TProbe : TComponent {
  TProbe(TComponent* owner, int* deaths) : TComponent(owner), Deaths(deaths) {}
  ~TProbe() override { ++*Deaths; }
  int* Deaths;
};

TEST(TComponentOwnership, OwnerFreesOwnedComponents) {
  int deaths = 0;
  auto* owner = new TComponent(nullptr);
  auto* a = new TProbe(owner, &deaths);
  new TProbe(a, &deaths);  // grandchild, freed through a
  new TProbe(owner, &deaths);
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(a->Owner(), owner);
  EXPECT_EQ(owner->Components(0), a);
  EXPECT_EQ(owner->Components(2), nullptr);
  delete owner;
  EXPECT_EQ(deaths, 3);
}

TEST(TComponentOwnership, ComponentFreedFirstLeavesItsOwner) {
  int deaths = 0;
  TComponent owner(nullptr);
  auto* a = new TProbe(&owner, &deaths);
  new TProbe(&owner, &deaths);
  delete a;
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(deaths, 1);
}

TEST(TPersistentAssign, ErrorsNameBothClasses) {
  TVector v(nullptr);
  TComponent c(nullptr);
  EXPECT_EQ(v.ClassName(), "TVector");
  NUV_EXPECT_THROW_MSG(v.Assign(&c), EConvertError, "Cannot assign a TComponent to a TVector");
  NUV_EXPECT_THROW_MSG(v.Assign(nullptr), EConvertError, "Cannot assign a nil to a TVector");
  NUV_EXPECT_THROW_MSG(c.Assign(&v), EConvertError, "Cannot assign a TVector to a TComponent");
}

}  // namespace
}  // namespace nuv
