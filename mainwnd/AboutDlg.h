#pragma once
// CAboutDlg: the About box. A banner across the top, the product's name (a
// hyperlink to the product's page) and version, the copyright line, and a
// recommendation of the sibling product Tarnwick with its icon (both
// hyperlinks to Tarnwick's page); OK closes it, as do Enter and Escape.
// Texts come from the dictionaries: labels and the OK button from
// "Dictionary", name and version from "Tool", the recommendation from
// "Loader". User-interface thread.

#include <string>

#include "controls/FGDialog.h"

class CFGButton;
class CFGStatic;

class CAboutDlg : public CFGDialog {
    Q_OBJECT
public:
    enum { IDD = 100 };
    static constexpr UINT IDC_BANNER = 1000;
    static constexpr UINT IDC_NAME_LABEL = 1001;
    static constexpr UINT IDC_NAME = 1002;
    static constexpr UINT IDC_VERSION_LABEL = 1003;
    static constexpr UINT IDC_VERSION = 1004;
    static constexpr UINT IDC_COPYRIGHT = 1005;
    static constexpr UINT IDC_SIBLING_ICON = 1006;
    static constexpr UINT IDC_SIBLING_LINE = 1007;
    static constexpr int CLIENT_WIDTH = 400;
    static constexpr int CLIENT_HEIGHT = 230;

    /// The box owned by `parent`, captioned `caption` (the About text followed
    /// by the application name); `productPage` and `siblingPage` are the
    /// addresses of the hyperlinks.
    CAboutDlg(const std::wstring& caption, const std::wstring& productPage, const std::wstring& siblingPage,
              QWidget* parent = nullptr);
    ~CAboutDlg() override;

    /// The controls (for tools and tests).
    CFGStatic& GetNameCtrl() { return *m_stcName; }
    CFGStatic& GetSiblingLineCtrl() { return *m_stcSiblingLine; }
    CFGStatic& GetSiblingIconCtrl() { return *m_stcSiblingIcon; }
    CFGButton& GetOkButton() { return *m_btnOK; }

protected:
    BOOL OnInitDialog() override;
    void AdjustCtrls() override;

private:
    CFGStatic* AddStatic(LPCWSTR key, DWORD style, UINT id);
    void TranslateTexts();
    void SetUpLinks();

    std::wstring m_strCaption;
    std::wstring m_strProductPage;
    std::wstring m_strSiblingPage;
    CFGStatic* m_stcBanner;  // children, owned by the dialog
    CFGStatic* m_stcNameLabel;
    CFGStatic* m_stcName;
    CFGStatic* m_stcVersionLabel;
    CFGStatic* m_stcVersion;
    CFGStatic* m_stcCopyright;
    CFGStatic* m_stcSiblingIcon;
    CFGStatic* m_stcSiblingLine;
    CFGButton* m_btnOK;
};
