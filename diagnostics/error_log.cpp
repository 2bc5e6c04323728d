#include "diagnostics/error_log.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/locked_file.h"

namespace zv {
namespace {

constexpr char kNotAvailable[] = "n/a";
constexpr int kOpenAttempts = 100;
// A holder that never lets go costs a record at most 100 of these.
constexpr std::chrono::microseconds kReleaseWait{250};

std::string NameOrDefault(const char16_t* name) {
  if (name == nullptr || *name == u'\0') {
    return kNotAvailable;
  }
  return platform::Utf16ToCp1252(name);
}

void CopyName(BYTE* field, const std::string& name) {
  // At most 16 bytes; a 16-byte name is not terminated.
  std::strncpy(reinterpret_cast<char*>(field), name.c_str(), kNameFieldSize);
}

}  // namespace

CErrorLog::CErrorLog() : CErrorLog(nullptr, nullptr, nullptr, nullptr) {}

CErrorLog::CErrorLog(const char16_t* first_name, const char16_t* app_name, const char16_t* module_name,
                     const char16_t* second_name)
    : m_strLogFile(platform::ErrorLogFile().string()),
      m_strAppName(NameOrDefault(app_name)),
      m_strName2(NameOrDefault(second_name)),
      m_strName1(NameOrDefault(first_name)),
      m_strModuleName(NameOrDefault(module_name)) {
  // Creates the file with its header when it is new; failure is silent.
  try {
    platform::LockedFile file;
    if (OpenLogFile(file)) {
      CloseLogFile(file);
    }
  } catch (...) {
  }
}

CErrorLog::~CErrorLog() = default;

bool CErrorLog::OpenLogFile(platform::LockedFile& file) {
  if (m_strLogFile.empty()) {
    return false;
  }
  bool folder_created = false;
  platform::OpenStatus status = platform::OpenStatus::kFailed;
  for (int attempt = 0; attempt < kOpenAttempts && status != platform::OpenStatus::kOpened; ++attempt) {
    // After the first refusal an attempt waits for the holder to close the
    // file: an attempt takes microseconds here, and all 100 could pass while
    // a holder that lost the processor mid-write waits to finish.
    status = status == platform::OpenStatus::kBusy ? file.RetryAfterRelease(kReleaseWait) : file.Open(m_strLogFile);
    if (status == platform::OpenStatus::kMissingFolder && !folder_created) {
      folder_created = true;
      const std::size_t slash = m_strLogFile.rfind('/');
      if (slash == std::string::npos || slash == 0 ||
          !platform::CreatePrivateFolders(m_strLogFile.substr(0, slash))) {
        return false;
      }
    } else if (status != platform::OpenStatus::kBusy && status != platform::OpenStatus::kOpened) {
      return false;  // held by nobody: trying again would not help
    }
  }
  if (!file.IsOpen()) {
    return false;
  }
  const auto size = file.Size();
  if (!size) {
    file.Close();
    return false;
  }
  if (*size == 0) {
    BYTE header[kLogHeaderSize];
    EncodeLogFileHeader(LogFileHeader{static_cast<DWORD>(m_nConfiguredRingSize), kLogHeaderSize, kNoRecord, 0},
                        header);
    if (!file.WriteAt(0, header, sizeof(header))) {
      file.Close();
      return false;
    }
  }
  if (!file.LockRange(0, kLogHeaderSize)) {
    file.Close();
    return false;
  }
  BYTE ring_size[4];
  if (!file.ReadAt(0, ring_size, sizeof(ring_size))) {
    CloseLogFile(file);
    return false;
  }
  m_nRingSize = static_cast<LONG>(GetU32(ring_size));
  return true;
}

void CErrorLog::CloseLogFile(platform::LockedFile& file) {
  file.UnlockRange(0, kLogHeaderSize);
  file.Close();
}

void CErrorLog::FillRecordHeader(BYTE* record, int level, WORD code1, WORD code2, WORD text_length,
                                 WORD data_length) {
  const platform::LocalTime now = platform::GetLocalTime();
  record[record_field::kYear] = YearByte(now.year);
  record[record_field::kMonth] = static_cast<BYTE>(now.month);
  record[record_field::kDay] = static_cast<BYTE>(now.day);
  record[record_field::kHour] = static_cast<BYTE>(now.hour);
  record[record_field::kMinute] = static_cast<BYTE>(now.minute);
  record[record_field::kSecond] = static_cast<BYTE>(now.second);
  record[record_field::kHundredths] = static_cast<BYTE>(now.millisecond / 10);
  CopyName(record + record_field::kFirstName, m_strName1);
  CopyName(record + record_field::kSecondName, m_strName2);
  CopyName(record + record_field::kAppName, m_strAppName);
  record[record_field::kLevel] = static_cast<BYTE>(LevelLetter(level));
  PutU16(record + record_field::kCode1, code1);
  PutU16(record + record_field::kCode2, code2);
  PutU16(record + record_field::kTextLength, text_length);
  PutU16(record + record_field::kDataLength, data_length);
}

void CErrorLog::WriteToRing(platform::LockedFile& file, BYTE* record, DWORD record_size) {
  BYTE raw[kLogHeaderSize];
  if (!file.ReadAt(0, raw, sizeof(raw))) {
    return;
  }
  const LogFileHeader header = DecodeLogFileHeader(raw);
  if (!IsTrustedHeader(header)) {
    return;  // a damaged file is left as it is
  }
  const RingPlacement placement = PlaceRecord(header.ring_size, header.next, record_size);
  const DWORD sequence = NextSequence(header.sequence);
  PutU32(record + record_field::kNext, placement.next);
  PutU32(record + record_field::kPrevious, header.last);
  PutU32(record + record_field::kSequence, sequence);
  if (!file.WriteAt(header.next, record, placement.head)) {
    return;
  }
  if (placement.tail > 0 && !file.WriteAt(kLogHeaderSize, record + placement.head, placement.tail)) {
    return;
  }
  EncodeLogFileHeader(LogFileHeader{header.ring_size, placement.next, header.next, sequence}, raw);
  file.WriteAt(0, raw, sizeof(raw));
}

HRESULT CErrorLog::WriteRecord(int level, WORD code1, WORD code2, std::string_view text, const BYTE* data,
                               DWORD data_length) {
  try {
    text = text.substr(0, kMaxRecordText);
    data_length = data == nullptr ? 0 : std::min(data_length, kMaxRecordData);
    const auto record_size = static_cast<DWORD>(kRecordHeaderSize + text.size() + data_length);
    std::vector<BYTE> record;
    try {
      record.assign(record_size, 0);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    FillRecordHeader(record.data(), level, code1, code2, static_cast<WORD>(text.size()),
                     static_cast<WORD>(data_length));
    std::copy(text.begin(), text.end(), record.begin() + kRecordHeaderSize);
    if (data_length > 0) {
      std::copy(data, data + data_length, record.begin() + kRecordHeaderSize + static_cast<long>(text.size()));
    }
    platform::LockedFile file;
    if (!OpenLogFile(file)) {
      return E_FAIL;
    }
    WriteToRing(file, record.data(), record_size);
    CloseLogFile(file);
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT CErrorLog::GetErrorWrite2Log(int level, int line, std::string_view file, std::string_view function,
                                     std::string_view message) {
  const int last_error = errno;  // before anything here can change it
  try {
    std::string text = message.empty() ? platform::SystemErrorText(last_error) : std::string(message);
    text += "<location file=";
    text += file;
    text += " line=";
    text += std::to_string(line);
    text += " func=";
    text += function;
    text += " mdl=";
    text += m_strModuleName;
    text += '>';
    WriteRecord(level, 0, 0, text, nullptr, 0);
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace zv
