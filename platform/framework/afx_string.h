// CStringT: the framework's counted 8-bit string. It may hold zero bytes inside its length
// and has value semantics: a change to one copy is never seen through another.
#pragma once

#include <string>

#include <veneer/framework/win32_api.h>

class VENEER_FRAMEWORK_API CStringT {
 public:
  CStringT() = default;
  CStringT(const char* text);  // zero-terminated; null gives an empty string
  CStringT(const char* bytes, int length);
  // Copies allocate: a failure raises the framework's memory exception, as every other
  // allocation of the string does.
  CStringT(const CStringT& other);
  CStringT(CStringT&&) noexcept = default;
  CStringT& operator=(const CStringT& other);
  CStringT& operator=(CStringT&&) noexcept = default;
  CStringT& operator=(const char* text);
  ~CStringT() = default;

  int GetLength() const { return static_cast<int>(m_bytes.size()); }
  bool IsEmpty() const { return m_bytes.empty(); }
  void Empty() { m_bytes.clear(); }

  // Out-of-range indexes read as 0 and write nothing.
  char GetAt(int index) const;
  void SetAt(int index, char ch);

  // Index of the last occurrence of ch in the text before its first zero byte, or -1.
  int ReverseFind(char ch) const;
  // The last count characters of the counted string (all of it when count is larger).
  CStringT Right(int count) const;

  // A writable buffer of at least min_length bytes (and never shorter than the string),
  // holding the string's bytes; raises the memory exception when none can be had.
  char* GetBuffer(int min_length);
  // Ends the buffer's use: the length becomes new_length, or with -1 the position of the
  // first zero byte in the buffer.
  void ReleaseBuffer(int new_length = -1);

  // The bytes, always followed by a zero byte.
  const char* GetString() const { return m_bytes.c_str(); }
  operator const char*() const { return m_bytes.c_str(); }

  CStringT& operator+=(const CStringT& other);
  friend bool operator==(const CStringT& a, const CStringT& b) { return a.m_bytes == b.m_bytes; }

 private:
  std::string m_bytes;
};
