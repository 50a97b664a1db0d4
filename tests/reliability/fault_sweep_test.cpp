// The fault sweep: every export is run once cleanly to count the platform objects it creates
// (device contexts, bitmaps, regions, pens, fonts, process handles, remote memory, file
// handles, global memory, windows), then once for each of those creations with that one
// failing. Every faulted run must give the export's failure result, leave no object behind
// and leave the caller's objects and the rest of the world (pixels, device context state,
// window places, the file on disk, the tray) as they were. The fault hook is the headless
// platform's, so the sweep runs there only.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/graphics/gdi_fixtures.h"
#include <veneer/framework/afx.h>
#include <veneer/headless/testing.h>
#include <veneer/veneer.h>

namespace veneer::test {
namespace {

using namespace veneer::headless::testing;

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

std::string file_content(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string hex(const std::vector<BYTE>& bytes) {
  // A digest is enough to see a change; FNV-1a over the bytes.
  std::uint64_t h = 1469598103934665603ull;
  for (BYTE b : bytes) h = (h ^ b) * 1099511628211ull;
  char text[32];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

std::string rect_text(const RECT& r) {
  std::ostringstream s;
  s << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
  return s.str();
}

std::string region_text(HRGN region) {
  if (!region) return "none";
  DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<BYTE> data(size);
  if (size) GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()));
  return hex(data);
}

// Everything a call could touch: a desktop with a shell, a tray icon and two windows, a
// target device context over a canvas, skin bitmaps of the caller, a region and a file.
struct World {
  HWND main = nullptr;
  HWND child = nullptr;
  CWnd main_wnd, child_wnd;
  Canvas canvas{40, 30};
  CBitmap skin, overlay, gray, copy_to, copy_from;
  CRgn region;
  CFont font;
  std::string file;

  World() {
    reset_desktop();
    WNDCLASSA wc{};
    wc.lpfnWndProc = plain_proc;
    wc.lpszClassName = "VeneerFaultSweep";
    RegisterClassA(&wc);
    HeadlessStartShell(0);
    main = CreateWindowExA(0, "VeneerFaultSweep", "sweep", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
    child = CreateWindowExA(0, "VeneerFaultSweep", "child", WS_CHILD | WS_VISIBLE, 5, 5, 50, 20, main, nullptr, nullptr,
                            nullptr);
    main_wnd.m_hWnd = main;
    child_wnd.m_hWnd = child;
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main;
    icon.uID = 7;
    Shell_NotifyIconA(NIM_ADD, &icon);
    make_dib32(skin, 24, 16, [](int x, int y) { return (x + y) % 5 == 0 ? kKey : RGB(x * 9, y * 13, 77); });
    make_dib32(overlay, 6, 6, [](int x, int y) { return x == y ? kKey : RGB(200, x * 20, y * 30); });
    make_dib(gray, 9, 7, 24);
    make_dib32(copy_from, 5, 4, [](int x, int y) { return RGB(x, y, 3); });
    make_dib32(copy_to, 3, 3, [](int, int) { return RGB(1, 2, 3); });
    region.CreateRectRgn(1, 2, 3, 4);
    LOGFONTA lf{};
    lf.lfHeight = -16;
    std::strcpy(lf.lfFaceName, "Arial");
    font.CreateFontIndirect(&lf);
    const char* tmp = std::getenv("TMPDIR");
    file = std::string(tmp ? tmp : "/tmp") + "/veneer-sweep-" + std::to_string(GetCurrentProcessId()) + ".txt";
    std::ofstream(file, std::ios::binary) << "old content";
    OpenClipboard(nullptr);
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 6);
    std::memcpy(GlobalLock(text), "clip!", 6);
    GlobalUnlock(text);
    SetClipboardData(CF_TEXT, text);
    CloseClipboard();
  }
  ~World() {
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    DestroyWindow(main);
    HeadlessStopShell();
    reset_desktop();
    std::remove(file.c_str());
  }

