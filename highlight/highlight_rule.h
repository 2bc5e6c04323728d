// One highlighting rule: what to look for, an optional condition on the same
// line, and the character format given to what it finds.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace zv {

enum JoinType : int {
  JoinNone = 0,    // no condition
  JoinAnd = 1,     // the condition must occur on the line
  JoinAndNot = 2,  // the condition must not occur on the line
};

struct HighlightRule {
  int fgEntireLine = 0;  // 1: the text colour also covers the whole line
  int bgEntireLine = 0;  // 1: the background colour also covers the whole line
  // Only cbSize, dwMask (CFM_UNDERLINE always, CFM_COLOR, CFM_BACKCOLOR),
  // dwEffects (CFE_UNDERLINE), crTextColor and crBackColor are used.
  CHARFORMAT2A format = StartFormat();
  int joinType = JoinNone;
  std::string conditionText;
  std::string searchText;

  // All zero but the size and the underline bit of the mask, so a format
  // that does not underline removes underline.
  static CHARFORMAT2A StartFormat() {
    CHARFORMAT2A f;
    f.dwMask = CFM_UNDERLINE;
    return f;
  }
};

}  // namespace zv
