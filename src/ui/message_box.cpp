#include "ui/message_box.h"

#include <algorithm>

#include "res/resource_ids.h"
#include "ui/skin_dialog.h"
#include "ui/skin_message_box.h"

namespace {

std::vector<CSkinDialog*>& OpenBoxList() {
    static std::vector<CSkinDialog*> boxes;
    return boxes;
}

void ShowBox(CSkinDialog* frame, int command) {
    if (frame->m_pContent && frame->m_pContent->Hwnd() != nullptr) {
        frame->m_pContent->ShowWindow(command);
    }
    if (frame->Hwnd() != nullptr) frame->ShowWindow(command);
}

}  // namespace

const std::vector<CSkinDialog*>& OpenMessageBoxes() { return OpenBoxList(); }

int RunMessageBox(const std::wstring& text, std::unique_ptr<RECT> anchor,
                  const std::wstring& firstButton, const std::wstring& secondButton, int option,
                  HWND owner, int style) {
    auto data = std::make_unique<SkinMessageBoxData>();
    data->m_strText = text;
    data->m_nStyle = style;
    data->m_strFirstButton = firstButton;
    data->m_strSecondButton = secondButton;
    data->m_nOption = option;

    HWND ownerWindow = owner != nullptr && ::IsWindow(owner) ? owner : nullptr;
    std::vector<CSkinDialog*>& boxes = OpenBoxList();
    for (CSkinDialog* open : boxes) ShowBox(open, SW_HIDE);

    auto content = std::make_unique<CSkinMessageBox>();
    content->m_pData = std::move(data);
    auto frame = std::make_unique<CSkinDialog>(IDB_MESSAGE_BOX_FRAME, ownerWindow);
    frame->m_pContent = std::move(content);
    frame->m_nContentTemplate = IDD_MESSAGE_BOX_CONTENT;
    frame->m_pAnchorRect = std::move(anchor);
    frame->m_bInitialized = TRUE;

    boxes.push_back(frame.get());
    const INT_PTR result = frame->DoModal();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), frame.get()), boxes.end());
    for (CSkinDialog* open : boxes) ShowBox(open, SW_SHOW);
    return static_cast<int>(result);
}
