// The X11 editor's modal parts: popup menus and message boxes drawn with
// the raster library in windows of their own, and external programs.

#include "X11Private.h"

#include "lice_text.h"

#include <X11/keysym.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

extern char** environ;

namespace x11
{
namespace
{
// A menu's sizes at 100 %; every one of them follows the editor's scale, so
// a menu opened from a 200 % editor is drawn at 200 % too.
struct MenuMetrics
{
  explicit MenuMetrics(double scale)
      : scale(scale > 0.0 ? scale : 1.0), itemHeight(Px(20)), separatorHeight(Px(7)),
        checkWidth(Px(20)), arrowWidth(Px(18)), textMargin(Px(8)), fontHeight(Px(13))
  {
  }
  int Px(int v) const { return static_cast<int>(v * scale + 0.5); }

  double scale;
  int itemHeight, separatorHeight;
  int checkWidth; // the column for check marks
  int arrowWidth; // the column for submenu arrows
  int textMargin;
  int fontHeight;
};

const LICE_pixel kMenuBack = LICE_RGBA(240, 240, 240, 255);
const LICE_pixel kMenuText = LICE_RGBA(20, 20, 20, 255);
const LICE_pixel kMenuGray = LICE_RGBA(150, 150, 150, 255);
const LICE_pixel kMenuHot = LICE_RGBA(60, 110, 200, 255);
const LICE_pixel kMenuHotText = LICE_RGBA(255, 255, 255, 255);

std::unique_ptr<LICE_CachedFont> MakeFont(int height)
{
  std::unique_ptr<LICE_CachedFont> font(new LICE_CachedFont);
  font->SetFromHFont(LICE_CreateFont("DejaVu Sans", height, false, false, true),
                     LICE_FONT_OWNS_HFONT);
  return font;
}

int TextWidth(LICE_CachedFont* font, const char* text)
{
  LICE_Rect r = {0, 0, 0, 0};
  font->DrawTextA(nullptr, text, -1, &r, LICE_DT_CALCRECT | LICE_DT_SINGLELINE);
  return r.right - r.left;
}

// The label a menu shows for item i: its text, numbered when the menu's
// prefix style asks for it.
std::string Label(IPopupMenu* menu, int i)
{
  const char* text = menu->GetItem(i)->GetText();
  const char* formats[] = {nullptr, "%1d: %s", "%02d: %s", "%03d: %s"};
  const int prefix = menu->GetPrefix();
  if (prefix < 1 || prefix > 3)
    return text ? text : "";
  char label[256];
  std::snprintf(label, sizeof(label), formats[prefix], i + 1, text ? text : "");
  return label;
}

// One open (sub)menu: its window, its rows, the highlighted item.
struct Level
{
  IPopupMenu* menu = nullptr;
  Window window = 0;
  int x = 0, y = 0, w = 0, h = 0; // on the screen
  std::vector<int> tops;          // each item's top, then the bottom
  int hot = -1;
  std::unique_ptr<LICE_MemBitmap> bitmap;
  const MenuMetrics* metrics = nullptr;
};

void DrawOutline(LICE_IBitmap* bm, int w, int h)
{
  const LICE_pixel edge = LICE_RGBA(120, 120, 120, 255);
  LICE_Line(bm, 0, 0, w - 1, 0, edge, 1.0f, LICE_MODE_COPY, false);
  LICE_Line(bm, 0, h - 1, w - 1, h - 1, edge, 1.0f, LICE_MODE_COPY, false);
  LICE_Line(bm, 0, 0, 0, h - 1, edge, 1.0f, LICE_MODE_COPY, false);
  LICE_Line(bm, w - 1, 0, w - 1, h - 1, edge, 1.0f, LICE_MODE_COPY, false);
}

bool Selectable(const IPopupMenuItem* item)
{
  return item && !item->GetIsSeparator() && !item->GetIsTitle() && item->GetEnabled();
}

void DrawLevel(Display* display, Level& level, LICE_CachedFont* font)
{
  LICE_IBitmap* bm = level.bitmap.get();
  const MenuMetrics& m = *level.metrics;
  LICE_Clear(bm, kMenuBack);
  DrawOutline(bm, level.w, level.h);
  for (int i = 0; i < level.menu->GetNItems(); ++i)
  {
    const IPopupMenuItem* item = level.menu->GetItem(i);
    const int top = level.tops[static_cast<size_t>(i)];
    const int bottom = level.tops[static_cast<size_t>(i) + 1];
    if (item->GetIsSeparator())
    {
      LICE_Line(bm, m.Px(4), (top + bottom) / 2, level.w - 1 - m.Px(4), (top + bottom) / 2,
                kMenuGray, 1.0f, LICE_MODE_COPY, false);
      continue;
    }
    LICE_pixel color = Selectable(item) || item->GetSubmenu() ? kMenuText : kMenuGray;
    if (i == level.hot)
    {
      LICE_FillRect(bm, 1, top, level.w - 2, bottom - top, kMenuHot, 1.0f, LICE_MODE_COPY);
      color = kMenuHotText;
    }
    font->SetTextColor(color);
    LICE_Rect r = {m.checkWidth, top, level.w - m.arrowWidth, bottom};
    font->DrawTextA(bm, Label(level.menu, i).c_str(), -1, &r, LICE_DT_SINGLELINE | LICE_DT_VCENTER);
    const int cy = (top + bottom) / 2;
    if (item->GetChecked())
    {
      // A tick: two strokes, thickened by passes a pixel lower each.
      for (int d = 0; d < m.Px(2); ++d)
      {
        LICE_Line(bm, m.Px(6), cy + d, m.Px(9), cy + m.Px(3) + d, color, 1.0f, LICE_MODE_COPY,
                  true);
        LICE_Line(bm, m.Px(9), cy + m.Px(3) + d, m.Px(15), cy - m.Px(4) + d, color, 1.0f,
                  LICE_MODE_COPY, true);
      }
    }
    if (item->GetSubmenu())
      LICE_FillTriangle(bm, level.w - m.Px(12), cy - m.Px(4), level.w - m.Px(12), cy + m.Px(4),
                        level.w - m.Px(8), cy, color, 1.0f, LICE_MODE_COPY);
  }
  PutBitmap(display, level.window, bm, 0, 0, level.w, level.h);
}

bool OpenLevel(Display* display, Level& level, IPopupMenu* menu, int x, int y,
               LICE_CachedFont* font, const MenuMetrics& m)
{
  level.menu = menu;
  level.metrics = &m;
  int width = m.Px(60);
  int height = 2;
  level.tops.clear();
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    level.tops.push_back(height);
    height += menu->GetItem(i)->GetIsSeparator() ? m.separatorHeight : m.itemHeight;
    width = std::max(width, TextWidth(font, Label(menu, i).c_str()));
  }
  level.tops.push_back(height);
  level.w = width + m.checkWidth + m.arrowWidth + m.textMargin;
  level.h = height + 2;
  // Kept on the screen.
  const int screenW = DisplayWidth(display, DefaultScreen(display));
  const int screenH = DisplayHeight(display, DefaultScreen(display));
  level.x = std::max(0, std::min(x, screenW - level.w));
  level.y = std::max(0, std::min(y, screenH - level.h));
  level.window = CreateWindow(display, DefaultRootWindow(display), level.x, level.y, level.w,
                              level.h, ExposureMask, true);
  if (!level.window)
    return false;
  level.bitmap.reset(new LICE_MemBitmap(level.w, level.h));
  level.hot = -1;
  XMapRaised(display, level.window);
  DrawLevel(display, level, font);
  return true;
}

void CloseLevelsFrom(Display* display, std::vector<Level>& levels, size_t from)
{
  while (levels.size() > from)
  {
    XDestroyWindow(display, levels.back().window);
    levels.pop_back();
  }
}

// The level and item under the screen point; false when outside every menu.
bool HitTest(std::vector<Level>& levels, int x, int y, size_t& levelIdx, int& item)
{
  for (size_t k = levels.size(); k-- > 0;)
  {
    const Level& l = levels[k];
    if (x < l.x || x >= l.x + l.w || y < l.y || y >= l.y + l.h)
      continue;
    levelIdx = k;
    item = -1;
    for (int i = 0; i < l.menu->GetNItems(); ++i)
      if (y - l.y >= l.tops[static_cast<size_t>(i)] && y - l.y < l.tops[static_cast<size_t>(i) + 1])
        item = i;
    return true;
  }
  return false;
}

// The next selectable item of a level from `from` in direction `step`
// (+1 or -1), wrapping around; -1 when it has none.
int NextSelectable(const Level& level, int from, int step)
{
  const int n = level.menu->GetNItems();
  for (int k = 1; k <= n; ++k)
  {
    const int i = ((from + step * k) % n + n) % n;
    const IPopupMenuItem* item = level.menu->GetItem(i);
    if (Selectable(item) || (item && item->GetSubmenu() && item->GetSubmenu()->GetNItems() > 0))
      return i;
  }
  return -1;
}

void OpenSubmenuOf(Display* display, std::vector<Level>& levels, LICE_CachedFont* font)
{
  const Level& parent = levels.back();
  const IPopupMenuItem* item = parent.hot >= 0 ? parent.menu->GetItem(parent.hot) : nullptr;
  if (!item || !item->GetSubmenu() || item->GetSubmenu()->GetNItems() == 0)
    return;
  const int x = parent.x + parent.w - 2;
  const int y = parent.y + parent.tops[static_cast<size_t>(parent.hot)] - 2;
  const MenuMetrics& m = *parent.metrics;
  levels.emplace_back();
  OpenLevel(display, levels.back(), item->GetSubmenu(), x, y, font, m);
}

// The keys of a native menu: Up and Down move through the innermost open
// menu, Right enters a submenu, Left leaves it, Enter chooses, Escape
// dismisses. False once the menu is done (result set when chosen).
bool HandleMenuKey(Display* display, std::vector<Level>& levels, KeySym sym, LICE_CachedFont* font,
                   IPopupMenu*& result)
{
  Level& level = levels.back();
  switch (sym)
  {
  case XK_Escape:
    return false;
  case XK_Down:
  case XK_Up:
  {
    const int start = level.hot >= 0 ? level.hot : (sym == XK_Down ? -1 : 0);
    const int next = NextSelectable(level, start, sym == XK_Down ? 1 : -1);
    if (next >= 0 && next != level.hot)
    {
      level.hot = next;
      DrawLevel(display, level, font);
    }
    return true;
  }
  case XK_Right:
    if (level.hot >= 0)
    {
      OpenSubmenuOf(display, levels, font);
      Level& inner = levels.back();
      if (&inner != &level && inner.hot < 0)
      {
        inner.hot = NextSelectable(inner, -1, 1);
        DrawLevel(display, inner, font);
      }
    }
    return true;
  case XK_Left:
    if (levels.size() > 1)
      CloseLevelsFrom(display, levels, levels.size() - 1);
    return true;
  case XK_Return:
  case XK_KP_Enter:
  {
    const IPopupMenuItem* item = level.hot >= 0 ? level.menu->GetItem(level.hot) : nullptr;
    if (item && item->GetSubmenu())
      return HandleMenuKey(display, levels, XK_Right, font, result);
    if (!Selectable(item))
      return true;
    level.menu->SetChosenItemIdx(level.hot);
    result = level.menu;
    return false;
  }
  default:
    return true;
  }
}
} // namespace