  // What the caller and the desktop can see.
  std::string state() {
    std::ostringstream s;
    RECT r{};
    s << "canvas " << hex(pixel_bits(canvas.bitmap())) << " dc " << dc_state(canvas.dc().GetSafeHdc()).describe();
    for (CBitmap* b : {&skin, &overlay, &gray, &copy_to, &copy_from})
      s << " bitmap " << (b->GetSafeHandle() ? hex(pixel_bits(static_cast<HBITMAP>(b->GetSafeHandle()))) : "none");
    s << " copy_to " << copy_to.GetSafeHandle();
    s << " region " << region.GetSafeHandle() << " " << region_text(static_cast<HRGN>(region.GetSafeHandle()));
    GetWindowRect(main, &r);
    s << " main " << rect_text(r) << (IsIconic(main) ? " iconic" : "");
    GetWindowRect(child, &r);
    s << " child " << rect_text(r);
    s << " foreground " << GetForegroundWindow() << " flashing " << flash_state(main).flashing;
    s << " animations " << last_caption_animation().count;
    s << " file " << file_content(file);
    return s.str();
  }
};

// How a call ended: its result as text, or the exception it raised.
using Call = std::function<std::string(World&)>;

struct Export {
  const char* name;
  Call call;
  // The failure result as Call prints it; nullptr when a faulted run may also succeed (then
  // it must give the clean run's result).
  const char* failure;
  // Whether a faulted run must leave the world's state exactly as it was.
  bool no_effect_on_failure = true;
};

std::string text(const CStringT& s) { return "\"" + std::string(s.GetString(), s.GetLength()) + "\""; }
std::string number(long long v) { return std::to_string(v); }

std::string guarded(const Call& call, World& world) {
  try {
    return call(world);
  } catch (CResourceException* e) {
    e->Delete();
    return "CResourceException";
  } catch (CMemoryException* e) {
    e->Delete();
    return "CMemoryException";
  } catch (CFileException* e) {
    e->Delete();
    return "CFileException";
  }
}

const std::vector<Export>& exports() {
  static const std::vector<Export> list = {
      {"AfxEncryptString", [](World&) { return text(AfxEncryptString("abc")); }, "\"\x9e\x9d\x9c\""},
      {"AfxUrlEncode", [](World&) { return text(AfxUrlEncode("a b&")); }, "\"a+b%26\""},
      {"AfxGetFileExtName", [](World&) { return text(AfxGetFileExtName("x\\y.tar.gz")); }, "\"gz\""},
      {"AfxCaclStringLength", [](World& w) { return number(AfxCaclStringLength("A&&B title", &w.font)); }, "0"},
      {"AfxCaclStringLength(default font)", [](World&) { return number(AfxCaclStringLength("Wide", nullptr)); }, "0"},
      {"AfxGetFileSize", [](World& w) { return number(AfxGetFileSize(w.file.c_str())); }, "0"},
      {"AfxReadFromFile", [](World& w) { return text(AfxReadFromFile(w.file.c_str())); }, "\"\""},
      // A save that cannot make its temporary file writes in place: each faulted run leaves
      // one whole version, the old or the new.
      {"AfxSaveToFile",
       [](World& w) {
         AfxSaveToFile(CStringT("new\0content", 11), w.file.c_str());
         const std::string content = file_content(w.file);
         return content == "old content" || content == std::string("new\0content", 11) ? std::string("whole") : content;
       },
       nullptr, false},
      {"AfxGetAppPath", [](World&) { return text(AfxGetAppPath()); }, nullptr},
      {"AfxGetClipboardText", [](World&) { return text(AfxGetClipboardText()); }, "\"\""},
      {"AfxCleanMemory",
       [](World& w) {
         set_working_set_size(30000000);
         unsigned before = working_set_trims();
         AfxCleanMemory(&w.main_wnd, 1);
         clear_working_set_size();
         return number(working_set_trims() - before);
       },
       "0"},
      {"AfxShowOnTopWindow",
       [](World& w) {
         AfxShowOnTopWindow(w.main);
         return std::string();
       },
       nullptr, false},
      {"AfxCenterDesktop",
       [](World& w) {
         AfxCenterDesktop(w.main, 301, 199);
         return std::string();
       },
       nullptr, false},
      {"AfxOffSetCtrl",
       [](World& w) {
         AfxOffSetCtrl(w.main, w.child, 3, 2, 20, 0);
         return std::string();
       },
       nullptr, false},
      {"AfxOffSetCtrlWnd",
       [](World& w) {
         AfxOffSetCtrlWnd(&w.main_wnd, &w.child_wnd, -1, 1, 0, 9);
         return std::string();
       },
       nullptr, false},
      {"AfxFlashWindow",
       [](World& w) {
         AfxFlashWindow(w.main, 3);
         return std::string();
       },
       nullptr, false},
      {"AfxTrayNotifyWnd", [](World&) { return std::string(AfxTrayNotifyWnd() ? "found" : "null"); }, nullptr},
      {"AfxTrayNotifyToolbarWnd", [](World&) { return std::string(AfxTrayNotifyToolbarWnd() ? "found" : "null"); },
       nullptr},
      {"AfxAnimate2Tray",
       [](World& w) {
         AfxAnimate2Tray(w.main);
         return std::string();
       },
       nullptr, false},
      {"AfxFindTrayIconPosition",
       [](World& w) {
         CRect r(-1, -2, -3, -4);
         int found = AfxFindTrayIconPosition(w.main, 7, r);
         return number(found) + " " + rect_text(r);
       },
       "0 (-1,-2)-(-3,-4)"},
      {"AfxDrawNormalBitmap",
       [](World& w) {
         AfxDrawNormalBitmap(&w.canvas.dc(), &w.skin, CPoint(2, 3), CRect(4, 4, 30, 20));
         return std::string();
       },
       ""},
      {"AfxDrawStretchBitmap",
       [](World& w) {
         AfxDrawStretchBitmap(&w.canvas.dc(), &w.skin, CPoint(1, 1), 16, 8, CRect(0, 0, 39, 29));
         return std::string();
       },
       ""},
      {"AfxDrawSingleLine",
       [](World& w) {
         AfxDrawSingleLine(&w.canvas.dc(), CPoint(0, 5), CPoint(35, 25), RGB(10, 200, 30));
         return std::string();
       },
       "CResourceException"},
      {"AfxGradientFillRect",
       [](World& w) {
         CRect rect(2, 2, 38, 28);
         AfxGradientFillRect(&w.canvas.dc(), rect, RGB(255, 0, 0), RGB(0, 0, 255), 1);
         return std::string();
       },
       ""},
      {"AfxDrawHoriRectEx",
       [](World& w) {
         AfxDrawHoriRectEx(&w.canvas.dc(), &w.skin, CPoint(0, 0), 20, 10, CRect(0, 0, 38, 12), 4, 5);
         return std::string();
       },
       ""},
      {"AfxDrawVertRectEx",
       [](World& w) {
         AfxDrawVertRectEx(&w.canvas.dc(), &w.skin, CPoint(0, 0), 6, 14, CRect(0, 0, 6, 28), 4, 3);
         return std::string();
       },
       ""},
      {"AfxDrawRect",
       [](World& w) {
         AfxDrawRect(&w.canvas.dc(), &w.skin, CPoint(0, 0), 11, 10, CRect(0, 0, 38, 10));
         return std::string();
       },
       ""},
      {"AfxDrawVertRect",
       [](World& w) {
         AfxDrawVertRect(&w.canvas.dc(), &w.skin, CPoint(0, 0), 6, 11, CRect(0, 0, 6, 28));
         return std::string();
       },
       ""},
      {"AfxDrawTransBitmap",
       [](World& w) {
         AfxDrawTransBitmap(&w.canvas.dc(), &w.skin, CPoint(1, 0), CRect(3, 3, 19, 15), kKey);
         return std::string();
       },
       ""},
      {"AfxOverlapBitmap",
       [](World& w) {
         AfxOverlapBitmap(&w.skin, &w.overlay, CPoint(20, 12));
         return std::string();
       },
       ""},
      {"AfxConvertToGray24",
       [](World& w) {
         AfxConvertToGray24(&w.gray);
         return std::string();
       },
       ""},
      {"AfxCopyBitmap", [](World& w) { return number(AfxCopyBitmap(&w.copy_from, &w.copy_to)); }, "0"},
      {"AfxCreateSkinRegion", [](World& w) { return number(AfxCreateSkinRegion(&w.skin, &w.region)); }, "0"},
  };
  return list;
}

constexpr int kind_count = static_cast<int>(ObjectKind::Count);

struct Clean {
  std::string result;
  std::size_t made[kind_count] = {};
};

Clean clean_run(const Export& e) {
  Clean c;
  World world;
  reset_creation_counts();
  c.result = guarded(e.call, world);
  for (int k = 0; k < kind_count; ++k) c.made[k] = creations(static_cast<ObjectKind>(k));
  return c;
}

class FaultSweep : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultSweep, EachCreationFailingInTurnGivesTheFailureResultAndLeavesNothing) {
  const Export& e = exports()[GetParam()];
  const LiveCounts start = live_counts();
  const Clean clean = clean_run(e);
  EXPECT_EQ(live_counts(), start) << e.name << ": the clean run left objects behind";

