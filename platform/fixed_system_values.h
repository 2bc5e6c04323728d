// System values that hold what they are set to. The defaults are those of
// the desktop the control was made for: operating system 5.1, rich-edit
// engine 5.30 (0x0005001E), the usual window and selection colours, the US
// keyboard layout "00000409".
#pragma once

#include <map>
#include <string>

#include "platform/services.h"

namespace zv::platform {

class FixedSystemValues : public SystemValues {
 public:
  FixedSystemValues();

  OsVersion GetOsVersion() override { return os_version_; }
  DWORD RichEditVersion() override { return rich_edit_version_; }
  // 0 for a colour index without a value.
  COLORREF SysColor(int index) override;
  std::string KeyboardLayoutName() override { return layout_name_; }
  std::string UserName() override { return user_name_; }

  void SetOsVersion(OsVersion version) { os_version_ = version; }
  void SetRichEditVersion(DWORD version) { rich_edit_version_ = version; }
  void SetSysColor(int index, COLORREF color) { colors_[index] = color; }
  void SetKeyboardLayoutName(std::string name) { layout_name_ = std::move(name); }
  void SetUserName(std::string name) { user_name_ = std::move(name); }

 private:
  OsVersion os_version_{5, 1};
  DWORD rich_edit_version_ = 0x0005001E;
  std::map<int, COLORREF> colors_;
  std::string layout_name_ = "00000409";
  std::string user_name_ = "agent";
};

}  // namespace zv::platform