Window CreateWindow(Display* display, Window parent, int x, int y, int w, int h, long eventMask,
                    bool overrideRedirect)
{
  XVisualInfo info;
  if (!XMatchVisualInfo(display, DefaultScreen(display), 24, TrueColor, &info))
    return 0;
  XSetWindowAttributes attributes;
  std::memset(&attributes, 0, sizeof(attributes));
  attributes.event_mask = eventMask;
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.override_redirect = overrideRedirect ? True : False;
  attributes.colormap = XCreateColormap(display, parent, info.visual, AllocNone);
  const Window window = XCreateWindow(
      display, parent, x, y, static_cast<unsigned>(std::max(w, 1)),
      static_cast<unsigned>(std::max(h, 1)), 0, info.depth, InputOutput, info.visual,
      CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap | CWOverrideRedirect, &attributes);
  XFreeColormap(display, attributes.colormap);
  return window;
}

void PutBitmap(Display* display, Window window, LICE_IBitmap* bitmap, int l, int t, int r, int b)
{
  l = std::max(l, 0);
  t = std::max(t, 0);
  r = std::min(r, bitmap->getWidth());
  b = std::min(b, bitmap->getHeight());
  if (r <= l || b <= t)
    return;
  XVisualInfo info;
  if (!XMatchVisualInfo(display, DefaultScreen(display), 24, TrueColor, &info))
    return;
  // The image borrows the bitmap's rows: 32-bit pixels 0xAARRGGBB are what
  // a 24-bit TrueColor visual takes.
  XImage* image =
      XCreateImage(display, info.visual, 24, ZPixmap, 0, reinterpret_cast<char*>(bitmap->getBits()),
                   static_cast<unsigned>(bitmap->getWidth()),
                   static_cast<unsigned>(bitmap->getHeight()), 32, bitmap->getRowSpan() * 4);
  if (!image)
    return;
  GC gc = XCreateGC(display, window, 0, nullptr);
  XPutImage(display, window, gc, image, l, t, l, t, static_cast<unsigned>(r - l),
            static_cast<unsigned>(b - t));
  XFreeGC(display, gc);
  image->data = nullptr;
  XDestroyImage(image);
  XFlush(display);
}

