// The keyboard mapper's published interface: its class, its interface and
// the methods by their place in the interface's table. A client creates the
// class through object creation (CoCreateInstance) and calls these; strings
// are BSTRs that the caller frees.
#pragma once

#include "platform/bstr.h"
#include "platform/object_registry.h"

namespace zv::keymap {

// {7CFB131A-27DE-4E1B-91DF-2FEC33F7B165}
inline constexpr CLSID CLSID_KeyboardMapper = {
    0x7CFB131A, 0x27DE, 0x4E1B, {0x91, 0xDF, 0x2F, 0xEC, 0x33, 0xF7, 0xB1, 0x65}};
inline constexpr char kKeyboardMapperProgId[] = "ZVKeyMap.KeyboardMapper.1";

class IKeyboardMapper : public platform::IUnknown {
 public:
  // {1C676876-3B8F-4130-B0C7-892869770279}
  static constexpr IID kIid = {0x1C676876, 0x3B8F, 0x4130, {0xB0, 0xC7, 0x89, 0x28, 0x69, 0x77, 0x02, 0x79}};

  // 3: the component's version, "1.0".
  virtual HRESULT GetVersion(BSTR* version) = 0;
  // 4: the system keyboard's layout code, such as "00000407".
  virtual HRESULT GetKeyboardCode(BSTR* code) = 0;
  // 5: the name of a layout code ("German"); E_INVALIDARG for one it does not know.
  virtual HRESULT GetKeyboardName(BSTR code, BSTR* name) = 0;
  // 6: reads a mapping file; `loaded` VARIANT_TRUE when it is in force. A
  // file that is refused leaves no mapping in force (S_OK, VARIANT_FALSE).
  virtual HRESULT LoadKeyboardMapping(BSTR path, VARIANT_BOOL* loaded) = 0;
  // 7: no mapping in force any more.
  virtual HRESULT UnloadKeyboardMapping() = 0;
  // 8: why the last load was refused ("line 3: ..."); empty after a load that worked.
  virtual HRESULT GetLoadError(BSTR* message) = 0;
  // 9: what a typed Windows-1252 character becomes. `modifiers`: 1 Shift,
  // 4 Ctrl, 0 neither. Results: `reset` non-zero when the mapping is no
  // longer in force (the US keyboard again); `handled` 0 when the character
  // is left to the caller; else `single` non-zero with `character` and its
  // `key_data` (the US scan code of its key), or `single` 0 with `text`
  // (which may be "[MACRO_PAUSE]" for a pause of a running macro).
  virtual HRESULT MapKey(LONG code, LONG modifiers, SHORT* reset, SHORT* handled, SHORT* single, LONG* character,
                         BSTR* text, LONG* key_data) = 0;
  // 10, 11, 12: the mapping in force: its name, the layout code it is made
  // for, its short name. With none in force: "United States", "00000409", "US".
  virtual HRESULT GetLoadedMappingName(BSTR* name) = 0;
  virtual HRESULT GetCurrentKeyboardCode(BSTR* code) = 0;
  virtual HRESULT GetLoadedMappingShortName(BSTR* name) = 0;

 protected:
  ~IKeyboardMapper() = default;
};

}  // namespace zv::keymap
