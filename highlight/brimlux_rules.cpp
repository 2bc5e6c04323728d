// The rules document parsed into the engine's rule list, and the colour
// helpers that the parse and the highlighting share.
#include <pugixml.hpp>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "highlight/brimlux.h"
#include "highlight/log_levels.h"
#include "highlight/regex_cache.h"
#include "platform/code_page.h"

namespace zv {
namespace {

// The document's nodes as the parse sees them: comments and processing
// instructions are nodes; whitespace-only text is dropped; the document type
// declaration is skipped, so no entity it defines is ever expanded.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi;

// The standard atol: leading white space, a sign, decimal digits; 0 without
// digits. Saturates instead of overflowing.
long Atol(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  long long value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = std::min<long long>(value * 10 + (s[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (negative) value = -value;
  return static_cast<long>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::string Narrow(const char* utf8) { return platform::Utf8ToCp1252(utf8); }

std::string LowerNarrow(const char* utf8) {
  std::string s = Narrow(utf8);
  for (char& c : s) c = platform::Cp1252ToLower(c);
  return s;
}

std::string WithoutSpaces(std::string s) {
  std::erase(s, ' ');
  return s;
}

// The element's text, as a DOM gives it: every text below it, trimmed.
std::string TextOf(const pugi::xml_node& node) {
  std::string text;
  for (const pugi::xpath_node& n : node.select_nodes(".//text()")) text += n.node().value();
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Nesting below the document, without recursion: a hostile document may be deep.
std::size_t Depth(const pugi::xml_document& doc) {
  std::size_t depth = 1, deepest = 0;
  for (pugi::xml_node node = doc.first_child(); node;) {
    deepest = std::max(deepest, depth);
    if (node.first_child()) {
      node = node.first_child();
      ++depth;
      continue;
    }
    while (!node.next_sibling()) {
      node = node.parent();
      --depth;
      if (!node || node == doc) return deepest;
    }
    node = node.next_sibling();
  }
  return deepest;
}

}  // namespace

HRESULT CBrimlux::ParseRules(const std::u16string& xml) {
  constexpr char kFn[] = "CBrimlux::ParseRules";
  try {
    pugi::xml_document doc;
    const bool loaded = xml.size() <= kMaxDocumentCharacters &&
                        doc.load_buffer(xml.data(), xml.size() * sizeof(char16_t), kParseOptions,
                                        pugi::encoding_utf16) &&
                        Depth(doc) <= kMaxElementDepth;
    if (!loaded) {
      Log(kLogError, __LINE__, kFn, "Failed to load the XML Brimlux rules into the DOM parser.");
      return E_UNEXPECTED;
    }
    const pugi::xml_node root = doc.document_element();
    if (!root) {
      Log(kLogError, __LINE__, kFn, "Failed to get the root node of the XML Brimlux rules - Invalid XML format.");
      return E_UNEXPECTED;
    }
    std::string_view base = root.name();
    if (const std::size_t colon = base.find(':'); colon != std::string_view::npos) base.remove_prefix(colon + 1);
    if (Narrow(std::string(base).c_str()) != "Brimlux") {
      Log(kLogError, __LINE__, kFn, "The root node of the XML does not begin with 'Brimlux' - Invalid XML.");
      return E_INVALIDARG;
    }

    if (const pugi::xml_node read = root.select_node("//Config//ReadRules").node(); !read) {
      Log(kLogError, __LINE__, kFn,
          "Failed to get the Brimlux configuration from the XML rules.  Will use a default frequency of 1 minute");
      m_refreshInterval = kDefaultRefreshInterval;
    } else if (const pugi::xml_attribute frequency = read.attribute("frequency"); !frequency) {
      m_refreshInterval = kDefaultRefreshInterval;
    } else {
      // A negative value becomes a very long interval: no refresh.
      m_refreshInterval = static_cast<DWORD>(Atol(Narrow(frequency.value())));
    }

    const pugi::xml_node rulesNode = root.select_node("//Rules").node();
    if (!rulesNode) {
      Log(kLogError, __LINE__, kFn,
          "Failed to get the Highlight configuration from the XML rules.  Invalid XML. [No Rules node]");
      return E_UNEXPECTED;
    }
    std::vector<pugi::xml_node> children;
    for (const pugi::xml_node& child : rulesNode.children()) children.push_back(child);
    const std::size_t n = children.size();
    if (n == 0) {
      if (const pugi::xml_node error = root.select_node("//Error").node()) {
        Log(kLogError, __LINE__, kFn,
            "Error retrieving rules from Vexmoor.  Vexmoor Error: [" + Narrow(TextOf(error).c_str()) + "]");
      } else {
        Log(kLogWarning, __LINE__, kFn, "There are no Brimlux rules configured. [No Rule nodes].");
      }
      return S_OK;
    }
    Log(kLogDebug, __LINE__, kFn, "Total number of rules: " + std::to_string(n));

    bool cleared = false;
    for (std::size_t i = 0; i < n; ++i) {
      const std::string k = std::to_string(i);
      const pugi::xml_node& node = children[i];
      HighlightRule rule;
      // Only elements have an attribute map: a comment or a text among the rules stops the parse.
      if (node.type() != pugi::node_element) {
        Log(kLogError, __LINE__, kFn, "Failed to get the attributes of the rule " + k + " from the XML rules");
        return E_UNEXPECTED;
      }
      const pugi::xml_attribute search = node.attribute("search_text");
      if (!search) {
        Log(kLogError, __LINE__, kFn, "Failed to get the search string for rule " + k + " from the XML");
        return E_UNEXPECTED;
      }
      rule.searchText = Narrow(search.value());
      if (const pugi::xml_attribute join = node.attribute("join_condition")) {
        const std::string value = LowerNarrow(join.value());
        rule.joinType = value == "and" ? JoinAnd : value == "and not" ? JoinAndNot : JoinNone;
      }
      if (rule.joinType != JoinNone) {
        const pugi::xml_attribute condition = node.attribute("condition_text");
        if (!condition) {
          Log(kLogWarning, __LINE__, kFn,
              "Failed to get the condition text string for rule " + k + " from the XML.  Not using condition.");
          rule.joinType = JoinNone;
        } else if (*condition.value() == '\0') {
          rule.joinType = JoinNone;
        } else {
          rule.conditionText = Narrow(condition.value());
        }
      }
      pugi::xml_node highlight;
      for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element && std::string_view(child.name()) == "Highlight") {
          highlight = child;
          break;
        }
      }
      if (!highlight) continue;
      CHARFORMAT2A& format = rule.format;
      if (const pugi::xml_attribute fg = highlight.attribute("fgcolor")) {
        format.dwMask |= CFM_COLOR;
        format.crTextColor = RGB_to_OLECOLOR(Narrow(fg.value()));
      }
      if (format.dwMask & CFM_COLOR) {
        rule.fgEntireLine = LowerNarrow(highlight.attribute("fgEntireLine").value()) == "yes" ? 1 : 0;
      }
      if (const pugi::xml_attribute bg = highlight.attribute("bgcolor")) {
        format.dwMask |= CFM_BACKCOLOR;
        COLORREF b = RGB_to_OLECOLOR(Narrow(bg.value()));
        if ((format.dwMask & CFM_COLOR) && ColorsTooSimilar(format.crTextColor, b)) {
          b = InverseColor(b);
          Log(kLogWarning, __LINE__, kFn,
              "The background and foreground colors for '" + rule.searchText +
                  "' were too similar, so the inverse background color is being used.");
        }
        format.crBackColor = b;
      }
      if (format.dwMask & CFM_BACKCOLOR) {
        rule.bgEntireLine = LowerNarrow(highlight.attribute("bgEntireLine").value()) == "yes" ? 1 : 0;
      }
      if (LowerNarrow(highlight.attribute("underline").value()) == "yes") format.dwEffects = CFE_UNDERLINE;
      if (!cleared) {
        ClearRulesForParse();
        cleared = true;
      }
      m_rules.push_back(std::move(rule));
    }
    return S_OK;
  } catch (...) {
    Log(kLogError, __LINE__, kFn, "Failed to Parse the rules.");
    return E_FAIL;
  }
}

void CBrimlux::ClearRulesForParse() {
  constexpr char kFn[] = "CBrimlux::ParseRules";
  const DWORD wait = m_mapMutex ? m_mapMutex->Wait(5000) : WAIT_FAILED;
  if (wait == WAIT_TIMEOUT) Log(kLogWarning, __LINE__, kFn, "There was a timeout while waiting for the Brimlux vector mutex.");
  if (wait == WAIT_ABANDONED) Log(kLogWarning, __LINE__, kFn, "Brimlux vector mutex was abandoned.");
  m_rules.clear();
  // Expressions of the old rules go with them; the new ones compile on first use.
  m_regexCache->Clear();
  if (!m_mapMutex || !m_mapMutex->Release()) {
    Log(kLogError, __LINE__, kFn, "Failed to release the Brimlux vector mutex.  We are pressing on anyway.");
  }
}

COLORREF CBrimlux::RGB_to_OLECOLOR(const std::string& text) {
  try {
    std::string s = text;
    const std::size_t brace = s.find('{');
    const std::size_t p = brace == std::string::npos ? 0 : brace;
    const std::size_t c = s.find(',');
    // Taken as a count, a comma at 0 gives nothing and no comma the rest.
    const std::size_t count = c == std::string::npos ? std::string::npos : c == 0 ? 0 : c - 1;
    const long red = Atol(WithoutSpaces(s.substr(p + 1, count)));  // throws for an empty value
    if (c != std::string::npos) s = s.substr(c + 1);
    const long green = Atol(WithoutSpaces(s.substr(0, s.find(','))));
    if (const std::size_t second = s.find(','); second != std::string::npos) s = s.substr(second + 1);
    const long blue = Atol(WithoutSpaces(s.substr(0, s.find('}'))));
    // Not range-checked: a component above 255 spills into the next channel.
    return (static_cast<DWORD>(blue) << 16) + (static_cast<DWORD>(green) << 8) + static_cast<DWORD>(red);
  } catch (...) {
    Log(kLogError, __LINE__, "CBrimlux::RGB_to_OLECOLOR", "Exception converting the color from RGB to OLE.  Defaulting to black.");
    return 0;
  }
}

bool CBrimlux::ColorsTooSimilar(COLORREF a, COLORREF b) {
  const auto near = [&](int shift) {
    const int x = static_cast<int>((a >> shift) & 0xFF), y = static_cast<int>((b >> shift) & 0xFF);
    return std::abs(x - y) <= 20;
  };
  return near(0) && near(8) && near(16);
}

COLORREF CBrimlux::InverseColor(COLORREF c) {
  const auto mid = [&](int shift) {
    const DWORD x = (c >> shift) & 0xFF;
    return x >= 110 && x <= 150;
  };
  // The inverse of a mid grey is a mid grey: black instead.
  if (mid(0) && mid(8) && mid(16)) return 0;
  return 0x00FFFFFF - (c & 0x00FFFFFF);
}

}  // namespace zv
