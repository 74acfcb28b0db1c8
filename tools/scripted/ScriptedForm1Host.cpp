#include "tools/scripted/ScriptedForm1Host.h"

namespace velkaro {

void ScriptedForm1Host::SetTimerEnabled(bool enabled) {
    timerEnabled = enabled;
    timerChanges.push_back(enabled);
}

void ScriptedForm1Host::PopupMenu(int screenX, int screenY) {
    popups.emplace_back(screenX, screenY);
    if (onPopupMenu) onPopupMenu();
}

void ScriptedForm1Host::RefreshQuickInfo() {
    if (!form) return;
    form->QuickInfoShown = quickInfoShowing;
    if (quickInfoShowing) quickInfoLists.push_back(form->State().quickInfoRows);
}

}  // namespace velkaro
