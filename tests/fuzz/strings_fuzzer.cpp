// The string transforms against reference implementations: scrambling round trip, URL
// decoding of the encoding, and the extension rule.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <veneer/veneer.h>

namespace {

std::string str(const CStringT& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

void require(bool ok) {
  if (!ok) std::abort();
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the form encoding strictly: anything but letters, digits, "+" and "%XY" is an error.
bool url_decode(const std::string& in, std::string& out) {
  for (std::size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (alnum) {
      out.push_back(c);
    } else if (c == '+') {
      out.push_back(' ');
    } else if (c == '%' && i + 2 < in.size()) {
      int hi = hex_value(in[i + 1]), lo = hex_value(in[i + 2]);
      if (hi < 0 || lo < 0) return false;
      out.push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

std::string reference_extension(const std::string& path) {
  std::string text = path.substr(0, path.find('\0'));
  std::size_t dot = text.find_last_of('.');
  std::size_t sep = text.find_last_of("\\/");
  if (dot == std::string::npos || dot == 0 || (sep != std::string::npos && sep > dot)) return "";
  return path.substr(dot + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 16) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const CStringT text(input.data(), static_cast<int>(input.size()));

  CStringT scrambled = AfxEncryptString(text);
  require(scrambled.GetLength() == text.GetLength());
  for (std::size_t i = 0; i < size; ++i)
    require(static_cast<unsigned char>(scrambled.GetAt(static_cast<int>(i))) == 255 - data[i]);
  require(str(AfxEncryptString(scrambled)) == input);

  std::string decoded;
  require(url_decode(str(AfxUrlEncode(text)), decoded));
  require(decoded == input);

  require(str(AfxGetFileExtName(text)) == reference_extension(input));
  require(str(text) == input);  // the caller's string is never changed
  return 0;
}
