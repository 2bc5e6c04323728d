// CMacro and CMacroArray: the macro key table, which binds key names
// ("Shift+P", "Ctrl+Shift+Q") to macro names (a macro file's name without
// ".zvm"). The table lives in the settings file; its record is written by
// CMacroArray::Serialize at its place in that archive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/archive.h"

namespace zv {

class CMacro : public platform::ArchiveObject {
 public:
  // "CMacro", schema 1, creatable by name for loading.
  static const platform::RuntimeClass kRuntimeClass;

  CMacro() = default;
  CMacro(std::string macroName, std::string keyName);

  void Get(std::string& macroName, std::string& keyName) const;
  void Set(const std::string& macroName, const std::string& keyName);
  const std::string& MacroName() const { return m_macroName; }
  const std::string& KeyName() const { return m_keyName; }

  // The macro name, then the key name, as archive strings.
  void Serialize(platform::Archive& ar) override;
  const platform::RuntimeClass& GetRuntimeClass() const override { return kRuntimeClass; }

 private:
  std::string m_macroName;  // empty: no macro bound
  std::string m_keyName;
};

class CMacroArray : public platform::ArchiveObject {
 public:
  static const platform::RuntimeClass kRuntimeClass;

  // The macro bound to `keyName` (exact, case-sensitive); empty when none.
  std::string Lookup(const std::string& keyName) const;
  // Binds `keyName` to `macroName`: replaces the entry of that key in place,
  // or appends one. An empty name is stored like any other. Returns the
  // entry's index.
  int Assign(const std::string& macroName, const std::string& keyName);
  // The first entry with a non-empty macro name equal to `macroName` whose
  // key name starts with the first four characters of `keyKind` ("Shift",
  // "Ctrl"); on success both are set to the entry's names.
  bool FindByName(std::string& macroName, std::string& keyKind) const;

  int GetSize() const { return static_cast<int>(m_macros.size()); }
  const CMacro& GetAt(int index) const { return *m_macros[static_cast<std::size_t>(index)]; }
  void RemoveAll() { m_macros.clear(); }
  // The table of a first start: "Shift+A" to "Shift+Z", each unbound.
  void SetDefaults();

  // The count, each entry as a tagged CMacro object, then every entry's two
  // strings again (the later pass wins on loading). Loading appends to the
  // table; on an archive error the entries read whole stay.
  void Serialize(platform::Archive& ar) override;
  const platform::RuntimeClass& GetRuntimeClass() const override { return kRuntimeClass; }

 private:
  std::vector<std::unique_ptr<CMacro>> m_macros;
};

}  // namespace zv
