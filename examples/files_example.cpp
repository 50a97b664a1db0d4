// Files and system: a whole file saved, read back and measured; the program's folder; the
// clipboard's text; and the working set given back.
#include <cstdio>

#include <veneer/framework/afx_exceptions.h>
#include <veneer/veneer.h>

int main() {
  // The program's folder, with its separator; computed once and cached.
  const CStringT folder = AfxGetAppPath();
  std::printf("AfxGetAppPath()           %s\n", folder.GetString());

  CStringT path = folder;
  path += "veneer-example.txt";
  try {
    // Content first, then the path. The old content, if any, is replaced in one step.
    AfxSaveToFile(CStringT("two\0lines\n", 10), path);
  } catch (CFileException* e) {
    std::printf("the save failed (error %ld)\n", static_cast<long>(e->m_lOsError));
    e->Delete();
    return 1;
  }
  const CStringT back = AfxReadFromFile(path);  // every byte, the zero byte included
  std::printf("AfxGetFileSize            %lu bytes\n", static_cast<unsigned long>(AfxGetFileSize(path)));
  std::printf("AfxReadFromFile           %d bytes, byte 3 is %d\n", back.GetLength(), back.GetAt(3));
  DeleteFileA(path);

  // Empty when the clipboard holds no text (the headless clipboard starts empty).
  std::printf("AfxGetClipboardText()     \"%s\"\n", AfxGetClipboardText().GetString());

  // Forced: trims the working set if it exceeds 20,000,000 bytes, whatever the foreground.
  AfxCleanMemory(nullptr, 1);
  return 0;
}
