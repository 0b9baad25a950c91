#include "ui/message.h"

#include "app/process_state.h"
#include "res/resource.h"

int ShowMessage(UINT stringId, UINT boxType) {
    // A string that cannot be loaded leaves its zero-filled buffer empty; the box is shown regardless.
    WCHAR title[kTextCapacity] = {};
    LoadStringW(appInstance, IDS_TITLE, title, kTextCapacity);
    WCHAR text[kTextCapacity] = {};
    LoadStringW(appInstance, stringId, text, kTextCapacity);
    return MessageBoxW(nullptr, text, title, boxType);
}
