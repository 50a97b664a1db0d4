#include <cstring>
#include <new>
#include <stdexcept>

#include <veneer/framework/afx_exceptions.h>
#include <veneer/framework/afx_string.h>

namespace {

// Every allocation failure of the string surfaces as the framework's memory exception.
template <typename F>
void guarded(F&& f) {
  try {
    f();
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  } catch (const std::length_error&) {
    AfxThrowMemoryException();
  }
}

}  // namespace

CStringT::CStringT(const CStringT& other) {
  guarded([&] { m_bytes = other.m_bytes; });
}

CStringT& CStringT::operator=(const CStringT& other) {
  guarded([&] { m_bytes = other.m_bytes; });
  return *this;
}

CStringT::CStringT(const char* text) {
  if (text) guarded([&] { m_bytes.assign(text); });
}

CStringT::CStringT(const char* bytes, int length) {
  if (bytes && length > 0) guarded([&] { m_bytes.assign(bytes, static_cast<std::size_t>(length)); });
}

CStringT& CStringT::operator=(const char* text) {
  guarded([&] {
    if (text)
      m_bytes.assign(text);
    else
      m_bytes.clear();
  });
  return *this;
}

char CStringT::GetAt(int index) const {
  return index >= 0 && index < GetLength() ? m_bytes[static_cast<std::size_t>(index)] : '\0';
}

void CStringT::SetAt(int index, char ch) {
  if (index >= 0 && index < GetLength()) m_bytes[static_cast<std::size_t>(index)] = ch;
}

int CStringT::ReverseFind(char ch) const {
  const char* text = m_bytes.c_str();
  const char* found = std::strrchr(text, ch);
  // strrchr finds the terminator itself when asked for a zero byte; so does the framework.
  return found ? static_cast<int>(found - text) : -1;
}

CStringT CStringT::Right(int count) const {
  if (count <= 0) return CStringT();
  if (count >= GetLength()) return *this;
  CStringT result;
  guarded([&] { result.m_bytes.assign(m_bytes, m_bytes.size() - static_cast<std::size_t>(count), std::string::npos); });
  return result;
}

char* CStringT::GetBuffer(int min_length) {
  std::size_t wanted = min_length > 0 ? static_cast<std::size_t>(min_length) : 0;
  if (wanted > m_bytes.size()) guarded([&] { m_bytes.resize(wanted, '\0'); });
  return m_bytes.data();
}

void CStringT::ReleaseBuffer(int new_length) {
  std::size_t length = new_length < 0 ? std::strlen(m_bytes.c_str()) : static_cast<std::size_t>(new_length);
  if (length < m_bytes.size()) m_bytes.resize(length);
}

CStringT& CStringT::operator+=(const CStringT& other) {
  guarded([&] { m_bytes += other.m_bytes; });
  return *this;
}
