#include "mainwnd/AboutDlg.h"

#include <algorithm>

#include "Wordhoard/LocalizeHelper.h"
#include "controls/FGButton.h"
#include "controls/FGStatic.h"
#include "mainwnd/AppArtwork.h"

namespace {

constexpr int kSiblingIconSize = 32;

const wchar_t* Item(const char* dictionary, const std::wstring& key)
{
    return LocalizeHelper::GetDictionaryItem(dictionary, key.c_str());
}

} // namespace

CAboutDlg::CAboutDlg(const std::wstring& caption, const std::wstring& productPage, const std::wstring& siblingPage,
                     QWidget* parent)
    : CFGDialog(IDD, parent), m_strCaption(caption), m_strProductPage(productPage), m_strSiblingPage(siblingPage)
{
    SetStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    // The template: every text is a dictionary key until the box opens.
    m_stcBanner = AddStatic(L"", SS_LEFT, IDC_BANNER);
    m_stcNameLabel = AddStatic(L"IDS_ABOUTDLG_PRODUCTNAME", SS_LEFT | SS_CENTERIMAGE, IDC_NAME_LABEL);
    m_stcName = AddStatic(L"IDS_CORVANE_APPNAME", SS_LEFT | SS_CENTERIMAGE, IDC_NAME);
    m_stcVersionLabel = AddStatic(L"IDS_ABOUTDLG_PRODUCTVER", SS_LEFT | SS_CENTERIMAGE, IDC_VERSION_LABEL);
    m_stcVersion = AddStatic(L"IDS_CORVANE_APPVER", SS_LEFT | SS_CENTERIMAGE, IDC_VERSION);
    m_stcCopyright = AddStatic(L"IDS_ABOUTDLG_COPY", SS_LEFT | SS_CENTERIMAGE, IDC_COPYRIGHT);
    m_stcSiblingIcon = AddStatic(L"", SS_LEFT, IDC_SIBLING_ICON);
    m_stcSiblingLine = AddStatic(L"IDS_CORVANELOADER_VISIT_TARNWICK", SS_LEFT, IDC_SIBLING_LINE);
    m_stcSiblingLine->setWordWrap(true);
    m_btnOK = new CFGButton(this);
    m_btnOK->Create(L"IDS_ABOUTDLG_BUTTON_OK", BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP, RECT{0, 0, 80, 20}, this,
                    IDOK);
}

CAboutDlg::~CAboutDlg() = default;

CFGStatic* CAboutDlg::AddStatic(LPCWSTR key, DWORD style, UINT id)
{
    auto* control = new CFGStatic(this);
    control->Create(key, style | WS_VISIBLE, RECT{0, 0, 0, 0}, this, id);
    return control;
}

BOOL CAboutDlg::OnInitDialog()
{
    CFGDialog::OnInitDialog();
    setWindowTitle(QString::fromStdWString(m_strCaption));
    TranslateTexts();
    SetUpLinks();
    AdjustCtrls();  // again, now that the texts are known
    m_btnOK->SetDefaultButton(true);
    m_btnOK->setFocus(Qt::OtherFocusReason);
    return TRUE;
}

void CAboutDlg::TranslateTexts()
{
    m_stcNameLabel->SetWindowText(Item("Dictionary", m_stcNameLabel->GetWindowText()));
    m_stcVersionLabel->SetWindowText(Item("Dictionary", m_stcVersionLabel->GetWindowText()));
    m_stcName->SetWindowText(Item("Tool", m_stcName->GetWindowText()));
    m_stcVersion->SetWindowText(Item("Tool", m_stcVersion->GetWindowText()));
    const std::wstring copyright = std::wstring(Item("Dictionary", L"IDS_ABOUTDLG_COPY")) + L" " +
                                   Item("Dictionary", L"IDS_ABOUTDLG_RIGHTS");
    m_stcCopyright->SetWindowText(copyright.c_str());
    m_stcSiblingLine->SetWindowText(Item("Loader", m_stcSiblingLine->GetWindowText()));
    m_btnOK->SetWindowText(Item("Dictionary", m_btnOK->GetWindowText()));

    m_stcBanner->setPixmap(AppArtwork::AboutBanner(QSize(CLIENT_WIDTH, 100), m_stcName->text(),
                                                   QStringLiteral("Quillmark")));
    m_stcSiblingIcon->setPixmap(AppArtwork::SiblingIcon(kSiblingIconSize));
}

void CAboutDlg::SetUpLinks()
{
    m_stcName->EnableHyperLinkMode(TRUE);
    m_stcName->SetHyperLink(m_strProductPage.c_str());
    m_stcName->setToolTip(QString::fromStdWString(m_strProductPage));
    for (CFGStatic* link : {m_stcSiblingIcon, m_stcSiblingLine}) {
        link->EnableHyperLinkMode(TRUE);
        link->SetHyperLink(m_strSiblingPage.c_str());
        link->setToolTip(QString::fromStdWString(m_strSiblingPage));
    }
}

void CAboutDlg::AdjustCtrls()
{
    // The recommendation gets the lines its text needs; the box grows below
    // it rather than cutting a longer text off.
    const int lineHeight = std::max(40, m_stcSiblingLine->heightForWidth(230));
    const int extra = lineHeight > 40 ? lineHeight - 40 + 8 : 0;  // a longer text keeps a margin below it
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    SetClientSize(CLIENT_WIDTH, CLIENT_HEIGHT + extra);
    setFixedSize(size());
    m_stcBanner->setGeometry(0, 0, 400, 100);
    m_stcNameLabel->setGeometry(10, 110, 150, 20);
    m_stcName->setGeometry(160, 110, 200, 20);
    m_stcVersionLabel->setGeometry(10, 130, 150, 20);
    m_stcVersion->setGeometry(160, 130, 200, 20);
    m_stcCopyright->setGeometry(10, 160, 380, 20);
    m_stcSiblingIcon->setGeometry(10, 190, 32, 32);
    m_stcSiblingLine->setGeometry(50, 190, 230, lineHeight);
    m_btnOK->setGeometry(300, 200 + extra, 80, 20);
    CenterWindow();
}
