// The context menu: the clipboard commands and the macro submenus, paged.
#include <memory>
#include <optional>

#include "control/zvemul_ctl.h"
#include "control/zvemul_resources.h"
#include "macros/macro_menu.h"
#include "platform/catch_all.h"
#include "platform/desktop.h"
#include "platform/menus.h"

namespace zv {
namespace {

using platform::Menu;
using platform::MenuItem;

constexpr int kShowWholeMenu = 1;
constexpr int kShowPersonal = 2;
constexpr int kShowOffice = 3;
// A page down moves one less than a page, a page up one page.
constexpr int kScrollUpBy = 26;
constexpr int kScrollDownBy = 25;

MenuItem ScrollItem(UINT id, UINT bitmap) {
  return MenuItem::Bitmap(id, bitmap, ZVEmulResources().LoadBitmap(bitmap).value_or(platform::Icon{}));
}

}  // namespace

void CZVEmulCtrl::BuildMacroMenu() {
  platform::CatchAll([&] {
    const std::optional<Menu> resource = ZVEmulResources().LoadMenu(kContextMenuResource);
    if (!resource || resource->empty() || !resource->items()[0].submenu) return;
    Menu menu = *resource->items()[0].submenu;
    menu.RemoveCommand(kNoMacrosPlaceholderId);

    const CResRichEdit* current = CurrentResWindow();
    const CHARRANGE sel = current != nullptr ? current->GetSel() : CHARRANGE{};
    const bool noSelection = sel.cpMin == sel.cpMax;
    menu.Append(MenuItem::Command(CResRichEdit::kCutCommand, "Cut\tCtrl+X", noSelection));
    menu.Append(MenuItem::Command(CResRichEdit::kCopyCommand, "Copy\tCtrl+C", noSelection));
    menu.Append(MenuItem::Command(CResRichEdit::kPasteCommand, "Paste\tCtrl+V", !platform::CurrentDesktop().clipboard().HasText()));
    menu.Append(MenuItem::Separator());

    Menu personal = MacroSubmenu(GetPersonalDir(), *m_macroArray, "Shift", kFirstPersonalMacroId);
    Menu office = MacroSubmenu(GetOfficeDir(), *m_macroArray, "Ctrl+Shift", kFirstOfficeMacroId);
    const bool noPersonal = personal.empty();
    const bool noOffice = office.empty();
    PageMacroSubmenu(personal, m_personalMenuTop, ScrollItem(kPersonalScrollUpId, kScrollUpBitmap),
                     ScrollItem(kPersonalScrollDownId, kScrollDownBitmap));
    PageMacroSubmenu(office, m_officeMenuTop, ScrollItem(kOfficeScrollUpId, kScrollUpBitmap),
                     ScrollItem(kOfficeScrollDownId, kScrollDownBitmap));
    const auto personalMenu = std::make_shared<const Menu>(std::move(personal));
    const auto officeMenu = std::make_shared<const Menu>(std::move(office));
    menu.Append(MenuItem::Submenu("Personal Macros", personalMenu, noPersonal));
    menu.Append(MenuItem::Submenu("Office Macros", officeMenu, noOffice));

    const Menu* shown = &menu;
    if (m_menuToShow == kShowPersonal) shown = personalMenu.get();
    if (m_menuToShow == kShowOffice) shown = officeMenu.get();
    const HWND owner = m_resWindows[m_activeFrame == 2 ? 1 : 0]->handle();
    const UINT chosen = platform::TrackPopupMenu(*shown, platform::TPM_RIGHTBUTTON | platform::TPM_CENTERALIGN,
                                                 platform::GetCursorPos(), owner);
    m_menuToShow = kShowWholeMenu;
    platform::SendMenuCommand(owner, chosen);
  });
}

void CZVEmulCtrl::ScrollMacroMenu(UINT command) {
  switch (command) {
    case kPersonalScrollUpId:
      m_personalMenuTop -= kScrollUpBy;
      m_menuToShow = kShowPersonal;
      break;
    case kPersonalScrollDownId:
      m_personalMenuTop += kScrollDownBy;
      m_menuToShow = kShowPersonal;
      break;
    case kOfficeScrollUpId:
      m_officeMenuTop -= kScrollUpBy;
      m_menuToShow = kShowOffice;
      break;
    case kOfficeScrollDownId:
      m_officeMenuTop += kScrollDownBy;
      m_menuToShow = kShowOffice;
      break;
    default:
      break;
  }
}

void CZVEmulCtrl::PasteInCurrentWindow() {
  if (CResRichEdit* window = CurrentResWindow()) window->PasteFromClipboard();
}

}  // namespace zv
