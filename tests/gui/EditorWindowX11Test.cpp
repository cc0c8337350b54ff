// Kolvane's editor window on X11, opened and closed the ways hosts do it,
// through the project's host with the real binary. Runs under an X server
// (gui_scenarios.py runs it as a scenario); the parent windows are this test's own.

#include "ChannelBuffers.h"
#include "OpenFiles.h"
#include "PluginInstance.h"
#include "PluginModule.h"

// GoogleTest before Xlib, whose macros (None, Bool, Status) break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

using vsthost::PluginInstance;

namespace
{
class EditorWindowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display) << "needs an X server";
    parent = NewParent();
    std::string error;
    plug = PluginInstance::Open(vsthost::ExecutableDirectory() + "/" + KOLVANE_PATH,
                                vsthost::HostSettings(), &error);
    ASSERT_TRUE(plug) << error;
  }

  void TearDown() override
  {
    plug.reset();
    if (display)
      XCloseDisplay(display);
  }

  Window NewParent()
  {
    Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 664, 472, 0, 0, 0);
    XMapWindow(display, w);
    XSync(display, False);
    return w;
  }

  // The windows inside parent, as the server sees them now.
  unsigned int Children(Window of)
  {
    Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    XSync(display, False);
    if (!XQueryTree(display, of, &root, &up, &children, &count))
      return 0;
    if (children)
      XFree(children);
    return count;
  }

  VstIntPtr Open(Window w) { return plug->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(w)); }

  Display* display = nullptr;
  Window parent = 0;
  std::unique_ptr<PluginInstance> plug;
};
} // namespace

TEST_F(EditorWindowTest, OffersAnEditorOfItsSize)
{
  EXPECT_TRUE(plug->Effect()->flags & effFlagsHasEditor);
  auto rect = plug->EditRect();
  ASSERT_TRUE(rect);
  EXPECT_EQ(664, rect->right - rect->left);
  EXPECT_EQ(472, rect->bottom - rect->top);
}

TEST_F(EditorWindowTest, OpensOneChildAndClosesIt)
{
  plug->Dispatch(effEditClose); // closing a closed editor is harmless
  ASSERT_EQ(1, Open(parent));
  EXPECT_EQ(1u, Children(parent));
  ASSERT_EQ(1, Open(parent)) << "a second open moves the editor to a fresh window";
  EXPECT_EQ(1u, Children(parent));
  plug->Dispatch(effEditIdle);
  plug->Dispatch(effEditClose);
  EXPECT_EQ(0u, Children(parent));
  plug->Dispatch(effEditClose);
}

TEST_F(EditorWindowTest, ParentThatDoesNotExistGivesNoEditor)
{
  const Window gone = NewParent();
  XDestroyWindow(display, gone);
  XSync(display, False);
  EXPECT_EQ(0, Open(gone));
  plug->Dispatch(effEditIdle);
  plug->Dispatch(effEditClose);
}

TEST_F(EditorWindowTest, ParentDestroyedBeforeCloseIsHarmless)
{
  ASSERT_EQ(1, Open(parent));
  plug->Dispatch(effEditIdle);
  XDestroyWindow(display, parent);
  XSync(display, False);
  for (int i = 0; i < 3; ++i)
    plug->Dispatch(effEditIdle);
  plug->Dispatch(effEditClose);
  ASSERT_EQ(1, Open(NewParent())) << "and the editor opens again";
  plug->Dispatch(effEditClose);
}

TEST_F(EditorWindowTest, DeletingThePlugInWithTheEditorOpenRemovesTheWindow)
{
  ASSERT_EQ(1, Open(parent));
  plug->Dispatch(effEditIdle);
  plug->Close();
  EXPECT_EQ(0u, Children(parent));
}

// Every open makes a display connection and a window; every close must give
// both back (LeakSanitizer watches the memory in the sanitizer build).
TEST_F(EditorWindowTest, TwoHundredOpensAndClosesLeakNothing)
{
  ASSERT_EQ(1, Open(parent));
  plug->Dispatch(effEditClose);
  const int files = OpenFileCount();
  for (int i = 0; i < 200; ++i)
  {
    ASSERT_EQ(1, Open(parent)) << "open " << i;
    plug->Dispatch(effEditIdle);
    plug->Dispatch(effEditClose);
  }
  EXPECT_EQ(files, OpenFileCount()) << "display connections left open";
  EXPECT_EQ(0u, Children(parent));
}

// Audio and automation arrive on other threads while the UI thread idles
// the open editor: nothing deadlocks and nothing crashes.
TEST_F(EditorWindowTest, EditorOpenDuringAudioAndAutomationFromOtherThreads)
{
  ASSERT_EQ(1, Open(parent));
  std::atomic<bool> running{true};
  std::thread audio(
      [&]
      {
        vsthost::ChannelBuffers<float> in(2, 64), out(2, 64);
        while (running.load())
          plug->ProcessReplacing(in.Pointers(), out.Pointers(), 64);
      });
  std::thread automation(
      [&]
      {
        for (int i = 0; running.load(); ++i)
          plug->SetParameter(i % 42, static_cast<float>(i % 100) / 99.0f);
      });
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < end)
  {
    plug->Dispatch(effEditIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  running = false;
  audio.join();
  automation.join();
  plug->Dispatch(effEditClose);
}