  std::size_t swept = 0;
  std::string coverage;
  for (int k = 0; k < kind_count; ++k) {
    if (clean.made[k])
      coverage += std::string(" ") + kind_name(static_cast<ObjectKind>(k)) + " x" + std::to_string(clean.made[k]);
    for (std::size_t n = 1; n <= clean.made[k]; ++n, ++swept) {
      SCOPED_TRACE(std::string(e.name) + ": " + kind_name(static_cast<ObjectKind>(k)) + " creation " +
                   std::to_string(n) + " fails");
      std::string result, before, after;
      {
        World world;
        before = world.state();
        fail_nth_creation(static_cast<ObjectKind>(k), static_cast<unsigned>(n));
        result = guarded(e.call, world);
        clear_faults();
        after = world.state();
      }
      EXPECT_EQ(result, e.failure ? std::string(e.failure) : clean.result);
      if (e.no_effect_on_failure) {
        EXPECT_EQ(after, before) << "the failed call changed what the caller sees";
      }
      EXPECT_EQ(live_counts(), start) << "a faulted run left objects behind";
    }
  }
  std::printf("sweep: %-34s %2zu creation(s) failed in turn:%s\n", e.name, swept,
              coverage.empty() ? " creates nothing" : coverage.c_str());
}

INSTANTIATE_TEST_SUITE_P(EveryExport, FaultSweep, ::testing::Range<std::size_t>(0, exports().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                           std::string n = exports()[info.param].name;
                           std::string out;
                           for (char c : n) {
                             if (std::isalnum(static_cast<unsigned char>(c))) out += c;
                           }
                           return out;
                         });

TEST(FaultSweepCoverage, EveryExportIsSwept) {
  std::vector<std::string> names;
  for (const Export& e : exports()) {
    std::string n = e.name;
    names.push_back(n.substr(0, n.find('(')));
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  EXPECT_EQ(names.size(), 32u);
}

}  // namespace
}  // namespace veneer::test
#endif
