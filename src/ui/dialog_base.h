#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/dialog.h"

// Base of every launcher dialog: swallows Enter, Escape and Ctrl+Break, comes to the foreground
// when shown, can hand close requests, message boxes, showing and activation to a linked dialog,
// and asks before a close goes through.
class CDialogBase : public fw::Dialog {
public:
    CDialogBase(int templateId, HWND parent);
    ~CDialogBase() override;

    virtual void OnBeforeClose() {}
    virtual void CloseOpenBox() { EndOpenBox(); }
    // The launcher never registers a box here, so there is nothing to end.
    virtual void EndOpenBox() {}
    virtual void SetLinkedDialog(CDialogBase* linked) { m_pLinkedDialog = linked; }
    // Subclasses move themselves (and their companions) by a screen offset.
    virtual void MoveBy(int dx, int dy);
    // Returns 1 for the first button, 7 for the second, 2 for a box closed otherwise.
    virtual int ShowMessageBox(HWND owner, const std::wstring& text, int style,
                               const std::wstring& firstButton, const std::wstring& secondButton,
                               int option);
    virtual void ShowLinked(int command);
    virtual void ActivateLinked();

    // Sets the close confirmation here and along the chain of linked dialogs.
    void SetCloseConfirmation(BOOL on);
    // One of the six encouragement texts, chosen by the time-seeded runtime generator.
    std::wstring PickEncouragement();

    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Margins (unscaled) between a layered frame and this dialog laid over it as its content.
    int m_nInsetLeft = 0;
    int m_nInsetTop = 0;
    int m_nInsetRight = 0;
    int m_nInsetBottom = 0;
    CDialogBase* m_pLinkedDialog = nullptr;  // not owned
    BOOL m_bConfirmClose = TRUE;
    // Set once the subclass has placed everything; movement requests are ignored before.
    BOOL m_bInitialized = FALSE;
    std::vector<std::wstring> m_encourageTexts;

protected:
    void OnShowWindow(BOOL show, UINT status) override;
};