IPopupMenu* RunPopupMenu(Display* display, int rootX, int rootY, IPopupMenu* menu, double scale)
{
  if (!display || !menu || menu->GetNItems() == 0)
    return nullptr;
  const MenuMetrics metrics(scale);
  std::unique_ptr<LICE_CachedFont> font = MakeFont(metrics.fontHeight);
  std::vector<Level> levels;
  levels.reserve(8);
  levels.emplace_back();
  if (!OpenLevel(display, levels[0], menu, rootX, rootY, font.get(), metrics))
    return nullptr;
  // The menu takes every press and key until it closes, wherever they are.
  XSync(display, False);
  XUngrabPointer(display, CurrentTime);
  const int grabbed = XGrabPointer(display, levels[0].window, False,
                                   ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  XGrabKeyboard(display, levels[0].window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
  IPopupMenu* result = nullptr;
  bool running = grabbed == GrabSuccess;
  while (running)
  {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type)
    {
    case Expose:
      for (Level& l : levels)
        if (l.window == event.xexpose.window)
          DrawLevel(display, l, font.get());
      break;
    case MotionNotify:
    case ButtonPress:
    {
      const int x = event.type == MotionNotify ? event.xmotion.x_root : event.xbutton.x_root;
      const int y = event.type == MotionNotify ? event.xmotion.y_root : event.xbutton.y_root;
      size_t k = 0;
      int item = -1;
      if (!HitTest(levels, x, y, k, item))
      {
        if (event.type == ButtonPress)
          running = false; // a press outside dismisses the menu
        break;
      }
      Level& level = levels[k];
      const IPopupMenuItem* hit = item >= 0 ? level.menu->GetItem(item) : nullptr;
      if (item != level.hot)
      {
        CloseLevelsFrom(display, levels, k + 1);
        levels[k].hot = item;
        DrawLevel(display, levels[k], font.get());
        OpenSubmenuOf(display, levels, font.get());
      }
      if (event.type == ButtonPress && event.xbutton.button <= Button3 && hit && Selectable(hit) &&
          !hit->GetSubmenu())
      {
        levels[k].menu->SetChosenItemIdx(item);
        result = levels[k].menu;
        running = false;
      }
      break;
    }
    case KeyPress:
      running = HandleMenuKey(display, levels, XLookupKeysym(&event.xkey, 0), font.get(), result);
      break;
    default:
      break;
    }
  }
  XUngrabKeyboard(display, CurrentTime);
  XUngrabPointer(display, CurrentTime);
  CloseLevelsFrom(display, levels, 0);
  XSync(display, False);
  return result;
}

int RunMessageBox(const char* text, const char* caption, int type, double scale)
{
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    return 2;
  // The window whose keyboard focus it restores may be gone by then.
  WatchErrors(display);
  struct Button
  {
    const char* label;
    int result;
  };
  static const Button kOk[] = {{"OK", 1}};
  static const Button kOkCancel[] = {{"OK", 1}, {"Cancel", 2}};
  static const Button kYesNoCancel[] = {{"Yes", 6}, {"No", 7}, {"Cancel", 2}};
  static const Button kYesNo[] = {{"Yes", 6}, {"No", 7}};
  std::vector<Button> buttons(kOk, kOk + 1);
  if (type == 1)
    buttons.assign(kOkCancel, kOkCancel + 2);
  else if (type == 3)
    buttons.assign(kYesNoCancel, kYesNoCancel + 3);
  else if (type == 4)
    buttons.assign(kYesNo, kYesNo + 2);
  const int closeResult = type == 4 ? 7 : (type == 0 ? 1 : 2);
  const MenuMetrics m(scale);
  std::unique_ptr<LICE_CachedFont> font = MakeFont(m.Px(14));
  const int textW = TextWidth(font.get(), text ? text : "");
  const int buttonW = m.Px(80), buttonH = m.Px(26), gap = m.Px(10);
  const int rowW = static_cast<int>(buttons.size()) * (buttonW + gap) - gap;
  const int w = std::max(textW, rowW) + m.Px(40), h = m.Px(100);
  const Window window =
      CreateWindow(display, DefaultRootWindow(display), 100, 100, w, h,
                   ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask, false);
  int result = closeResult;
  if (window)
  {
    XStoreName(display, window, caption ? caption : "");
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    // The box takes the keyboard, for Enter and Escape, from whichever
    // window had it (the editor, after a click), and gives it back.
    Window previousFocus = None;
    int previousRevert = RevertToParent;
    XGetInputFocus(display, &previousFocus, &previousRevert);
    XMapRaised(display, window);
    LICE_MemBitmap bm(w, h);
    const int buttonsX = (w - rowW) / 2, buttonsY = h - buttonH - m.Px(14);
    bool running = true;
    while (running)
    {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify)
      {
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
      }
      else if (event.type == Expose)
      {
        LICE_Clear(&bm, kMenuBack);
        font->SetTextColor(kMenuText);
        LICE_Rect r = {0, m.Px(16), w, m.Px(40)};
        font->DrawTextA(&bm, text ? text : "", -1, &r, LICE_DT_SINGLELINE | LICE_DT_CENTER);
        for (size_t i = 0; i < buttons.size(); ++i)
        {
          const int x = buttonsX + static_cast<int>(i) * (buttonW + gap);
          LICE_FillRect(&bm, x, buttonsY, buttonW, buttonH, LICE_RGBA(220, 220, 220, 255), 1.0f,
                        LICE_MODE_COPY);
          LICE_Rect b = {x, buttonsY, x + buttonW, buttonsY + buttonH};
          font->DrawTextA(&bm, buttons[i].label, -1, &b,
                          LICE_DT_SINGLELINE | LICE_DT_CENTER | LICE_DT_VCENTER);
        }
        PutBitmap(display, window, &bm, 0, 0, w, h);
      }
      else if (event.type == ButtonPress && event.xbutton.y >= buttonsY &&
               event.xbutton.y < buttonsY + buttonH)
      {
        const int i = (event.xbutton.x - buttonsX) / (buttonW + gap);
        const int within = (event.xbutton.x - buttonsX) % (buttonW + gap);
        if (event.xbutton.x >= buttonsX && i < static_cast<int>(buttons.size()) && within < buttonW)
        {
          result = buttons[static_cast<size_t>(i)].result;
          running = false;
        }
      }
      else if (event.type == KeyPress)
      {
        const KeySym sym = XLookupKeysym(&event.xkey, 0);
        if (sym == XK_Return || sym == XK_KP_Enter)
        {
          result = buttons[0].result;
          running = false;
        }
        else if (sym == XK_Escape)
          running = false;
      }
      else if (event.type == ClientMessage &&
               static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
        running = false;
    }
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == window)
      XSetInputFocus(display, previousFocus, previousRevert, CurrentTime);
    XDestroyWindow(display, window);
  }
  SyncFailed(display);
  UnwatchErrors(display);
  XCloseDisplay(display);
  return result;
}

bool RunProgram(const std::vector<std::string>& argv, std::string* output)
{
  if (argv.empty())
    return false;
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int pipeFds[2] = {-1, -1};
  if (output && pipe(pipeFds) != 0)
    return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output)
  {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
  }
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (output)
  {
    close(pipeFds[1]);
    output->clear();
    if (spawned == 0)
    {
      char buffer[512];
      ssize_t n;
      while ((n = read(pipeFds[0], buffer, sizeof(buffer))) > 0)
        output->append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    while (!output->empty() && (output->back() == '\n' || output->back() == '\r'))
      output->pop_back();
  }
  if (spawned != 0)
    return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
  {
    if (errno != EINTR)
      return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
} // namespace x11
