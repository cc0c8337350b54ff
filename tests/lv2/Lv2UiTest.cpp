// The bundle's editor as an LV2 host shows it: found through lilv as an X11
// UI, instantiated from the binary into a parent window of this test's own,
// idled, clicked with real X events, told of the host's values, and opened
// and closed 200 times. Runs under an X server (xvfb-run in the tests).

#include "KolvaneParams.h"
#include "LilvBundle.h"
#include "OpenFiles.h"
#include "ProcessMemory.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

// GoogleTest before Xlib, whose macros (None, Bool, Status) break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace
{
const char* const kPluginURI = "urn:vexmoor:kolvane";
const uint32_t kFirstControlPort = 5;
const uint32_t kStep3Port = kFirstControlPort + 22;
// The readout of the playing step, after the parameters.
const uint32_t kPlayingStepPort = kFirstControlPort + kNumParams;

// What the UI told the host, in order: "touch 27 1", "write 27 1", ...
struct HostLog
{
  std::vector<std::string> calls;
  int width = 0;
  int height = 0;

  static void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                    const void* buffer)
  {
    float value = -1.0f;
    if (size == sizeof value && format == 0)
    {
      std::memcpy(&value, buffer, sizeof value);
    }
    char line[64];
    std::snprintf(line, sizeof line, "write %u %g", port, value);
    static_cast<HostLog*>(controller)->calls.push_back(line);
  }
  static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
  {
    static_cast<HostLog*>(handle)->calls.push_back("touch " + std::to_string(port) + " " +
                                                   (grabbed ? "1" : "0"));
  }
  static int Resize(LV2UI_Feature_Handle handle, int w, int h)
  {
    static_cast<HostLog*>(handle)->width = w;
    static_cast<HostLog*>(handle)->height = h;
    return 0;
  }
};

