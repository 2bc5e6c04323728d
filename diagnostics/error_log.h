// The writer of the shared error log: a fixed-size ring file of dated,
// levelled records, shared by every writer object of every process. The file
// is opened, locked, written and closed for each record. Records are dated
// by the current desktop's clock; the file is platform::ErrorLogFile().
#pragma once

#include <string>
#include <string_view>

#include "diagnostics/error_log_format.h"
#include "platform/win_types.h"

namespace zv {

namespace platform {
class LockedFile;
}

class CErrorLog {
 public:
  CErrorLog();
  // Names are UTF-16, converted to the 8-bit code page; a null or empty
  // name becomes "n/a".
  CErrorLog(const char16_t* first_name, const char16_t* app_name, const char16_t* module_name,
            const char16_t* second_name);
  virtual ~CErrorLog();
  CErrorLog(const CErrorLog&) = delete;
  CErrorLog& operator=(const CErrorLog&) = delete;

  // Writes `message` followed by a location tag naming the file, line,
  // function and module; an empty message stands for the system's text for
  // the last error. Returns S_OK whether or not the record reached the file,
  // E_UNEXPECTED when something inside threw.
  HRESULT GetErrorWrite2Log(int level, int line, std::string_view file, std::string_view function,
                            std::string_view message);

  // Writes one record. The text is cut to 65,535 bytes and the data to 4,096.
  // E_FAIL when the file cannot be opened, E_OUTOFMEMORY when the record
  // cannot be allocated, E_UNEXPECTED on an exception; S_OK otherwise, also
  // when the file's header is not trusted and the record is dropped.
  HRESULT WriteRecord(int level, WORD code1, WORD code2, std::string_view text, const BYTE* data,
                      DWORD data_length);

  const std::string& LogFilePath() const { return m_strLogFile; }
  // Ring size for a file this writer creates.
  LONG ConfiguredRingSize() const { return m_nConfiguredRingSize; }
  // Ring size of the file as last opened; 0 before any successful open.
  LONG RingSize() const { return m_nRingSize; }

 private:
  bool OpenLogFile(platform::LockedFile& file);
  static void CloseLogFile(platform::LockedFile& file);
  void FillRecordHeader(BYTE* record, int level, WORD code1, WORD code2, WORD text_length,
                        WORD data_length);
  static void WriteToRing(platform::LockedFile& file, BYTE* record, DWORD record_size);

  LONG m_nConfiguredRingSize = kDefaultRingSize;
  LONG m_nRingSize = 0;
  std::string m_strLogFile;
  std::string m_strAppName;
  std::string m_strName2;
  std::string m_strName1;
  std::string m_strModuleName;
};

}  // namespace zv
