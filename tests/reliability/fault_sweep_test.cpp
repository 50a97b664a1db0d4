// The fault sweep: every export is run once cleanly to count the platform objects it creates
// (device contexts, bitmaps, regions, pens, fonts, process handles, remote memory, file
// handles, global memory, windows), the faultable platform calls it makes (blits, selections,
// bitmap-bit reads, remote reads, file writes and the replace step, clipboard and window
// calls) and its heap allocations, then once for each of those with that one failing. Every
// faulted run must give the export's failure result, leave no object behind and leave the
// caller's objects and the rest of the world (pixels, device context state, window places,
// the file on disk, the tray's record, the clipboard) as they were. The fault hooks are the
// headless platform's, so the sweep runs there only.
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

#include "tests/support/drawing_fixtures.h"
#include "tests/support/heap_faults.h"
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
  Canvas canvas{40, 30, kBackground};
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
    // A device-dependent bitmap: the conversion reads it out and writes it back, calls that
    // can fail (a DIB section is converted where its rows lie, with no call to fail).
    std::vector<BYTE> gray_bits(static_cast<std::size_t>(ddb_row_bytes(9, 24)) * 7);
    for (std::size_t i = 0; i < gray_bits.size(); ++i) gray_bits[i] = static_cast<BYTE>(i * 29 + 3);
    make_ddb(gray, 9, 7, 24, gray_bits);
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

  // What the caller and the desktop can see. Without a target: everything; with one (the
  // bitmap the export draws on, "canvas" also standing for the target context's state), all
  // but that.
  std::string state(const char* target = nullptr) {
    std::ostringstream s;
    RECT r{};
    const std::string left_out = target ? target : "";
    if (left_out != "canvas")
      s << "canvas " << hex(pixel_bits(canvas.bitmap)) << " dc " << dc_state(canvas.cdc().GetSafeHdc()).describe();
    const std::pair<const char*, CBitmap*> bitmaps[] = {
        {"skin", &skin}, {"overlay", &overlay}, {"gray", &gray}, {"copy_to", &copy_to}, {"copy_from", &copy_from}};
    for (const auto& [name, b] : bitmaps) {
      if (left_out == name) continue;
      s << " " << name << " "
        << (b->GetSafeHandle() ? hex(pixel_bits(static_cast<HBITMAP>(b->GetSafeHandle()))) : "none");
    }
    s << " copy_to " << copy_to.GetSafeHandle();
    s << " region " << region.GetSafeHandle() << " " << region_text(static_cast<HRGN>(region.GetSafeHandle()));
    GetWindowRect(main, &r);
    s << " main " << rect_text(r) << (IsIconic(main) ? " iconic" : "");
    GetWindowRect(child, &r);
    s << " child " << rect_text(r);
    s << " foreground " << GetForegroundWindow() << " flashing " << flash_state(main).flashing;
    s << " animations " << last_caption_animation().count;
    s << " file " << file_content(file);
    NOTIFYICONIDENTIFIER icon{sizeof icon, main, 7, {}};
    r = RECT{};
    s << " tray icon " << Shell_NotifyIconGetRect(&icon, &r) << " " << rect_text(r);
    s << " clipboard " << clipboard_text();
    return s.str();
  }

  // The clipboard's text, and whether anyone left it open (another window cannot open it then).
  std::string clipboard_text() {
    if (!OpenClipboard(main)) return "<held open>";
    std::string out = "<no text>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* p = static_cast<const char*>(GlobalLock(data))) out = p;
      GlobalUnlock(data);
    }
    CloseClipboard();
    return out;
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
  // Whether the export's heap allocations are failed in turn (exports that make no platform call).
  bool heap_faults = false;
  // What the export draws on: a platform call failing after drawing began may leave it partly
  // drawn, as on Win32.
  const char* target = "canvas";
  // What a failing platform call may give besides failure: "*" where the export has no guard
  // and its result is then whatever the platform gives (the width in whichever font the
  // context holds), a name where the documented error is that exception.
  const char* call_failure = nullptr;
};

std::string text(const CStringT& s) { return "\"" + std::string(s.GetString(), s.GetLength()) + "\""; }
std::string number(long long v) { return std::to_string(v); }

// A text export called with only its own allocations counted (and failed) by the heap hook.
std::string counted(CStringT (*transform)(CStringT), const char* input) {
  const CStringT argument(input);
  CStringT result;
  {
    heap::Counted scope;
    result = transform(argument);
  }
  return text(result);
}

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
  } catch (const std::exception& e) {
    return std::string("escaped: ") + e.what();
  }
}

