#include "macros/macro_array.h"

#include <algorithm>
#include <set>

namespace zv {
namespace {

using platform::Archive;
using platform::ArchiveCause;
using platform::ArchiveException;
using platform::ArchiveObject;
using platform::RuntimeClass;

const platform::ArchiveClassRegistrar kRegisterMacro(CMacro::kRuntimeClass);
const platform::ArchiveClassRegistrar kRegisterMacroArray(CMacroArray::kRuntimeClass);

// FindByName compares this many leading characters of the key kind.
constexpr std::size_t kKeyKindPrefix = 4;

}  // namespace

const RuntimeClass CMacro::kRuntimeClass{"CMacro", 1, [] { return std::unique_ptr<ArchiveObject>(new CMacro); }};
const RuntimeClass CMacroArray::kRuntimeClass{"CMacroArray", 1,
                                              [] { return std::unique_ptr<ArchiveObject>(new CMacroArray); }};

CMacro::CMacro(std::string macroName, std::string keyName)
    : m_macroName(std::move(macroName)), m_keyName(std::move(keyName)) {}

void CMacro::Get(std::string& macroName, std::string& keyName) const {
  macroName = m_macroName;
  keyName = m_keyName;
}

void CMacro::Set(const std::string& macroName, const std::string& keyName) {
  m_macroName = macroName;
  m_keyName = keyName;
}

void CMacro::Serialize(Archive& ar) {
  if (ar.IsStoring()) {
    ar << m_macroName << m_keyName;
  } else {
    ar >> m_macroName >> m_keyName;
  }
}

std::string CMacroArray::Lookup(const std::string& keyName) const {
  for (const auto& macro : m_macros) {
    if (macro->KeyName() == keyName) return macro->MacroName();
  }
  return std::string();
}

int CMacroArray::Assign(const std::string& macroName, const std::string& keyName) {
  const auto it = std::find_if(m_macros.begin(), m_macros.end(),
                               [&](const auto& macro) { return macro->KeyName() == keyName; });
  auto entry = std::make_unique<CMacro>(macroName, keyName);
  if (it != m_macros.end()) {
    *it = std::move(entry);
    return static_cast<int>(it - m_macros.begin());
  }
  m_macros.push_back(std::move(entry));
  return static_cast<int>(m_macros.size()) - 1;
}

bool CMacroArray::FindByName(std::string& macroName, std::string& keyKind) const {
  const std::string_view kind = std::string_view(keyKind).substr(0, kKeyKindPrefix);
  for (const auto& macro : m_macros) {
    if (macro->MacroName().empty() || macro->MacroName() != macroName) continue;
    if (std::string_view(macro->KeyName()).substr(0, kKeyKindPrefix) != kind) continue;
    macroName = macro->MacroName();
    keyKind = macro->KeyName();
    return true;
  }
  return false;
}

void CMacroArray::SetDefaults() {
  RemoveAll();
  for (char letter = 'A'; letter <= 'Z'; ++letter) Assign(std::string(), std::string("Shift+") + letter);
}

void CMacroArray::Serialize(Archive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(m_macros.size());
    for (const auto& macro : m_macros) ar.WriteObject(macro.get());
    for (const auto& macro : m_macros) macro->Serialize(ar);
    return;
  }
  // Each entry costs its tag and two string lengths, so a corrupt count
  // ends at the end of the input rather than allocating by it.
  const std::size_t first = m_macros.size();
  std::set<const CMacro*> seen;
  for (std::uint64_t n = ar.ReadCount(); n > 0; --n) {
    const std::shared_ptr<CMacro> loaded = ar.ReadObjectOf<CMacro>();
    // A null object or a reference back to an earlier one is no entry (a
    // two-byte reference would otherwise copy a long name again and again).
    if (!loaded || !seen.insert(loaded.get()).second) {
      throw ArchiveException(ArchiveCause::kBadIndex, "macro table entry that is no new CMacro object");
    }
    m_macros.push_back(std::make_unique<CMacro>(loaded->MacroName(), loaded->KeyName()));
  }
  for (std::size_t i = first; i < m_macros.size(); ++i) m_macros[i]->Serialize(ar);
}

}  // namespace zv
