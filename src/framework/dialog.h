#pragma once

#include "framework/window.h"

namespace fw {

// A dialog made from a dialog template of the resource module. Modal runs (DoModal) are nested
// message loops that keep dispatching every message and timer of the thread until EndDialog;
// modeless dialogs (Create) live until destroyed. The object attaches at WM_INITDIALOG and
// detaches at WM_NCDESTROY.
class Dialog : public Window {
public:
    Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

    // Creates the dialog, disables its owner while it runs and returns the EndDialog result,
    // or -1 when the dialog cannot be created or the run is cut short (WM_QUIT, destruction).
    INT_PTR DoModal();
    // Creates the dialog modeless from a template, owned by (or child of) the parent.
    bool Create(int templateId, HWND parent);
    bool Create() { return Create(templateId_, parent_); }

    // Ends a modal run with a result (the loop returns once the current message is handled);
    // a modeless dialog is only hidden.
    void EndDialog(INT_PTR result);
    bool IsRunningModal() const { return modalRunning_; }

    int TemplateId() const { return templateId_; }
    HWND Parent() const { return parent_; }

    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Called at WM_INITDIALOG; the base binds the controls (DoDataExchange). TRUE lets the
    // system set the focus.
    virtual BOOL OnInitDialog();
    // Binds template controls to control objects (SubclassDlgItem).
    virtual void DoDataExchange() {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    BOOL OnCommand(int id, int code, HWND control) override;
    void PostNcDestroy() override;

private:
    friend INT_PTR CALLBACK DialogAttachProc(HWND, UINT, WPARAM, LPARAM);

    void RunModalLoop(HWND hwnd);

    int templateId_;
    HWND parent_;
    bool modalRunning_ = false;
    bool modalEnded_ = false;
    INT_PTR modalResult_ = -1;
};

// The dialog procedure given to the dialog manager: it only attaches the object at WM_INITDIALOG
// (the trampoline takes over the window's messages from then on) and leaves the rest to the
// default dialog processing.
INT_PTR CALLBACK DialogAttachProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace fw