const std::vector<Export>& exports() {
  static const std::vector<Export> list = {
      // Inputs longer than a short string's inline buffer, so that the results are allocated.
      {"AfxEncryptString", [](World&) { return counted(AfxEncryptString, "abcdefghijklmnopq"); }, "\"\"", true, true},
      {"AfxUrlEncode", [](World&) { return counted(AfxUrlEncode, "a b&cdefghijklmnopq"); }, "\"\"", true, true},
      {"AfxGetFileExtName", [](World&) { return counted(AfxGetFileExtName, "x\\y.tar.gzipped-archive"); }, "\"\"", true,
       true},
      {"AfxCaclStringLength", [](World& w) { return number(AfxCaclStringLength("A&&B title", &w.font)); }, "0", true,
       false, "canvas", "*"},
      {"AfxCaclStringLength(default font)", [](World&) { return number(AfxCaclStringLength("Wide", nullptr)); }, "0",
       true, false, "canvas", "*"},
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
       nullptr, false, false, "canvas", "CFileException"},
      {"AfxGetAppPath",
       [](World&) {
         CStringT path;
         {
           heap::Counted scope;
           path = AfxGetAppPath();
         }
         return text(path);
       },
       nullptr, true, true},
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
      {"AfxTrayNotifyWnd", [](World&) { return std::string(AfxTrayNotifyWnd() ? "found" : "null"); }, "null"},
      {"AfxTrayNotifyToolbarWnd", [](World&) { return std::string(AfxTrayNotifyToolbarWnd() ? "found" : "null"); },
       "null"},
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
         AfxDrawNormalBitmap(&w.canvas.cdc(), &w.skin, CPoint(2, 3), CRect(4, 4, 30, 20));
         return std::string();
       },
       ""},
      {"AfxDrawStretchBitmap",
       [](World& w) {
         AfxDrawStretchBitmap(&w.canvas.cdc(), &w.skin, CPoint(1, 1), 16, 8, CRect(0, 0, 39, 29));
         return std::string();
       },
       ""},
      {"AfxDrawSingleLine",
       [](World& w) {
         AfxDrawSingleLine(&w.canvas.cdc(), CPoint(0, 5), CPoint(35, 25), RGB(10, 200, 30));
         return std::string();
       },
       "CResourceException"},
      {"AfxGradientFillRect",
       [](World& w) {
         CRect rect(2, 2, 38, 28);
         AfxGradientFillRect(&w.canvas.cdc(), rect, RGB(255, 0, 0), RGB(0, 0, 255), 1);
         return std::string();
       },
       ""},
      {"AfxDrawHoriRectEx",
       [](World& w) {
         AfxDrawHoriRectEx(&w.canvas.cdc(), &w.skin, CPoint(0, 0), 20, 10, CRect(0, 0, 38, 12), 4, 5);
         return std::string();
       },
       ""},
      {"AfxDrawVertRectEx",
       [](World& w) {
         AfxDrawVertRectEx(&w.canvas.cdc(), &w.skin, CPoint(0, 0), 6, 14, CRect(0, 0, 6, 28), 4, 3);
         return std::string();
       },
       ""},
      {"AfxDrawRect",
       [](World& w) {
         AfxDrawRect(&w.canvas.cdc(), &w.skin, CPoint(0, 0), 11, 10, CRect(0, 0, 38, 10));
         return std::string();
       },
       ""},
      {"AfxDrawVertRect",
       [](World& w) {
         AfxDrawVertRect(&w.canvas.cdc(), &w.skin, CPoint(0, 0), 6, 11, CRect(0, 0, 6, 28));
         return std::string();
       },
       ""},
      {"AfxDrawTransBitmap",
       [](World& w) {
         AfxDrawTransBitmap(&w.canvas.cdc(), &w.skin, CPoint(1, 0), CRect(3, 3, 19, 15), kKey);
         return std::string();
       },
       ""},
      {"AfxOverlapBitmap",
       [](World& w) {
         AfxOverlapBitmap(&w.skin, &w.overlay, CPoint(20, 12));
         return std::string();
       },
       "", true, false, "skin"},
      {"AfxConvertToGray24",
       [](World& w) {
         AfxConvertToGray24(&w.gray);
         return std::string();
       },
       "", true, false, "gray"},
      {"AfxCopyBitmap", [](World& w) { return number(AfxCopyBitmap(&w.copy_from, &w.copy_to)); }, "0"},
      {"AfxCreateSkinRegion", [](World& w) { return number(AfxCreateSkinRegion(&w.skin, &w.region)); }, "0"},
  };
  return list;
}

