#pragma once
// Line-oriented text file in the ANSI code page (GBK bytes) or in UTF-16 little-endian with its
// byte-order mark. Texts in the program are UTF-8; only the bytes in the file differ. Reading
// recognises a UTF-16 file by its byte-order mark, and reads a file with the UTF-8 mark, or
// one that is well-formed UTF-8 and not plain ASCII, as UTF-8 (files made by other programs);
// anything else is GBK. Writing UTF-16 is chosen when opening.
// ANSI files behave like a text-mode stream of the system the files come from: "\n" is written
// as "\r\n", and a line's "\r\n" is read as its end.
#include <cstdio>
#include <memory>
#include <string>

class CSmTextFile {
 public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };

  CSmTextFile() = default;
  virtual ~CSmTextFile();
  CSmTextFile(const CSmTextFile&) = delete;
  CSmTextFile& operator=(const CSmTextFile&) = delete;

  // Opens the file; on failure returns false and puts the reason in `error` when given.
  virtual bool Open(const std::string& fileName, unsigned flags, bool writeUnicode = false,
                    std::string* error = nullptr);
  // The next line without its line end; false at the end of the file.
  virtual bool ReadString(std::string& line);
  // Every remaining line, each followed by "\n".
  virtual std::string ReadAll();
  // Writes a text; with `normalise` every "\r\n" and lone "\r" first becomes "\n".
  virtual void WriteString(const std::string& text, bool normalise = false);
  // False when something written since the file was opened did not reach it (a text that has
  // no GBK form, a full disk).
  bool Close();

  bool IsOpen() const { return m_file != nullptr; }
  bool ReadUnicode() const { return m_readUnicode; }
  bool ReadUtf8() const { return m_readUtf8; }
  unsigned OpenFlagsUsed() const { return m_openFlags; }

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };

  bool ReadRawLine(std::string& bytes);
  bool ReadWideLine(std::u16string& units);

  std::unique_ptr<std::FILE, FileCloser> m_fileOwner;
  std::FILE* m_file = nullptr;
  bool m_writeUnicode = false;
  bool m_readUnicode = false;
  bool m_readUtf8 = false;
  bool m_writeFailed = false;
  unsigned m_openFlags = 0;
};
