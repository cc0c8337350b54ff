#include "GallantSignal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> calls;

struct Listener
{
  explicit Listener(std::string name = "") : name(std::move(name)) {}
  virtual ~Listener() = default;

  void first(int a, int b) { calls.push_back(name + ".first " + std::to_string(a + b)); }
  void second(int a, int b) { calls.push_back(name + ".second " + std::to_string(a * b)); }
  virtual void hook(int, int) { calls.push_back(name + ".hook"); }

  std::string name;
};

struct Derived : Listener
{
  using Listener::Listener;
  void hook(int, int) override { calls.push_back(name + ".derived hook"); }
};

struct Adder
{
  int add(int a, int b) { return a + b + bias; }
  int bias = 0;
};
} // namespace

TEST(GallantSignal, ConnectingTheSameCallbackTwiceKeepsOneEntry)
{
  calls.clear();
  Listener listener("l");
  Gallant::Signal2<int, int> signal;
  signal.Connect(&listener, &Listener::first);
  signal.Connect(&listener, &Listener::first);
  signal.Connect(&listener, &Listener::second);
  EXPECT_EQ(2u, signal.Size());

  signal(3, 4);
  EXPECT_EQ(2u, calls.size());
  EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "l.first 7"));
  EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "l.second 12"));
}

TEST(GallantSignal, EmitsInObjectAddressOrder)
{
  calls.clear();
  Listener listeners[3] = {Listener("a"), Listener("b"), Listener("c")};
  Gallant::Signal2<int, int> signal;
  signal.Connect(&listeners[2], &Listener::first);
  signal.Connect(&listeners[0], &Listener::first);
  signal.Connect(&listeners[1], &Listener::first);
  signal.Emit(1, 1);
  EXPECT_EQ((std::vector<std::string>{"a.first 2", "b.first 2", "c.first 2"}), calls);
}

TEST(GallantSignal, VirtualMemberFunctionsDispatch)
{
  calls.clear();
  Derived derived("d");
  Gallant::Signal2<int, int> signal;
  signal.Connect(static_cast<Listener*>(&derived), &Listener::hook);
  signal(0, 0);
  EXPECT_EQ((std::vector<std::string>{"d.derived hook"}), calls);
}

TEST(GallantSignal, DelegatesReturnTheirResult)
{
  Adder adder;
  adder.bias = 10;
  auto delegate = Gallant::MakeDelegate(&adder, &Adder::add);
  EXPECT_EQ(15, delegate(2, 3));
}

TEST(GallantSignal, EmptySignalDoesNothing)
{
  calls.clear();
  Gallant::Signal2<int, int> signal;
  signal(1, 2);
  EXPECT_TRUE(calls.empty());
}
