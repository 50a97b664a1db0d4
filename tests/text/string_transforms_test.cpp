#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <random>
#include <string>

#include "tests/support/heap_faults.h"
#include <veneer/framework/afx.h>
#include <veneer/veneer.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace {

CStringT bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return CStringT(s.data(), static_cast<int>(s.size()));
}

std::string str(const CStringT& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

CStringT random_bytes(std::mt19937& rng, int max_length) {
  std::uniform_int_distribution<int> length(0, max_length), byte(0, 255), zero_bias(0, 7);
  std::string s(static_cast<std::size_t>(length(rng)), '\0');
  for (char& c : s) c = zero_bias(rng) == 0 ? '\0' : static_cast<char>(byte(rng));
  return CStringT(s.data(), static_cast<int>(s.size()));
}

// Reference decoder for the form encoding: "+" is a space, "%XY" a byte.
std::string url_decode(const std::string& in) {
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '+') {
      out.push_back(' ');
    } else if (in[i] == '%' && i + 2 < in.size()) {
      out.push_back(static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(in[i]);
    }
  }
  return out;
}

TEST(EncryptString, ComplementsEveryByteOfTheCountedLength) {
  EXPECT_TRUE(AfxEncryptString(CStringT()).IsEmpty());
  EXPECT_EQ(str(AfxEncryptString("abc")), str(bytes({0x9E, 0x9D, 0x9C})));
  EXPECT_EQ(str(AfxEncryptString(bytes({0x9E, 0x9D, 0x9C}))), "abc");
  // Zero bytes inside the string and 0xFF (which becomes a zero byte) keep their places.
  EXPECT_EQ(str(AfxEncryptString(bytes({0x00, 'a', 0xFF, 0x00}))), str(bytes({0xFF, 0x9E, 0x00, 0xFF})));
}

TEST(EncryptString, LeavesTheCallersStringAlone) {
  CStringT original("secret");
  CStringT scrambled = AfxEncryptString(original);
  EXPECT_EQ(str(original), "secret");
  EXPECT_NE(str(scrambled), "secret");
}

TEST(EncryptString, TwiceIsTheIdentityOnRandomBytes) {
  std::mt19937 rng(20261208);
  for (int i = 0; i < 500; ++i) {
    CStringT s = random_bytes(rng, 64);
    CStringT once = AfxEncryptString(s);
    ASSERT_EQ(once.GetLength(), s.GetLength());
    ASSERT_EQ(str(AfxEncryptString(once)), str(s));
  }
}

TEST(UrlEncode, FormEncodesMarksAndKeepsLettersAndDigits) {
  EXPECT_EQ(str(AfxUrlEncode("a b")), "a+b");
  EXPECT_EQ(str(AfxUrlEncode("a&b=c")), "a%26b%3Dc");
  EXPECT_EQ(str(AfxUrlEncode("50%")), "50%25");
  EXPECT_EQ(str(AfxUrlEncode("1+1")), "1%2B1");
  EXPECT_EQ(str(AfxUrlEncode("a-b_c.d")), "a%2Db%5Fc%2Ed");
  EXPECT_EQ(str(AfxUrlEncode(bytes({0xE4}))), "%E4");
  EXPECT_EQ(str(AfxUrlEncode("AZaz09~")), "AZaz09%7E");
  EXPECT_TRUE(AfxUrlEncode(CStringT()).IsEmpty());
}

TEST(UrlEncode, EncodesZeroBytesInsteadOfStoppingAtThem) {
  EXPECT_EQ(str(AfxUrlEncode(bytes({0, 'a', 'b'}))), "%00ab");
  EXPECT_EQ(str(AfxUrlEncode(bytes({'x', 0, 'y', 0}))), "x%00y%00");
}

TEST(UrlEncode, OnlyTheSpaceBecomesAPlus) { EXPECT_EQ(str(AfxUrlEncode(" \t\n\v\f\r")), "+%09%0A%0B%0C%0D"); }