constexpr int kind_count = static_cast<int>(ObjectKind::Count);

// One way to make a run fail: what fails, and how to arm it just before the call.
enum class Failing { Creation, Call, Heap };
struct Fault {
  std::string what;
  std::function<void()> arm;
  Failing failing;
};

struct Clean {
  std::string result;
  std::vector<Fault> faults;
  std::string coverage;
};

Clean clean_run(const Export& e) {
  Clean c;
  World world;
  reset_creation_counts();
  heap::arm(0);
  c.result = guarded(e.call, world);
  const std::size_t allocations = heap::disarm();
  auto note = [&](const std::string& what, std::size_t n) {
    if (n) c.coverage += " " + what + " x" + std::to_string(n);
  };
  for (int k = 0; k < kind_count; ++k) {
    const auto kind = static_cast<ObjectKind>(k);
    const std::size_t made = creations(kind);
    note(kind_name(kind), made);
    for (unsigned n = 1; n <= made; ++n)
      c.faults.push_back({std::string(kind_name(kind)) + " creation " + std::to_string(n),
                          [kind, n] { fail_nth_creation(kind, n); }, Failing::Creation});
  }
  for (const CallCount& call : faultable_calls()) {
    note(call.function, call.calls);
    for (unsigned n = 1; n <= call.calls; ++n)
      c.faults.push_back({std::string(call.function) + " call " + std::to_string(n),
                          [f = call.function, n] { fail_nth_call(f, n); }, Failing::Call});
  }
  // Heap faults only where the export makes no platform call: a real platform does not throw
  // when its own allocations fail, and the headless platform's would otherwise escape.
  if (!e.heap_faults) return c;
  note("heap allocation", allocations);
  for (unsigned n = 1; n <= allocations; ++n)
    c.faults.push_back({"heap allocation " + std::to_string(n), [n] { heap::arm(n); }, Failing::Heap});
  return c;
}

class FaultSweep : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultSweep, EachFaultInTurnGivesTheFailureResultAndLeavesNothing) {
  const Export& e = exports()[GetParam()];
  const LiveCounts start = live_counts();
  const Clean clean = clean_run(e);
  EXPECT_EQ(live_counts(), start) << e.name << ": the clean run left objects behind";

  for (const Fault& fault : clean.faults) {
    SCOPED_TRACE(std::string(e.name) + ": " + fault.what + " fails");
    // Creations are checked before anything is drawn; a call may fail mid-way, and then the
    // export's target may be partly drawn (as on Win32) but nothing else may change.
    const char* left_out = fault.failing == Failing::Call ? e.target : nullptr;
    std::string result, before, after;
    {
      World world;
      before = world.state(left_out);
      fault.arm();
      result = guarded(e.call, world);
      heap::disarm();
      clear_faults();
      after = world.state(left_out);
    }
    const std::string expected = e.failure ? std::string(e.failure) : clean.result;
    // A call failure the export absorbs (a fallback took over, or nothing it reports depended
    // on it) gives the clean run's result; its effects are then the clean run's, checked
    // elsewhere. Any other result must be the failure result, with nothing changed.
    const bool absorbed = fault.failing == Failing::Call && result == clean.result && result != expected;
    // An allocation that fails may also surface as the framework's memory exception.
    const bool documented = (fault.failing == Failing::Heap && result == "CMemoryException") ||
                            (fault.failing == Failing::Call && e.call_failure &&
                             (std::string(e.call_failure) == "*" || result == e.call_failure));
    if (!absorbed && !documented) {
      EXPECT_EQ(result, expected);
    }
    if (e.no_effect_on_failure && !absorbed) {
      EXPECT_EQ(after, before) << "the failed call changed what the caller sees";
    }
    EXPECT_EQ(live_counts(), start) << "a faulted run left objects behind";
  }
  std::printf("sweep: %-34s %3zu faulted run(s):%s\n", e.name, clean.faults.size(),
              clean.coverage.empty() ? " nothing to fail" : clean.coverage.c_str());
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

TEST(FaultSweepCoverage, EveryExportIsSweptWithAtLeastOneFault) {
  std::vector<std::string> names;
  for (const Export& e : exports()) {
    std::string n = e.name;
    names.push_back(n.substr(0, n.find('(')));
    EXPECT_GT(clean_run(e).faults.size(), 0u) << e.name << " is never faulted";
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  EXPECT_EQ(names.size(), 32u);
}

}  // namespace
}  // namespace veneer::test
#endif
