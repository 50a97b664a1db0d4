// Calls a few exports of the installed library and checks what they give.
#include <cstdio>
#include <cstring>

#include <veneer/veneer.h>

namespace {
int failures = 0;
void check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}
}  // namespace

int main() {
  check(std::strcmp(AfxEncryptString(AfxEncryptString("round trip")), "round trip") == 0, "AfxEncryptString");
  check(std::strcmp(AfxUrlEncode("a b&c"), "a+b%26c") == 0, "AfxUrlEncode");
  check(std::strcmp(AfxGetFileExtName("photo.JPG"), "JPG") == 0, "AfxGetFileExtName");
  return failures == 0 ? 0 : 1;
}