TEST(UrlEncode, IgnoresTheHostsLocale) {
  // Under a Latin-1 locale isalnum() accepts letters such as 0xE4; the encoding must not.
  // Whether the locale is there is asked of setlocale and isalnum, not of the encoding.
  std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* latin1 = nullptr;
  for (const char* name : {"de_DE.ISO-8859-1", "de_DE.iso88591", "German_Germany.1252"}) {
    if (std::setlocale(LC_ALL, name) && std::isalnum(0xE4)) {
      latin1 = name;
      break;
    }
  }
  if (!latin1) {
    std::setlocale(LC_ALL, saved.c_str());
    GTEST_SKIP() << "no Latin-1 locale is installed (scripts/setup.sh generates de_DE.ISO-8859-1)";
  }
  std::string encoded = str(AfxUrlEncode(bytes({0xE4, 0xC9, 0xFF, 0xA0, 0x85})));
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(encoded, "%E4%C9%FF%A0%85") << "locale " << latin1;
}

TEST(UrlEncode, DecodingTheEncodingGivesTheInputBack) {
  std::mt19937 rng(7);
  for (int i = 0; i < 500; ++i) {
    CStringT s = random_bytes(rng, 64);
    std::string encoded = str(AfxUrlEncode(s));
    for (char c : encoded) {
      auto b = static_cast<unsigned char>(c);
      ASSERT_TRUE(std::isalnum(b) || c == '%' || c == '+') << "raw byte " << int(b) << " in output";
    }
    ASSERT_EQ(url_decode(encoded), str(s));
  }
}

TEST(GetFileExtName, TakesWhatFollowsTheLastDot) {
  EXPECT_EQ(str(AfxGetFileExtName("photo.JPG")), "JPG");
  EXPECT_EQ(str(AfxGetFileExtName("archive.tar.gz")), "gz");
  EXPECT_EQ(str(AfxGetFileExtName("name.")), "");
  EXPECT_EQ(str(AfxGetFileExtName(".profile")), "");
  EXPECT_EQ(str(AfxGetFileExtName("README")), "");
  EXPECT_EQ(str(AfxGetFileExtName("")), "");
  EXPECT_EQ(str(AfxGetFileExtName("C:\\dir\\.profile")), "profile");
}

TEST(GetFileExtName, LooksOnlyInTheLastPathComponent) {
  EXPECT_EQ(str(AfxGetFileExtName("dir.old\\file")), "");
  EXPECT_EQ(str(AfxGetFileExtName("dir.old/file")), "");
  EXPECT_EQ(str(AfxGetFileExtName("dir.old\\file.txt")), "txt");
  EXPECT_EQ(str(AfxGetFileExtName("a.b/c.d\\e")), "");
  EXPECT_EQ(str(AfxGetFileExtName("a/b.c")), "c");
}

TEST(GetFileExtName, ResultNeverHoldsASeparatorOnRandomPaths) {
  std::mt19937 rng(99);
  const char alphabet[] = "ab.\\/";
  std::uniform_int_distribution<int> pick(0, 4), length(0, 12);
  for (int i = 0; i < 2000; ++i) {
    std::string path;
    for (int n = length(rng); n > 0; --n) path.push_back(alphabet[pick(rng)]);
    std::string ext = str(AfxGetFileExtName(CStringT(path.c_str())));
    ASSERT_EQ(ext.find_first_of("\\/"), std::string::npos) << path;
    std::size_t dot = path.find_last_of('.');
    std::size_t sep = path.find_last_of("\\/");
    bool has_ext = dot != std::string::npos && dot > 0 && (sep == std::string::npos || dot > sep);
    ASSERT_EQ(ext, has_ext ? path.substr(dot + 1) : "") << path;
  }
}

TEST(GetFileExtName, ReadsTheTextUpToItsFirstZeroByte) {
  // The dot is searched before the first zero byte; the extension runs to the counted end.
  EXPECT_EQ(str(AfxGetFileExtName(bytes({'a', '.', 'b', 0, 'c', '.', 'd'}))), str(bytes({'b', 0, 'c', '.', 'd'})));
  EXPECT_EQ(str(AfxGetFileExtName(bytes({'a', 'b', 0, '.', 'd'}))), "");
}

