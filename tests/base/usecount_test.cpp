#include "nuv/base/usecount.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace nuv::detail {
namespace {

// A container with only a size, resized the way the library's containers are.
class Sized : public TUseCounted {
 public:
  bool Resize(int n) {
    if (!MayResize()) return false;
    FSize = n;
    return true;
  }
  int Size() const { return FSize; }
  bool Used() const { return InUse(); }

 private:
  int FSize = 1;
};

TEST(UseGuard, RefusesResizesWhileHeldAndReleasesOnEveryPath) {
  Sized a;
  {
    TUseGuard use(&a);
    EXPECT_TRUE(a.Used());
    EXPECT_FALSE(a.Resize(5));
    EXPECT_EQ(a.Size(), 1);
  }
  EXPECT_FALSE(a.Used());
  EXPECT_TRUE(a.Resize(5));
  try {
    TUseGuard use(&a);
    throw std::runtime_error("handler failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(a.Used());
  EXPECT_TRUE(a.Resize(6));
}

TEST(UseGuard, OwnResizePassesOnceAndOnlyForTheOutermostCall) {
  Sized a, b;
  TUseGuard outer(&a, &b, &a, static_cast<const Sized*>(nullptr));  // repeats and null allowed
  EXPECT_TRUE(outer.Outermost(&a));
  outer.AllowResize(&a);
  EXPECT_TRUE(a.Resize(3));   // the call's own resize
  EXPECT_FALSE(a.Resize(4));  // a handler it fires: the pass is spent
  EXPECT_EQ(a.Size(), 3);
  {
    // A call started from a handler is not the outermost user: its resizes stay refused.
    TUseGuard inner(&a);
    EXPECT_FALSE(inner.Outermost(&a));
    inner.AllowResize(&a);
    EXPECT_FALSE(a.Resize(7));
  }
  // A pass granted but not used does not outlive the call.
  outer.AllowResize(&b);
  { TUseGuard other(&b); }
  EXPECT_EQ(b.Size(), 1);
}

TEST(UseGuard, UnusedPassEndsWithTheCall) {
  Sized a;
  {
    TUseGuard use(&a);
    use.AllowResize(&a);
  }
  TUseGuard again(&a);
  EXPECT_FALSE(a.Resize(2));
}

TEST(UseGuard, CountsFromManyThreads) {
  Sized a;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&a] {
      for (int i = 0; i < 1000; ++i) {
        TUseGuard use(&a);
        EXPECT_FALSE(a.Resize(i + 2));
      }
    });
  for (auto& w : workers) w.join();
  EXPECT_FALSE(a.Used());
  EXPECT_EQ(a.Size(), 1);
}

}  // namespace
}  // namespace nuv::detail