class Lv2Ui : public ::testing::Test
{
protected:
  void SetUp() override
  {
    display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display) << "needs an X server";
    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 664, 472, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    FindUi();
  }

  void TearDown() override
  {
    if (library)
    {
      dlclose(library);
    }
    if (world)
    {
      lilv_world_free(world);
    }
    if (display)
    {
      XCloseDisplay(display);
    }
  }

  // The plug-in's UI as lilv finds it in the bundle, and its descriptor from
  // the binary lilv names.
  void FindUi()
  {
    world = lilv_world_new();
    const LilvPlugin* plugin = LoadBundlePlugin(world, KOLVANE_LV2_BUNDLE, kPluginURI);
    ASSERT_TRUE(plugin);
    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    ASSERT_EQ(1u, lilv_uis_size(uis));
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    LilvNode* x11 = lilv_new_uri(world, LV2_UI__X11UI);
    EXPECT_TRUE(lilv_ui_is_a(ui, x11));
    lilv_node_free(x11);
    uiURI = lilv_node_as_uri(lilv_ui_get_uri(ui));
    char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
    library = dlopen(binary, RTLD_NOW | RTLD_LOCAL);
    lilv_free(binary);
    lilv_uis_free(uis);
    ASSERT_TRUE(library) << dlerror();
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
    ASSERT_TRUE(entry);
    for (uint32_t i = 0; (descriptor = entry(i)); ++i)
    {
      if (uiURI == descriptor->URI)
      {
        break;
      }
    }
    ASSERT_TRUE(descriptor) << "no descriptor for " << uiURI;
  }

  // A URID for each URI, the same on every call.
  LV2_URID Map(const char* uri)
  {
    auto found = uris.find(uri);
    if (found == uris.end())
    {
      found = uris.emplace(uri, static_cast<LV2_URID>(uris.size() + 1)).first;
    }
    return found->second;
  }

  // Instantiates the UI with every feature a full host offers; `options`
  // (ending in a zero key) are the options feature's when given.
  LV2UI_Handle Instantiate(HostLog& log, bool withParent = true,
                           const LV2_Options_Option* options = nullptr)
  {
    resize = {&log, HostLog::Resize};
    touch = {&log, HostLog::Touch};
    map.handle = this;
    map.map = [](LV2_URID_Map_Handle self, const char* uri)
    { return static_cast<Lv2Ui*>(self)->Map(uri); };
    features.clear();
    parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(parent)};
    resizeFeature = {LV2_UI__resize, &resize};
    touchFeature = {LV2_UI__touch, &touch};
    idleFeature = {LV2_UI__idleInterface, nullptr};
    mapFeature = {LV2_URID__map, &map};
    if (withParent)
    {
      features.push_back(&parentFeature);
    }
    for (const LV2_Feature* f : {&resizeFeature, &touchFeature, &idleFeature, &mapFeature})
    {
      features.push_back(f);
    }
    optionsFeature = {LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
    if (options)
    {
      features.push_back(&optionsFeature);
    }
    features.push_back(nullptr);
    widget = nullptr;
    return descriptor->instantiate(descriptor, kPluginURI, KOLVANE_LV2_BUNDLE, HostLog::Write, &log,
                                   &widget, features.data());
  }

  int Idle(LV2UI_Handle ui)
  {
    auto* idle =
        static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
    return idle->idle(ui);
  }

  // A press and release at (x, y) of the editor's window, then idles until
  // the host has heard `calls` calls (or two seconds passed).
  void Click(LV2UI_Handle ui, HostLog& log, int x, int y, size_t calls)
  {
    const Window window = reinterpret_cast<Window>(widget);
    for (int type : {ButtonPress, ButtonRelease})
    {
      XEvent event;
      std::memset(&event, 0, sizeof event);
      event.xbutton.type = type;
      event.xbutton.display = display;
      event.xbutton.window = window;
      event.xbutton.root = DefaultRootWindow(display);
      event.xbutton.x = x;
      event.xbutton.y = y;
      event.xbutton.button = Button1;
      event.xbutton.same_screen = True;
      event.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
      // Clicks a second apart: never a double click.
      event.xbutton.time = clickTime;
      XSendEvent(display, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask,
                 &event);
      XSync(display, False);
    }
    clickTime += 1000;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (log.calls.size() < calls && std::chrono::steady_clock::now() < end)
    {
      Idle(ui);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // The step LEDs brighter than the darkest by a clear margin, as the
  // editor's window shows them now.
  std::vector<int> LitLeds()
  {
    const Window window = reinterpret_cast<Window>(widget);
    XSync(display, False);
    std::vector<double> levels;
    for (int k = 0; k < kNumStepLeds; ++k)
    {
      const EditorControl led = GetEditorControl(k);
      const PictureProperties* picture = FindPicture(led.picture);
      const int w = picture->width, h = picture->FrameHeight();
      XImage* image = XGetImage(display, window, led.x, led.y, static_cast<unsigned>(w),
                                static_cast<unsigned>(h), AllPlanes, ZPixmap);
      double sum = 0.0;
      for (int y = 0; image && y < h; ++y)
      {
        for (int x = 0; x < w; ++x)
        {
          const unsigned long pixel = XGetPixel(image, x, y);
          sum += ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF);
        }
      }
      if (image)
      {
        XDestroyImage(image);
      }
      levels.push_back(sum / (3.0 * w * h));
    }
    const double low = *std::min_element(levels.begin(), levels.end());
    std::vector<int> lit;
    for (int k = 0; k < kNumStepLeds; ++k)
    {
      if (levels[size_t(k)] > low + 20.0)
      {
        lit.push_back(k);
      }
    }
    return lit;
  }

  // Idles until the window shows `expected` lit (or two seconds passed);
  // what it shows then.
  std::vector<int> IdleUntilLit(LV2UI_Handle ui, const std::vector<int>& expected)
  {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::vector<int> lit;
    do
    {
      Idle(ui);
      lit = LitLeds();
      if (lit == expected)
      {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
    return lit;
  }

  unsigned int Children()
  {
    Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    XSync(display, False);
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
    {
      return 0;
    }
    if (children)
    {
      XFree(children);
    }
    return count;
  }

  Display* display = nullptr;
  Window parent = 0;
  LilvWorld* world = nullptr;
  void* library = nullptr;
  std::string uiURI;
  const LV2UI_Descriptor* descriptor = nullptr;
  LV2UI_Widget widget = nullptr;
  Time clickTime = 1000;
  LV2UI_Resize resize = {};
  LV2UI_Touch touch = {};
  LV2_URID_Map map = {};
  LV2_Feature parentFeature, resizeFeature, touchFeature, idleFeature, mapFeature, optionsFeature;
  std::map<std::string, LV2_URID> uris;
  std::vector<const LV2_Feature*> features;
};

TEST_F(Lv2Ui, OpensTheEditorInTheHostsWindowAtItsSize)
{
  HostLog log;
  LV2UI_Handle ui = Instantiate(log);
  ASSERT_TRUE(ui);
  ASSERT_TRUE(widget);
  EXPECT_EQ(1u, Children()) << "the editor is a child of ui:parent";
  EXPECT_EQ(664, log.width);
  EXPECT_EQ(472, log.height);
  EXPECT_EQ(0, Idle(ui));
  descriptor->cleanup(ui);
  EXPECT_EQ(0u, Children());
  EXPECT_TRUE(log.calls.empty()) << "opening and closing change nothing";
}

// The host's ui:scaleFactor is the editor's host scale: given at
// instantiation the editor opens at it, and the host hears of that size;
// set later through the options interface, the open editor takes it and
// asks the host for the new size. Without one the editor keeps the
// desktop's scale (100 % on this X server).
TEST_F(Lv2Ui, OpensAtTheHostsScaleFactor)
{
  struct Case
  {
    const char* what;
    float scale; // 0: no option given
    const char* type;
    int width, height;
  };
  const Case cases[] = {
      {"no scale factor", 0.0f, LV2_ATOM__Float, 664, 472},
      {"2", 2.0f, LV2_ATOM__Float, 1328, 944},
      {"1.5", 1.5f, LV2_ATOM__Float, 996, 708},
      {"1.25, the nearest scale drawn below it", 1.25f, LV2_ATOM__Float, 664, 472},
      {"2 as a double", 2.0f, LV2_ATOM__Double, 1328, 944},
      {"2 as a string", 2.0f, LV2_ATOM__String, 664, 472},
      {"a negative scale", -2.0f, LV2_ATOM__Float, 664, 472},
  };
  for (const Case& c : cases)
  {
    HostLog log;
    const double asDouble = c.scale;
    const bool isDouble = !std::strcmp(c.type, LV2_ATOM__Double);
    LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor),
         static_cast<uint32_t>(isDouble ? sizeof asDouble : sizeof c.scale), Map(c.type),
         isDouble ? static_cast<const void*>(&asDouble) : static_cast<const void*>(&c.scale)},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    LV2UI_Handle ui = Instantiate(log, true, c.scale != 0.0f ? options : nullptr);
    ASSERT_TRUE(ui) << c.what;
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, reinterpret_cast<Window>(widget), &attributes));
    EXPECT_EQ(c.width, attributes.width) << c.what;
    EXPECT_EQ(c.height, attributes.height) << c.what;
    EXPECT_EQ(c.width, log.width) << c.what << ": ui:resize";
    EXPECT_EQ(c.height, log.height) << c.what << ": ui:resize";
    EXPECT_EQ(0, Idle(ui));
    descriptor->cleanup(ui);
  }

  // Later, through the options interface, on an editor opened without one.
  HostLog log;
  LV2UI_Handle ui = Instantiate(log);
  ASSERT_TRUE(ui);
  const auto* interface =
      static_cast<const LV2_Options_Interface*>(descriptor->extension_data(LV2_OPTIONS__interface));
  ASSERT_TRUE(interface);
  const float two = 2.0f;
  const LV2_Options_Option set[] = {
      {LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor), sizeof two, Map(LV2_ATOM__Float), &two},
      {LV2_OPTIONS_INSTANCE, 0, Map("urn:nowhere#option"), sizeof two, Map(LV2_ATOM__Float), &two},
      {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  EXPECT_EQ(uint32_t(LV2_OPTIONS_ERR_BAD_KEY), interface->set(ui, set))
      << "the unknown key refused, the scale taken";
  EXPECT_EQ(1328, log.width);
  EXPECT_EQ(944, log.height);
  LV2_Options_Option get[] = {{LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor), 0, 0, nullptr},
                              {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  EXPECT_EQ(uint32_t(LV2_OPTIONS_SUCCESS), interface->get(ui, get));
  ASSERT_EQ(Map(LV2_ATOM__Float), get[0].type);
  EXPECT_EQ(2.0f, *static_cast<const float*>(get[0].value));
  const float back = 1.0f;
  const LV2_Options_Option reset[] = {
      {LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor), sizeof back, Map(LV2_ATOM__Float), &back},
      {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  EXPECT_EQ(uint32_t(LV2_OPTIONS_SUCCESS), interface->set(ui, reset));
  EXPECT_EQ(664, log.width);
  EXPECT_EQ(472, log.height);
  Idle(ui);
  descriptor->cleanup(ui);
}

TEST_F(Lv2Ui, NeedsAParentWindow)
{
  HostLog log;
  EXPECT_EQ(nullptr, Instantiate(log, false));
}

// A click on step 3's switch is a gesture on its port: touch, the new value
// through the write function, release. The host's value, sent back as a
// port event, is what the next click toggles.
TEST_F(Lv2Ui, ClicksReachTheControlPortsAndHostValuesReachTheEditor)
{
  HostLog log;
  LV2UI_Handle ui = Instantiate(log);
  ASSERT_TRUE(ui);
  Idle(ui);
  const std::string port = std::to_string(kStep3Port);
  Click(ui, log, 87 + 10, 420 + 15, 3);
  EXPECT_EQ((std::vector<std::string>{"touch " + port + " 1", "write " + port + " 1",
                                      "touch " + port + " 0"}),
            log.calls);

  // Anything else on the port is ignored; the host's 0 is taken.
  const float off = 0.0f, nan = NAN;
  const double wide = 1.0;
  descriptor->port_event(ui, kStep3Port, sizeof wide, 0, &wide);
  descriptor->port_event(ui, kStep3Port, sizeof nan, 0, &nan);
  descriptor->port_event(ui, kStep3Port, sizeof off, 7, &off);
  descriptor->port_event(ui, kStep3Port, sizeof off, 0, nullptr);
  descriptor->port_event(ui, 4, sizeof off, 0, &off);
  descriptor->port_event(ui, 1000, sizeof off, 0, &off);
  descriptor->port_event(ui, kStep3Port, sizeof off, 0, &off);
  log.calls.clear();
  Click(ui, log, 87 + 10, 420 + 15, 3);
  EXPECT_EQ((std::vector<std::string>{"touch " + port + " 1", "write " + port + " 1",
                                      "touch " + port + " 0"}),
            log.calls)
      << "the click toggled the host's value";
  descriptor->cleanup(ui);
}

// The processing side's playing step arrives as a port event on its
// readout port, and the editor lights that step's LED at its next idle
// tick, as a VST2 editor shows the step its engine plays. Before any event
// the first step's LED is lit, as in VST2 before any audio. A value that is
// no step, or no float, leaves the light where it is; nothing of it goes
// back to the host.
TEST_F(Lv2Ui, TheStepPortLightsThatStepsLed)
{
  HostLog log;
  LV2UI_Handle ui = Instantiate(log);
  ASSERT_TRUE(ui);
  EXPECT_EQ(std::vector<int>{0}, IdleUntilLit(ui, {0})) << "before any port event";
  for (int step : {5, 15, 0, 9})
  {
    const float value = float(step);
    descriptor->port_event(ui, kPlayingStepPort, sizeof value, 0, &value);
    EXPECT_EQ(std::vector<int>{step}, IdleUntilLit(ui, {step})) << "step " << step + 1;
  }

  const float notSteps[] = {16.0f, -1.0f, NAN, INFINITY, 1e9f};
  for (float value : notSteps)
  {
    descriptor->port_event(ui, kPlayingStepPort, sizeof value, 0, &value);
  }
  const float three = 3.0f;
  const double wide = 3.0;
  descriptor->port_event(ui, kPlayingStepPort, sizeof wide, 0, &wide);
  descriptor->port_event(ui, kPlayingStepPort, sizeof three, 7, &three);
  descriptor->port_event(ui, kPlayingStepPort, sizeof three, 0, nullptr);
  for (int i = 0; i < 20; ++i)
  {
    Idle(ui);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(std::vector<int>{9}, LitLeds()) << "after values that are no step";
  EXPECT_TRUE(log.calls.empty()) << "the readout is the host's to tell, not the UI's";
  descriptor->cleanup(ui);
}

// Every instance is a plug-in copy, a display connection and a window:
// each cleanup gives all of them back.
TEST_F(Lv2Ui, TwoHundredOpensAndClosesLeakNothing)
{
  HostLog log;
  for (int i = 0; i < 5; ++i) // caches that fill once (fonts, pictures)
  {
    LV2UI_Handle ui = Instantiate(log);
    ASSERT_TRUE(ui);
    Idle(ui);
    descriptor->cleanup(ui);
  }
  const int files = OpenFileCount();
  const long long heap = vsthost::HeapBytesInUse();
  for (int i = 0; i < 200; ++i)
  {
    LV2UI_Handle ui = Instantiate(log);
    ASSERT_TRUE(ui) << "open " << i;
    Idle(ui);
    descriptor->cleanup(ui);
  }
  EXPECT_EQ(files, OpenFileCount()) << "display connections left open";
  EXPECT_EQ(0u, Children());
  const long long grown = vsthost::HeapBytesInUse() - heap;
  EXPECT_LT(grown, 64 * 1024) << "bytes of heap kept by 200 instances";
  std::printf("heap after 200 opens and closes: %+lld bytes\n", grown);
}

} // namespace