// "表" in code page 932 (Shift-JIS): a lead byte, then 0x5C, the byte of a backslash.
const std::string kTable = "\x95\x5C";

// The system's ANSI code page for the length of a scope: set on the headless platform; under
// Wine it comes from the environment (the locale Wine starts in), so a test checks for it.
class AnsiCodePage {
 public:
  explicit AnsiCodePage(UINT code_page) {
#ifndef _WIN32
    veneer::headless::testing::set_ansi_code_page(code_page);
#endif
    present_ = GetACP() == code_page;
  }
  ~AnsiCodePage() {
#ifndef _WIN32
    veneer::headless::testing::set_ansi_code_page(1252);
#endif
  }
  bool present() const { return present_; }

 private:
  bool present_ = false;
};

TEST(GetFileExtName, StepsOverDoubleByteCharactersOfTheCodePage) {
  AnsiCodePage japanese(932);
  if (!japanese.present()) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 932 (a Japanese locale)";
  EXPECT_EQ(str(AfxGetFileExtName(("memo." + kTable).c_str())), kTable);
  EXPECT_EQ(str(AfxGetFileExtName(("memo." + kTable + kTable).c_str())), kTable + kTable);
  EXPECT_EQ(str(AfxGetFileExtName((kTable + ".txt").c_str())), "txt");
  EXPECT_EQ(str(AfxGetFileExtName(("dir." + kTable + "\\file").c_str())), "") << "a separator of its own still counts";
  EXPECT_EQ(str(AfxGetFileExtName((kTable + "\\a.b").c_str())), "b");
  EXPECT_EQ(str(AfxGetFileExtName("a.b\x95")), "b\x95") << "a lead byte at the end stands alone";
}

TEST(GetFileExtName, UnderASingleByteCodePageEveryBackslashIsASeparator) {
  AnsiCodePage western(1252);
  if (!western.present()) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
  EXPECT_EQ(str(AfxGetFileExtName(("memo." + kTable).c_str())), "");
  EXPECT_EQ(str(AfxGetFileExtName(("memo." + kTable + "x.y").c_str())), "y");
}

TEST(StringTransforms, StringsMadeFromNullOrNothingGiveEmptyResults) {
  const char* none = nullptr;
  for (const CStringT& empty : {CStringT(), CStringT(none), CStringT(""), CStringT("abc", 0)}) {
    EXPECT_TRUE(AfxEncryptString(empty).IsEmpty());
    EXPECT_TRUE(AfxUrlEncode(empty).IsEmpty());
    EXPECT_TRUE(AfxGetFileExtName(empty).IsEmpty());
  }
  // Paths that are nothing but dots and separators have no extension.
  for (const char* path : {".", "..", "/", "\\", "./", "..\\", "/.", "a/.", "a\\.b/"})
    EXPECT_EQ(str(AfxGetFileExtName(path)), "") << path;
  EXPECT_EQ(str(AfxGetFileExtName("...")), "") << "the last dot ends the name";
  EXPECT_EQ(str(AfxGetFileExtName("a..")), "");
}

#ifndef _WIN32
// Whichever of its allocations fails, the encoding raises the framework's memory exception
// (and nothing else escapes). The heap hook is the headless build's.
TEST(UrlEncode, AnAllocationThatFailsRaisesTheMemoryException) {
  namespace heap = veneer::test::heap;
  const CStringT input("a long enough text & more, to be allocated");
  heap::arm(0);
  {
    heap::Counted scope;
    AfxUrlEncode(input);
  }
  const auto allocations = static_cast<unsigned>(heap::disarm());
  ASSERT_GT(allocations, 0u);
  for (unsigned n = 1; n <= allocations; ++n) {
    bool raised = false;
    heap::arm(n);
    try {
      heap::Counted scope;
      AfxUrlEncode(input);
    } catch (CMemoryException* e) {
      raised = true;
      e->Delete();
    }
    heap::disarm();
    EXPECT_TRUE(raised) << "allocation " << n;
  }
}
#endif

}  // namespace
