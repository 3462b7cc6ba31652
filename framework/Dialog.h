#pragma once

#include <windows.h>

#include <string>

#include "framework/MessageHost.h"

namespace discdeck::fw {

class DataExchange;

// A dialog from a template resource, modal (DoModal) or modeless (Create). The object attaches
// to its window at WM_INITDIALOG and from then on every message goes through the message map;
// Default() hands a message to the dialog manager (DefDlgProc).
class Dialog : public MessageHost {
  public:
    explicit Dialog(UINT templateId, HWND parent = nullptr) : templateId(templateId), parent(parent) {}
    ~Dialog() override;

    // Runs the dialog modally, owned by the given window (else by the constructor's parent); returns
    // the EndDialog result, or -1 when it could not be created.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modeless; false when it could not be created.
    bool Create(HWND parentWindow = nullptr);
    // Modal: EndDialog. Modeless: DestroyWindow.
    void EndDialog(INT_PTR result);
    bool IsModal() const { return modal; }

    // Moves data between the controls and the members through DoDataExchange. Saving fails (false)
    // when a field does not validate; the members keep their values from the failed field on.
    bool UpdateData(bool saveAndValidate = true);

    UINT GetTemplateId() const { return templateId; }
    // Module of the dialog template and of the dialog's resources.
    void SetResourceInstance(HINSTANCE instance) { resourceInstance = instance; }
    HINSTANCE GetResourceInstance() const;

    // Shows a validation message of the data exchange; a message box owned by the dialog unless a
    // derived class routes it elsewhere.
    virtual void ShowDataExchangeMessage(const std::string& text);

  protected:
    // Binds the controls (UpdateData(false)); true: the dialog manager sets the focus.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    // Enter / the OK button: save the data, then end with IDOK.
    virtual void OnOK();
    // Escape / Close / the Cancel button: end with IDCANCEL.
    virtual void OnCancel();

    DISCDECK_DECLARE_MESSAGE_MAP()

  private:
    static INT_PTR CALLBACK StartProc(HWND, UINT, WPARAM, LPARAM) noexcept;

    UINT templateId;
    HWND parent;
    HINSTANCE resourceInstance = nullptr;
    bool modal = false;
};

}  // namespace discdeck::fw
